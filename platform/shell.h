// The application shell: entry, single instance, the two windows, the main
// window procedure with its frame timer and the private scene messages.
#pragma once

#include <cstdint>

#include "sys/sys.h"

enum : uint32_t {
    MSG_SCENE_TITLE = 1034,
    MSG_SCENE_TITLE_REPOST = 1035,
    MSG_SCENE_GAME = 1036,
    MSG_SCENE_QUIT = 1127,
};
constexpr uint32_t FRAME_TIMER_ID = 1;
constexpr uint32_t FRAME_TIMER_MS = 16;

extern int32_t g_hinstance;
extern int32_t g_screen_w, g_screen_h;
extern int32_t g_fullscreen;
extern SysWnd g_hwnd_main, g_hwnd_popup, g_hwnd_game, g_msg_hwnd;
extern int32_t g_ddraw;
extern char g_exe_dir[128];
extern char g_dat_dir[160], g_midi_dir[160], g_wave_dir[160], g_bmp_dir[160];
extern uint32_t g_debug_flags;
extern uint32_t g_last_timer_tick;
extern int32_t g_ime_status_hidden;
extern uint32_t g_saved_cursor;
extern int32_t g_first_paint_done;
extern int32_t g_paint_busy;
extern uint32_t g_chapter;
extern int32_t g_module_index;
extern int32_t g_stage_index;

int win_main(int32_t instance, int32_t previous, const char* cmdline, int32_t show);
int win_register_classes(int32_t instance);
int win_create_main_window(int32_t instance, int32_t show);
int32_t win_main_proc(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam);
int32_t win_popup_proc(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam);
void win_toggle_fullscreen();
int32_t scn_part_of_stage(int32_t stage);

// Shuts the program down because a data file it cannot go on without is
// missing or unreadable: the program then ends with code 1 and names the
// file on standard error.
void win_shutdown_for_file(SysWnd w, const char* path);
// Posts the scene message for a scene's result code: 0 the title, 1..5 the
// game, anything else the shut-down.
void win_post_scene_for(int32_t r);
// Parses the debug-flag text (at most its first 10 bytes) as one hexadecimal
// number: leading blanks skipped, stops at the first non-digit.
uint32_t win_parse_debug_flags(const char* text, uint32_t n);
// Resets the shell's globals to their values at program start (tests).
void win_shell_reset();
