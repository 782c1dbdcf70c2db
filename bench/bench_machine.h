// A headless machine for the benchmarks: the screen images, the game window
// whose procedure is the shell's (so timer, paint and mouse messages run as
// in the game) and the frame timer running; the data folder is the kit.
#pragma once

#include <cstdio>

#include "platform/input.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "sys/headless/headless.h"

#ifndef ROWEN_KIT_DIR
#define ROWEN_KIT_DIR "."
#endif

inline SysWnd bench_start_machine() {
    HeadlessOptions opt;
    opt.exe_dir = ROWEN_KIT_DIR;
    sys_use_headless(opt);
    win_shell_reset();
    win_input_reset();
    gfx_screens_alloc();
    sys_register_class("bench", win_main_proc);
    g_hwnd_game = -1;
    SysWnd w = sys_create_window("bench", "", WS_POPUP, 0, 0, 640, 480);
    g_hwnd_game = g_hwnd_main = g_hwnd_popup = w;
    g_fullscreen = 1;
    g_first_paint_done = 1;
    g_view_offset = {0, 48};
    std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", ROWEN_KIT_DIR);
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s/dat/", ROWEN_KIT_DIR);
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s/bmp/", ROWEN_KIT_DIR);
    std::snprintf(g_wave_dir, sizeof g_wave_dir, "%s/wave/", ROWEN_KIT_DIR);
    sys_show_window(w, 1);
    sys_set_foreground(w);
    sys_set_timer(w, FRAME_TIMER_ID, FRAME_TIMER_MS);
    g_last_timer_tick = sys_tick_count();
    return w;
}
