// The one include for Direct3D 9 and D3DX 9: the real SDK headers in the DLL, a small
// stand-in natively so that the same sources build and run in unit tests.
#pragma once

#if defined(_WIN32)
#include <d3d9.h>
#include <d3dx9.h>
#else
#include "d3d/d3d_native.h"
#endif
