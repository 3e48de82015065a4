// Packing a bar's colours for the device.
#pragma once

#include "d3d/d3d.h"
#include "overlay/bar_entry.h"

D3DCOLOR PackColor(ColorRGBA color);
