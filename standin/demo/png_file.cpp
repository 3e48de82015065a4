#include "standin/demo/png_file.h"

#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

bool WritePng(const char* path, const std::uint32_t* pixels, int width, int height) {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int i = 0; i < width * height; ++i) {
        rgb[i * 3 + 0] = static_cast<unsigned char>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
    }
    return stbi_write_png(path, width, height, 3, rgb.data(), width * 3) != 0;
}
