// Test fixtures: a headless machine with the game's globals reset.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "story/hooks.h"
#include "story/title.h"
#include "sys/headless/headless.h"
#include "tactics/ai.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/pick.h"
#include "tactics/save.h"
#include "tactics/settings.h"
#include "tactics/turn.h"
#include "tactics/units.h"

#ifndef ROWEN_KIT_DIR
#define ROWEN_KIT_DIR "."
#endif
// The marked kit: the same data with frame codes, names and plain colours
// drawn on the pictures, for the tests that read what is on the screen.
#ifndef ROWEN_MARKED_KIT_DIR
#define ROWEN_MARKED_KIT_DIR ROWEN_KIT_DIR
#endif

// Points the game's data folders (dat, bmp, midi, wave) at a kit folder.
inline void use_kit_folders(const char* kit) {
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\dat\\", kit);
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", kit);
    std::snprintf(g_midi_dir, sizeof g_midi_dir, "%s\\midi\\", kit);
    std::snprintf(g_wave_dir, sizeof g_wave_dir, "%s\\wave\\", kit);
}

// The wave file of an effect, as the sound log names it.
inline std::string effect_file(SoundEffect e) {
    char name[16];
    std::snprintf(name, sizeof name, "kq7e%02d.wav", static_cast<int>(e));
    return name;
}

// How often an effect started playing, by the sound log (a cut-off is not a
// start).
inline int effect_plays(SoundEffect e) {
    int n = 0;
    for (const auto& l : sys_log_lines())
        n += l.rfind("wave ", 0) == 0 && l.rfind("wave cut ", 0) != 0 && l.find(effect_file(e)) != std::string::npos;
    return n;
}

// A fresh temporary folder, removed at the end of the test.
struct TempDir {
    std::filesystem::path path;
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "rowen-XXXXXX").string();
        char* p = mkdtemp(tmpl.data());
        path = p ? p : tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string str() const { return path.string(); }
};

// The random source's sequence computed the direct way (s = a x s mod m),
// apart from the game's own arithmetic.
struct RandomMirror {
    int64_t s1 = 167, s2 = 19960, s3 = 5150;
    int32_t next() {
        s1 = 171 * s1 % 30269;
        s2 = 172 * s2 % 30307;
        s3 = 170 * s3 % 30323;
        return static_cast<int32_t>(s1 + s2 + s3);
    }
};

// Schedules a scripted event at an offset from the virtual clock's now.
inline void headless_at(uint32_t delay, HeadlessKind kind, int x = 0, int y = 0, uint32_t key = 0,
                        std::string name = {}) {
    HeadlessEvent e;
    e.at = sys_headless_clock() + delay;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.key = key;
    e.name = std::move(name);
    sys_headless_push(e);
}

// Every module's state back to its values at program start, so that no
// test reads what an earlier one left (the suite passes in any order).
inline void reset_game_globals() {
    win_shell_reset();
    win_input_reset();
    file_reset();
    gfx_screen_reset();
    gfx_palette_reset();
    menu_reset();
    snd_reset();
    txt_font_reset();
    map_reset();
    map_free_move_range();
    map_view_reset();
    map_pick_reset();
    unit_reset();
    item_reset();
    game_reset();
    save_reset();
    settings_reset();
    turn_reset();
    ai_reset();
    btl_reset();
    scn_reset();
    title_reset();
}

// A headless machine with one plain game window (no shell set-up): the
// screen images allocated, the frame timer running on the window, the
// game window shown, the globals of the shell and input reset. The
// window's procedure is the shell's, so timer, paint and mouse messages
// are handled as in the game.
class HeadlessTest : public ::testing::Test {
protected:
    TempDir lock_dir;
    HeadlessOptions options;
    SysWnd wnd = 0;

    void SetUp() override {
        options.exe_dir = ROWEN_KIT_DIR;
        options.lock_dir = lock_dir.str();
        start();
    }

    // Starts the machine; tests may change `options` and call it again.
    void start() {
        sys_use_headless(options);
        reset_game_globals();
        gfx_screens_alloc();
        sys_register_class("test", win_main_proc);
        // A non-zero game window makes the shell's creation step do nothing.
        g_hwnd_game = -1;
        wnd = sys_create_window("test", "", WS_POPUP, 0, 0, 640, 480);
        g_hwnd_game = g_hwnd_main = g_hwnd_popup = wnd;
        g_fullscreen = 1;
        g_first_paint_done = 1;
        g_view_offset = {0, 48};
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", options.exe_dir.c_str());
        use_kit_folders(g_exe_dir);
        sys_show_window(wnd, 1);
        sys_set_foreground(wnd);
        sys_set_timer(wnd, FRAME_TIMER_ID, FRAME_TIMER_MS);
        g_last_timer_tick = sys_tick_count();
    }

    void TearDown() override {
        gfx_screens_free();
        sys_shutdown();
    }

    // Schedules a scripted event at an offset from now.
    void at(uint32_t delay, HeadlessKind kind, int x = 0, int y = 0, uint32_t key = 0) {
        headless_at(delay, kind, x, y, key);
    }
};

// The back image's fill before each drawing test: a value no test picture holds.
constexpr uint8_t TEST_BACK_FILL = 253;

// A headless test that draws on a back image filled with TEST_BACK_FILL, and
// checks at its end that nothing drawn landed in the image's header and
// colour table (marked at the start).
class BackImageTest : public HeadlessTest {
protected:
    std::vector<uint8_t> header_before;

    void SetUp() override {
        HeadlessTest::SetUp();
        std::memset(gfx_dib_pixels(g_back_dib), TEST_BACK_FILL, SCREEN_IMAGE_SIZE);
        for (size_t i = 0; i < SCREEN_HEADER_SIZE; ++i) g_back_dib[i] = static_cast<uint8_t>(i * 31);
        header_before.assign(g_back_dib, g_back_dib + SCREEN_HEADER_SIZE);
    }
    void TearDown() override {
        EXPECT_EQ(0, std::memcmp(header_before.data(), g_back_dib, SCREEN_HEADER_SIZE));
        HeadlessTest::TearDown();
    }
    static uint8_t px(int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y); }
};

// Runs the whole program from win_main on the headless back end with a
// script of timed events, the data folder given (the kit by default).
struct GameRun {
    TempDir lock_dir;
    HeadlessOptions options;
    int exit_code = -1;
    std::vector<std::string> log;

    GameRun() {
        options.exe_dir = ROWEN_KIT_DIR;
        options.lock_dir = lock_dir.str();
    }
    void event(uint32_t at, HeadlessKind kind, int x = 0, int y = 0, uint32_t key = 0, std::string name = {}) {
        HeadlessEvent e;
        e.at = at;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.key = key;
        e.name = std::move(name);
        options.script.push_back(e);
    }
    // Calls f at the given virtual time, from inside whatever wait runs then.
    void call_at(uint32_t at, std::function<void()> f) {
        std::string name = "call" + std::to_string(calls.size());
        calls.emplace_back(name, std::move(f));
        event(at, HeadlessKind::Shot, 0, 0, 0, name);
    }
    int run() {
        // A run that does not end by itself ends a minute of virtual time
        // after its last scripted event, so a stuck flow fails rather than
        // hangs.
        uint32_t last = 0;
        for (const HeadlessEvent& e : options.script) last = std::max(last, e.at);
        options.time_limit = last + 60000;
        options.on_shot = [this](const std::string& n) {
            for (auto& [name, f] : calls)
                if (name == n) f();
        };
        sys_use_headless(options);
        reset_game_globals();
        exit_code = win_main(1, 0, "", 1);
        log = sys_log_lines();
        sys_shutdown();
        return exit_code;
    }
    bool logged(const std::string& part) const {
        for (auto& l : log)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::pair<std::string, std::function<void()>>> calls;
};
