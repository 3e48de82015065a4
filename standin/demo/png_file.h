// Pictures out of the host: 0x00RRGGBB pixels written as PNG.
#pragma once

#include <cstdint>

bool WritePng(const char* path, const std::uint32_t* pixels, int width, int height);
