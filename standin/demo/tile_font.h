// Captions on the contact sheet: a 5x7 pixel font for letters, digits and '-'.
#pragma once

#include <cstdint>
#include <string>

constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;

// Writes `text` (upper-cased) into an image of `width` pixels per row, top-left at (x, y),
// scaled by `scale`; characters without a glyph are left blank.
void DrawCaption(std::uint32_t* image, int width, int x, int y, int scale, const std::string& text,
                 std::uint32_t color);
