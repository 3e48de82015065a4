// This frame's bars: one entry per visible tracked actor, sorted far to near.
#pragma once

#include <vector>

#include "overlay/bar_entry.h"

// Emptied, never shrunk, every shown frame: its capacity carries over.
using BarList = std::vector<BarEntry>;

extern BarList barList;

// Advances every record's timers and rebuilds barList from the tracker, farthest first.
void BuildBarList();
