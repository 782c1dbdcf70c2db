// Drawing costs: a full-screen keyed picture, and 1,000 Korean glyphs with
// their shadows.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/draw.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "tests/picture.h"

static void BM_BlitKeyedFullScreen(benchmark::State& state) {
    gfx_screens_alloc();
    // About one pixel in five is the key.
    std::vector<uint8_t> pic = make_picture(640, 416, 0, [](int x, int line) {
        return static_cast<uint8_t>((static_cast<uint32_t>(line * 640 + x) * 2654435761u >> 13) % 20);
    });
    for (auto _ : state) {
        gfx_blit_image_keyed(0, 0, pic.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 640 * 416);
    gfx_screens_free();
}
BENCHMARK(BM_BlitKeyedFullScreen)->Unit(benchmark::kMicrosecond);

static void BM_Draw1000KoreanGlyphs(benchmark::State& state) {
    gfx_screens_alloc();
    // A font with glyphs about 40 % inked, loaded in place of the file.
    uint32_t seed = 12345;
    for (auto& b : g_font) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>((seed >> 16) & (seed >> 8));
        b |= static_cast<uint8_t>((seed >> 20) & 0x18);
    }
    g_font_loaded = 1;
    // 40 Hangul syllables a line (640 pixels), in the lead-byte range of the font.
    std::string line;
    for (int i = 0; i < 40; ++i) {
        line += static_cast<char>(0xB0 + i % 25);
        line += static_cast<char>(0xA1 + (i * 7) % 94);
    }
    for (auto _ : state) {
        for (int k = 0; k < 25; ++k) txt_draw_string(0, k % 20, line.c_str(), 15);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000);
    txt_font_reset();
    gfx_screens_free();
}
BENCHMARK(BM_Draw1000KoreanGlyphs)->Unit(benchmark::kMicrosecond);
