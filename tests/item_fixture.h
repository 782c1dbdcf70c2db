// Test helpers for the item screens and commands: reading back what a
// screen lists, the click position of a prompt's choice, and a script of
// clicks spaced out so that each lands in the wait it is meant for.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "tactics/items.h"

// 1 when the text drawn at (col, row) in colour changes no pixel of its text
// row: it is already there.
inline bool text_shown_at(int32_t col, int32_t row, const char* text, int32_t colour) {
    const int32_t y0 = row * MENU_ROW_H, y1 = y0 + MENU_ROW_H;
    if (y0 < 0 || y1 > SCREEN_H) return false;
    std::vector<uint8_t> before;
    for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* p = gfx_screen_pixel(g_back_dib, 0, y);
        before.insert(before.end(), p, p + SCREEN_W);
    }
    const int32_t tx = g_text_x, ty = g_text_y;
    txt_draw_string(col, row, text, colour);
    g_text_x = tx;
    g_text_y = ty;
    bool same = true;
    for (int32_t y = y0; y < y1; ++y) {
        uint8_t* p = gfx_screen_pixel(g_back_dib, 0, y);
        const uint8_t* b = before.data() + static_cast<size_t>(y - y0) * SCREEN_W;
        if (std::memcmp(p, b, SCREEN_W) != 0) same = false;
        std::memcpy(p, b, SCREEN_W);
    }
    return same;
}

// The item whose name is drawn in colour 15 at (col, row), or 0 when none is.
inline int32_t item_listed_at(int32_t col, int32_t row) {
    for (int32_t id = 1; id < ITEM_COUNT; ++id) {
        const char* name = g_items[static_cast<size_t>(id)].name;
        if (name[0] && text_shown_at(col, row, name, 15)) return id;
    }
    return 0;
}

// View position of the middle of choice n of a prompt drawn at (col, row)
// (col -1: centred), laid out as the prompt lays out its text.
struct ViewPoint {
    int x, y;
};
inline ViewPoint prompt_choice_at(const char* text, int32_t col, int32_t row, int32_t n) {
    int32_t width = 0, open_at = 0, found = 0;
    std::vector<std::pair<int32_t, int32_t>> choices;
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    if (*p == '*') ++p;
    while (*p) {
        if (*p == '{') {
            open_at = width;
            ++p;
        } else if (*p == '}') {
            choices.emplace_back(open_at, width);
            ++p;
        } else if (*p >= 161 && *p <= 200 && p[1]) {
            width += 2;
            p += 2;
        } else if (*p == '/' && p[1]) {
            width += p[1] == '/' ? 1 : 0;
            p += 2;
        } else {
            width += 1;
            ++p;
        }
    }
    (void)found;
    if (col == -1) col = (MENU_SCREEN_COLS - width) / 2;
    if (row == -1) row = 9;
    const auto& c = choices.at(static_cast<size_t>(n));
    return {(col + c.first) * 8 + (c.second - c.first) * 4, row * MENU_ROW_H + MENU_ROW_H / 2};
}

#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tests/loop_fixture.h"

// The loop fixture on a 20 x 14 map of terrain class 1 at zoom 1 (the view
// stays at the top left for units there), with a script of spaced clicks.
class ItemTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        load_first_stage(0);
        flat_map();
        g_turn = 0;
        sys_log_clear();
    }
    void TearDown() override {
        g_terrain_class_of_tile = g_tileset_terrain[0].data();
        LoopTest::TearDown();
    }

    static UnitRecord* place(int slot, int x, int y, int cls, int ch = 2, int mode = 0) {
        UnitRecord& r = place_record(slot, x, y, stats(ch, cls, mode, 50), 100);
        r.stats.weapon = 0;
        r.equipped_slot = ITEM_NO_SLOT;
        return &r;
    }

    // One scripted input: a left click (or a right one) at a view position.
    struct Input {
        int x, y;
        bool right = false;
    };
    static Input any_click() { return {320, 200}; }
    static Input right_click() { return {320, 200, true}; }
    static Input cell(int x, int y) { return {16 + x * 32 + 16, y * 32 + 16}; }
    static Input choice(const char* prompt, int col, int row, int n) {
        const ViewPoint p = prompt_choice_at(prompt, col, row, n);
        return {p.x, p.y};
    }

    // Runs f with the inputs given gap milliseconds apart, and each_poll (when
    // given) at every poll; false when f did not end before the script ran
    // out (the quit then ends it).
    template <class F>
    bool run_with(const std::vector<Input>& inputs, F f, uint32_t gap = 400,
                  std::function<void()> each_poll = nullptr) {
        uint32_t t = gap;
        for (const Input& in : inputs) {
            at(t, in.right ? HeadlessKind::RClick : HeadlessKind::Click, in.x, in.y + 48);
            t += gap;
        }
        // A flow still running well after its last input is stuck.
        const uint32_t deadline = sys_headless_clock() + t + 4000;
        start_polling([deadline, each_poll] {
            if (each_poll) each_poll();
            if (sys_headless_clock() > deadline) throw WinQuit{};
        });
        bool ended = true;
        try {
            f();
        } catch (const WinQuit&) {
            ended = false;
        }
        polling = false;
        return ended;
    }

    static int count_log_prefix(const std::string& part) {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l.find(part) != std::string::npos;
        return n;
    }
};
