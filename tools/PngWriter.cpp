// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/PngWriter.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

std::vector<unsigned char> PngWriter::EncodeRgba(const std::vector<unsigned char>& rgba, int width, int height)
{
    std::vector<unsigned char> png;
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) return png;
    auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(context);
        const auto* bytes = static_cast<const unsigned char*>(data);
        out->insert(out->end(), bytes, bytes + size);
    };
    if (!stbi_write_png_to_func(append, &png, width, height, 4, rgba.data(), width * 4)) png.clear();
    return png;
}
