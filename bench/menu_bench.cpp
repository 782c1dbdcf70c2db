// Menu and sprite costs: one battle sprite frame of 24 parts; a menu window
// of ten items with their hit rectangles, drawn, hovered and put back; and
// the whole list menu of ten items answered by a scripted click on the
// headless machine (paints and waits included).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_machine.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sprite.h"
#include "platform/text.h"
#include "sys/headless/headless.h"
#include "tests/picture.h"

namespace {

std::vector<uint8_t> make_keyed_picture(int w, int h, uint32_t seed) {
    // About one pixel in eight is the key.
    return make_picture(w, h, 0, [&seed](int, int) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>((seed >> 16) % 16 < 2 ? 14 : (seed >> 20) % 14);
    });
}

void fill_font() {
    uint32_t seed = 12345;
    for (auto& b : g_font) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>((seed >> 16) & (seed >> 8));
    }
    g_font_loaded = 1;
}

const char* const g_ten_items[] = {" 턴 종료 ", " 확대맵 ", " 축소맵 ", " 유닛 일람 ", " 클리어 조건 ", " 시스템 ",
                                   "  행동  ",  "  무기  ", "  도구  ", "  교환  ",    nullptr};

}  // namespace

static void BM_SpriteFrame24Parts(benchmark::State& state) {
    gfx_screens_alloc();
    const auto sheet = make_keyed_picture(640, 256, 7);  // 640 parts
    // One frame of 4 x 6 cells, every part a different one, some mirrored.
    std::vector<uint8_t> file(32 + 2, 0);
    file[32] = 34;
    file.push_back(24);
    file.push_back(2);
    file.push_back(3);
    for (int k = 0; k < 24; ++k) {
        const int cx = k % 4, cy = k / 4, p = 37 * k + 11;
        file.push_back(static_cast<uint8_t>(cx | (k % 3 == 0 ? 0x40 : 0) | (k % 5 == 0 ? 0x80 : 0)));
        file.push_back(static_cast<uint8_t>((cy << 2) | (p >> 8)));
        file.push_back(static_cast<uint8_t>(p & 255));
    }
    const auto flags = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        gfx_draw_sprite_frame(20, 150, 0, flags, sheet.data(), file.data(), static_cast<uint32_t>(file.size()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 24);
    gfx_screens_free();
}
BENCHMARK(BM_SpriteFrame24Parts)->Arg(0)->Arg(1)->Arg(15 * 256 + 1)->Unit(benchmark::kNanosecond);

static void BM_MenuWindowTenRects(benchmark::State& state) {
    gfx_screens_alloc();
    fill_font();
    auto chips = make_keyed_picture(96, 60, 3);
    g_sheet_winchip = chips.data();
    for (auto _ : state) {
        // The list menu's drawing, without its mouse loop.
        SavedRect* saved = gfx_save_rect(28, 80, 21, 12 * 20);
        g_menu_chip_set = 1;
        menu_draw_window(30, 5, 16, 10);
        menu_clear_hit_rects();
        for (int i = 0; i < 10; ++i) {
            menu_set_hit_rect(i, 30 * 8, (5 + i) * 20, 16 * 8, 20, menu_hover_box_dark);
            txt_draw_string(30, 5 + i, g_ten_items[i], 15);
        }
        for (int i = 0; i < 10; ++i) {
            menu_hover_box_dark(1, &g_hit_rects[i]);
            menu_hover_box_dark(0, &g_hit_rects[i]);
        }
        gfx_restore_rect_free(saved);
        g_menu_chip_set = 0;
        benchmark::ClobberMemory();
    }
    g_sheet_winchip = nullptr;
    menu_reset();
    txt_font_reset();
    gfx_screens_free();
}
BENCHMARK(BM_MenuWindowTenRects)->Unit(benchmark::kMicrosecond);

static void BM_ListMenuTenItemsClicked(benchmark::State& state) {
    bench_start_machine();
    fill_font();
    auto chips = make_keyed_picture(96, 60, 3);
    g_sheet_winchip = chips.data();
    int64_t virtual_ms = 0;
    for (auto _ : state) {
        const uint32_t t0 = sys_headless_clock();
        HeadlessEvent e;
        e.at = t0 + 100;
        e.kind = HeadlessKind::Click;
        e.x = 35 * 8 + 20;
        e.y = 10 * 20 + 5 + 48;  // item 5 in the centred menu
        sys_headless_push(e);
        const int32_t r = menu_list_select(-1, -1, g_ten_items, 0, 1);
        if (r != 5) state.SkipWithError("wrong item");
        virtual_ms += sys_headless_clock() - t0;
    }
    state.counters["virtual_ms"] =
        benchmark::Counter(static_cast<double>(virtual_ms), benchmark::Counter::kAvgIterations);
    g_sheet_winchip = nullptr;
    menu_reset();
    txt_font_reset();
    gfx_screens_free();
    sys_shutdown();
}
BENCHMARK(BM_ListMenuTenItemsClicked)->Unit(benchmark::kMicrosecond);
