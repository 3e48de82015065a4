// A sheet of small pictures around one or two bars, in the order they were taken.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/host/scene_camera.h"

constexpr int tileWidth = 240;
constexpr int tileHeight = 80;

struct SheetTile {
    std::string name;
    std::vector<std::uint32_t> pixels; // tileWidth x tileHeight
};

// The region from `low` to `high` (screen points), widened about its centre to at least a
// third of the tile's size, scaled into one tile.
SheetTile CutTile(const std::string& name, const std::uint32_t* frame, ScreenPoint low,
                  ScreenPoint high);

bool WriteContactSheet(const char* path, const std::vector<SheetTile>& tiles);
