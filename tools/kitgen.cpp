// Sample data kit generator.
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "tools/kit_map.h"

namespace {
void put16(std::vector<uint8_t>& v, uint16_t x) { v.push_back(x & 0xFF); v.push_back(x >> 8); }
void put32(std::vector<uint8_t>& v, uint32_t x) { put16(v, x & 0xFFFF); put16(v, x >> 16); }
bool write_bmp(const std::string& path, int w, int h, const std::vector<uint8_t>& topdown) {
    std::vector<uint8_t> f{'B', 'M'};
    put32(f, 14 + 40 + 1024 + w * h); put32(f, 0); put32(f, 14 + 40 + 1024);
    put32(f, 40); put32(f, w); put32(f, h); put16(f, 1); put16(f, 8); put32(f, 0); put32(f, w * h);
    put32(f, 0); put32(f, 0); put32(f, 256); put32(f, 0);
    for (int i = 0; i < 256; ++i) { uint8_t v = (i < 16) ? i * 0x11 : 0; f.push_back(v); f.push_back(v); f.push_back(v); f.push_back(0); }
    for (int y = h - 1; y >= 0; --y) f.insert(f.end(), topdown.begin() + y * w, topdown.begin() + (y + 1) * w);
    FILE* o = std::fopen(path.c_str(), "wb"); if (!o) return false;
    std::fwrite(f.data(), 1, f.size(), o); std::fclose(o); return true;
}
}

// PENDING: the full kit (being written).
int main(int argc, char** argv) {
    std::string out = ".";
    for (int i = 1; i + 1 < argc; ++i) if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
    for (const char* d : {"/bmp", "/dat", "/midi", "/wave"}) mkdir((out + d).c_str(), 0755);
    std::vector<uint8_t> p(640 * 400);
    for (int y = 0; y < 400; ++y) for (int x = 0; x < 640; ++x) p[y * 640 + x] = (x / 40) & 15;
    write_bmp(out + "/bmp/Presents.bmp", 640, 400, p);
    std::vector<uint8_t> c(312 * 24, 14);
    for (int k = 0; k < 13; ++k) for (int y = 0; y < 24; ++y) for (int x = 0; x <= y / 2; ++x) c[y * 312 + k * 24 + x] = 15;
    write_bmp(out + "/bmp/mcsrfont.BMP", 312, 24, c);
    write_bmp(out + "/bmp/winchip.BMP", 96, 60, std::vector<uint8_t>(96 * 60, 7));
    write_bmp(out + "/bmp/iconchip.BMP", 512, 64, std::vector<uint8_t>(512 * 64, 9));
    FILE* f = std::fopen((out + "/k.fnt").c_str(), "wb"); if (f) { std::vector<uint8_t> z(131072); std::fwrite(z.data(), 1, z.size(), f); std::fclose(f); }
    kit_write_maps_and_units(out);  // TEMPORARY: maps, units and map sheets
    return 0;
}
