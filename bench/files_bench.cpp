// Reading and decoding a 640 x 400 picture: from a plain BMP file and from
// the same file stored compressed (SZDD), up to the DibImage handed to the
// drawing code.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/shell.h"
#include "sys/headless/headless.h"
#include "sys/lz.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& v, size_t at, uint32_t x) { std::memcpy(v.data() + at, &x, 4); }

// A 640 x 400 picture of 40-pixel bands with a little noise in them, like
// the title pictures.
Bytes make_picture() {
    const int w = 640, h = 400;
    Bytes f(14 + 40 + 1024 + w * h, 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 2, static_cast<uint32_t>(f.size()));
    put32(f, 10, 14 + 40 + 1024);
    put32(f, 14, 40);
    put32(f, 18, w);
    put32(f, 22, h);
    f[26] = 1;
    f[28] = 8;
    put32(f, 34, w * h);
    put32(f, 46, 256);
    for (int i = 0; i < 16; ++i) f[54 + i * 4] = f[55 + i * 4] = f[56 + i * 4] = static_cast<uint8_t>(i * 0x11);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            f[1078 + y * w + x] = static_cast<uint8_t>(((x / 40) + ((seed >> 16) % 23 == 0)) & 15);
        }
    return f;
}

// SZDD with literals and runs (matches one byte back).
Bytes compress(const Bytes& in) {
    Bytes out(LZ_SZDD_MAGIC, LZ_SZDD_MAGIC + 8);
    out.push_back('A');
    out.push_back('P');
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(in.size() >> (8 * i)));
    size_t r = 4096 - 16, i = 0;
    while (i < in.size()) {
        const size_t flag_at = out.size();
        out.push_back(0);
        for (int bit = 0; bit < 8 && i < in.size(); ++bit) {
            size_t run = 0;
            if (i > 0)
                while (run < 18 && i + run < in.size() && in[i + run] == in[i - 1]) ++run;
            if (run >= 3) {
                const size_t pos = (r - 1) & 0xFFF;
                out.push_back(static_cast<uint8_t>(pos & 0xFF));
                out.push_back(static_cast<uint8_t>(((pos >> 4) & 0xF0) | (run - 3)));
                r += run;
                i += run;
            } else {
                out[flag_at] |= static_cast<uint8_t>(1u << bit);
                out.push_back(in[i++]);
                r += 1;
            }
        }
    }
    return out;
}

struct BenchData {
    std::filesystem::path dir;
    Bytes plain;

    BenchData() {
        dir = std::filesystem::temp_directory_path() / ("rowen-files-bench-" + std::to_string(std::rand()));
        std::filesystem::create_directories(dir / "bmp");
        plain = make_picture();
        write("pict.bmp", plain);
        write("packed.bmp", compress(plain));
        HeadlessOptions opt;
        opt.exe_dir = dir.string();
        sys_use_headless(opt);
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", dir.string().c_str());
    }
    ~BenchData() {
        sys_shutdown();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void write(const char* name, const Bytes& b) const {
        std::ofstream o(dir / "bmp" / name, std::ios::binary);
        o.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
};

void load_image(benchmark::State& state, const char* name) {
    BenchData data;
    // The decoded pixels must be the picture's, whichever way it is stored.
    uint8_t* check = file_load_bmp_image(name);
    if (!check || std::memcmp(check + 1064, data.plain.data() + 1078, 640 * 400) != 0) {
        std::free(check);
        state.SkipWithError("the picture did not decode to its pixels");
        return;
    }
    std::free(check);
    for (auto _ : state) {
        uint8_t* image = file_load_bmp_image(name);
        benchmark::DoNotOptimize(image);
        std::free(image);
    }
}

void BM_LoadPicturePlain(benchmark::State& state) { load_image(state, "a:pict.gem"); }
void BM_LoadPictureSzdd(benchmark::State& state) { load_image(state, "a:packed.gem"); }

}  // namespace

BENCHMARK(BM_LoadPicturePlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadPictureSzdd)->Unit(benchmark::kMicrosecond);
