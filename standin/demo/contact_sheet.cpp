#include "standin/demo/contact_sheet.h"

#include <algorithm>
#include <cmath>

#include "standin/demo/png_file.h"
#include "standin/host/scene_device.h"
#include "standin/demo/tile_font.h"

namespace {

constexpr int sheetColumns = 4;
constexpr int gap = 6;
constexpr int captionHeight = 2 * glyphHeight + 6;
constexpr std::uint32_t sheetBackground = 0x202020;
// A far bar is a few pixels wide: a tile shows at least this fraction of its size of the
// frame around it, so that the bar keeps its surroundings instead of filling the tile
// with a few enlarged pixels.
constexpr float maxZoom = 3.0f;

} // namespace

SheetTile CutTile(const std::string& name, const std::uint32_t* frame, ScreenPoint low,
                  ScreenPoint high) {
    SheetTile tile{name, std::vector<std::uint32_t>(tileWidth * tileHeight)};
    const float width = std::max(std::abs(high.x - low.x), tileWidth / maxZoom);
    const float height = std::max(std::abs(high.y - low.y), tileHeight / maxZoom);
    const float left = (low.x + high.x - width) * 0.5f;
    const float top = (low.y + high.y - height) * 0.5f;
    for (int y = 0; y < tileHeight; ++y) {
        for (int x = 0; x < tileWidth; ++x) {
            const int sx = std::clamp(static_cast<int>(left + width * (x + 0.5f) / tileWidth), 0,
                                      sceneWidth - 1);
            const int sy = std::clamp(static_cast<int>(top + height * (y + 0.5f) / tileHeight), 0,
                                      sceneHeight - 1);
            tile.pixels[y * tileWidth + x] = frame[sy * sceneWidth + sx];
        }
    }
    return tile;
}

bool WriteContactSheet(const char* path, const std::vector<SheetTile>& tiles) {
    const int count = static_cast<int>(tiles.size());
    const int rows = (count + sheetColumns - 1) / sheetColumns;
    const int width = sheetColumns * (tileWidth + gap) + gap;
    const int height = rows * (tileHeight + captionHeight + gap) + gap;
    std::vector<std::uint32_t> sheet(static_cast<std::size_t>(width) * height, sheetBackground);
    for (int i = 0; i < count; ++i) {
        const int ox = gap + (i % sheetColumns) * (tileWidth + gap);
        const int oy = gap + (i / sheetColumns) * (tileHeight + captionHeight + gap);
        DrawCaption(sheet.data(), width, ox, oy, 2, tiles[i].name, 0xE0E0E0);
        for (int y = 0; y < tileHeight; ++y) {
            std::copy_n(&tiles[i].pixels[y * tileWidth], tileWidth,
                        &sheet[static_cast<std::size_t>(oy + captionHeight + y) * width + ox]);
        }
    }
    return count > 0 && WritePng(path, sheet.data(), width, height);
}
