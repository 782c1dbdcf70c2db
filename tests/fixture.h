// Test fixtures: a headless machine with the game's globals reset.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "sys/headless/headless.h"

#ifndef ROWEN_KIT_DIR
#define ROWEN_KIT_DIR "."
#endif

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
        win_shell_reset();
        win_input_reset();
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
        std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\dat\\", g_exe_dir);
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", g_exe_dir);
        std::snprintf(g_midi_dir, sizeof g_midi_dir, "%s\\midi\\", g_exe_dir);
        std::snprintf(g_wave_dir, sizeof g_wave_dir, "%s\\wave\\", g_exe_dir);
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
        HeadlessEvent e;
        e.at = sys_headless_clock() + delay;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.key = key;
        sys_headless_push(e);
    }
};
