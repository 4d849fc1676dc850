// SPDX-License-Identifier: GPL-3.0-or-later
// The photographs the picture benchmarks load, written once with the JPEG
// library at the size a camera or a phone makes them, and the reference they
// are measured against: the library decoding a JPEG whole, the plain way.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// After <cstdio>: the library's header needs FILE.
#include <jpeglib.h>

namespace bench {

// A photograph-like picture: smooth light, some texture and a little noise,
// written once into a temporary folder and removed at exit.
class Photo {
public:
    Photo(int width, int height) : photoWidth(width), photoHeight(height)
    {
        folder = std::filesystem::temp_directory_path() /
                 ("pavendra-bench-" + std::to_string(::getpid()) + "-" + std::to_string(width));
        std::filesystem::create_directories(folder);
        path = (folder / "photo.jpg").string();
        Write();
    }
    ~Photo()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    const std::string& Path() const { return path; }

private:
    void Write() const
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) std::abort();
        jpeg_compress_struct cinfo;
        jpeg_error_mgr errors;
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_compress(&cinfo);
        jpeg_stdio_dest(&cinfo, file);
        cinfo.image_width = static_cast<JDIMENSION>(photoWidth);
        cinfo.image_height = static_cast<JDIMENSION>(photoHeight);
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        std::vector<JSAMPLE> row(static_cast<std::size_t>(photoWidth) * 3);
        std::uint32_t noise = 1;
        for (int y = 0; y < photoHeight; ++y) {
            for (int x = 0; x < photoWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                double light = 0.5 + 0.3 * std::sin(x * 0.0021) * std::cos(y * 0.0017);
                double texture = 0.1 * std::sin(x * 0.09 + y * 0.05);
                int grain = static_cast<int>(noise >> 28) - 8;
                auto channel = [&](double tint) {
                    int value = static_cast<int>(255 * (light * tint + texture)) + grain;
                    return static_cast<JSAMPLE>(std::clamp(value, 0, 255));
                };
                row[3 * x] = channel(1.1);
                row[3 * x + 1] = channel(0.9);
                row[3 * x + 2] = channel(0.7);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
    }

    int photoWidth;
    int photoHeight;
    std::filesystem::path folder;
    std::string path;
};

// 24 megapixels, as a phone takes them.
inline const Photo& TheLargePhoto()
{
    static const Photo photo(6000, 4000);
    return photo;
}

inline std::size_t DecodeFullSize(const std::vector<unsigned char>& bytes)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> pixels(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return pixels.size() + pixels[pixels.size() / 2];
}

// Read the file and decode it whole into RGB rows, the plain
// way libjpeg-turbo is used.
inline std::size_t DecodeFullSize(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DecodeFullSize(bytes);
}

}  // namespace bench
