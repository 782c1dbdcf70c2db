// Pictures made in memory for tests and benchmarks.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/screen.h"

// A picture block as the loaders hand it out, of exactly its size (so that a
// read past it is caught by the sanitizer): the 40-byte header, clr_used
// colours (0 meaning 256), then the pixels bottom-up; pixel(x, line), line 0
// at the top, comes from f.
template <class F>
std::vector<uint8_t> make_picture(int w, int h, uint32_t clr_used, F f) {
    const uint32_t colours = clr_used ? clr_used : 256;
    std::vector<uint8_t> p(40 + colours * 4 + static_cast<size_t>(w) * h, 0);
    DibInfoHeader hd{};
    hd.size = 40;
    hd.width = w;
    hd.height = h;
    hd.planes = 1;
    hd.bit_count = 8;
    hd.size_image = static_cast<uint32_t>(w * h);
    hd.clr_used = clr_used;
    std::memcpy(p.data(), &hd, sizeof hd);
    uint8_t* bits = p.data() + 40 + colours * 4;
    for (int line = 0; line < h; ++line)
        for (int x = 0; x < w; ++x) bits[static_cast<size_t>(h - 1 - line) * w + x] = f(x, line);
    return p;
}

// Writes a picture block as a BMP file.
inline void write_bmp(const std::filesystem::path& path, const std::vector<uint8_t>& picture) {
    std::vector<uint8_t> file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    const uint32_t size = static_cast<uint32_t>(14 + picture.size());
    const uint32_t off = 14 + 40 + 256 * 4;
    std::memcpy(&file[2], &size, 4);
    std::memcpy(&file[10], &off, 4);
    file.insert(file.end(), picture.begin(), picture.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}
