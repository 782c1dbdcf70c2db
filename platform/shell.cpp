// The application shell: entry, single instance, the main and full-screen
// windows, and the main window procedure that drives the whole game from
// its frame timer, paint, mouse and key messages and the scene messages.
#include "platform/shell.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "story/title.h"
#include "tactics/game.h"

int32_t g_hinstance = 0;
int32_t g_screen_w = 0, g_screen_h = 0;
int32_t g_fullscreen = 0;
SysWnd g_hwnd_main = 0, g_hwnd_popup = 0, g_hwnd_game = 0, g_msg_hwnd = 0;
int32_t g_ddraw = 0;
char g_exe_dir[128];
char g_dat_dir[160], g_midi_dir[160], g_wave_dir[160], g_bmp_dir[160];
uint32_t g_debug_flags = 0;
uint32_t g_last_timer_tick = 0;
int32_t g_ime_status_hidden = 0;
uint32_t g_saved_cursor = 0;
int32_t g_first_paint_done = 0;
int32_t g_paint_busy = 0;
uint32_t g_chapter = 0;
int32_t g_module_index = 0;
int32_t g_stage_index = -1;

namespace {

const char* const MUTEX_NAME = "Software\\QMX\\MARDOSKE\\EXEC";
const char* const MAIN_CLASS = "dibitWClass";
const char* const POPUP_CLASS = "dibitCClass";

char g_deb_flag_path[192];
// The data file whose failure ends the program; empty while none has.
char g_failed_file[260];
// Set by the clean-up: the image blocks are freed once the outer message
// loop has ended, never under a scene that is still unwinding.
bool g_blocks_pending_free = false;

void note_failed_file(const char* path) {
    if (!g_failed_file[0]) std::snprintf(g_failed_file, sizeof g_failed_file, "%s", path);
}

// The exit code of the program: 1, with the file named on standard error,
// when a data file it needed ended it.
int exit_code(int code) {
    if (!g_failed_file[0]) return code;
    std::fprintf(stderr, "rowenbel: missing or unreadable data file: %s\n", sys_resolve_path(g_failed_file).c_str());
    return 1;
}

void free_blocks() {
    gfx_free_presentation();
    gfx_free_ui_sheets();
    gfx_screens_free();
    g_load_dib.clear();
    g_load_dib.shrink_to_fit();
    g_blocks_pending_free = false;
}

void read_debug_flags() {
    g_debug_flags = 0;
    FILE* f = sys_fopen(g_deb_flag_path, "rb");
    if (!f) return;
    char text[11] = {};
    size_t n = std::fread(text, 1, 10, f);
    std::fclose(f);
    g_debug_flags = win_parse_debug_flags(text, static_cast<uint32_t>(n));
}

// Set-up at the main window's creation; -1 ends start-up (a missing first
// picture), 0 goes on.
int32_t on_create(SysWnd w) {
    g_hwnd_game = g_hwnd_main = w;
    g_hwnd_popup = sys_create_window(POPUP_CLASS, "", WS_POPUP, 0, 0, 640, 480);
    g_ddraw = 1;

    std::string exe = sys_program_path();
    size_t cut = exe.find_last_of("/\\");
    std::string dir = cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
    std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", dir.c_str());
    std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\dat\\", g_exe_dir);
    std::snprintf(g_midi_dir, sizeof g_midi_dir, "%s\\midi\\", g_exe_dir);
    std::snprintf(g_wave_dir, sizeof g_wave_dir, "%s\\wave\\", g_exe_dir);
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", g_exe_dir);
    std::snprintf(g_deb_flag_path, sizeof g_deb_flag_path, "%s\\deb_flag", g_exe_dir);

    read_debug_flags();

    g_load_dib.assign(SCREEN_HEADER_SIZE, 0);
    gfx_screens_alloc();

    // The input-method status setting has no counterpart here: nothing is
    // read and nothing is sent.
    g_ime_status_hidden = 0;

    std::snprintf(g_load_path, sizeof g_load_path, "%sPresents.bmp", g_bmp_dir);
    if (!gfx_load_dib(w)) {
        // Start-up cannot go on without the first picture's colours.
        note_failed_file(g_load_path);
        free_blocks();
        return -1;
    }
    std::memcpy(g_background_dib, g_load_dib.data(), SCREEN_HEADER_SIZE);
    std::memcpy(g_back_dib, g_background_dib, SCREEN_HEADER_SIZE);
    for (uint8_t* dib : {g_background_dib, g_back_dib}) {
        auto* h = reinterpret_cast<DibInfoHeader*>(dib);
        h->height = SCREEN_H;
        h->size_image = static_cast<uint32_t>(SCREEN_IMAGE_SIZE);
    }

    sys_show_cursor(0);
    win_set_cursor_shape(0);
    gfx_load_ui_sheets();

    g_view_rect.left = 16;
    g_view_rect.right = 624;
    g_view_rect.bottom = 384;
    g_dib_bits_offset = static_cast<int32_t>(SCREEN_HEADER_SIZE);

    sys_set_timer(w, FRAME_TIMER_ID, FRAME_TIMER_MS);
    g_last_timer_tick = sys_tick_count();
    sys_post_message(w, MSG_SCENE_TITLE, 0, 0);
    return 0;
}

void on_destroy(SysWnd w) {
    sys_kill_timer(g_hwnd_main, FRAME_TIMER_ID);
    sys_kill_timer(w, FRAME_TIMER_ID);
    snd_mci_close();
    g_ddraw = 0;
    // The presentation objects, sheets and images are freed after the outer
    // message loop has ended: a scene may still be unwinding above us.
    g_blocks_pending_free = true;
    sys_show_cursor(1);
    sys_post_quit(0);
}

void on_paint(SysWnd w) {
    if (!g_first_paint_done) {
        g_first_paint_done = 1;
        if (!(g_debug_flags & 0x200)) {
            g_fullscreen = 1;
            win_toggle_fullscreen();
            w = g_hwnd_game;
        }
    }
    if (g_paint_busy) return;
    if (g_fullscreen ? w != g_hwnd_popup : w == g_hwnd_popup) return;
    gfx_paint(w);
}

void on_timer() {
    uint32_t now = sys_tick_count();
    int32_t n = static_cast<int32_t>(now - g_last_timer_tick) / 16;
    if (n == 0) n = 1;
    if (n > 4) n = 4;
    g_last_timer_tick = now;
    for (int32_t i = 0; i < n; ++i) scn_tick();
    sys_invalidate(g_hwnd_game);
}

void set_game_view_offset() {
    if (g_fullscreen) {
        g_view_offset.x = 0;
        g_view_offset.y = g_chapter == 0 ? 40 : 48;
    } else {
        g_view_offset.x = -16;
        g_view_offset.y = 0;
    }
}

void on_scene_title() {
    if (g_fullscreen) {
        g_view_offset.x = 0;
        g_view_offset.y = 40;
    } else {
        g_view_offset.x = -16;
        g_view_offset.y = -8;
    }
    g_view_rect.bottom = 392;
    g_chapter = 0;
    g_stage_index = -1;
    SysWnd hwnd = g_msg_hwnd;
    try {
        title_run();
    } catch (const WinQuit&) {
        return;  // the program is shutting down
    }
    g_msg_hwnd = hwnd;
    int32_t r = static_cast<int32_t>(g_chapter);
    g_view_rect.bottom = 384;
    set_game_view_offset();
    if (g_stage_index >= 0) {
        r = scn_part_of_stage(g_stage_index);
        g_chapter = static_cast<uint32_t>(r);
        g_module_index = r;
    }
    win_post_scene_for(r);
}

void on_scene_game() {
    SysWnd hwnd = g_msg_hwnd;
    int32_t r;
    try {
        r = turn_run_game();
    } catch (const WinQuit&) {
        return;
    }
    g_msg_hwnd = hwnd;
    g_chapter = static_cast<uint32_t>(r);
    g_module_index = r;
    win_post_scene_for(r);
}

}  // namespace

void win_post_scene_for(int32_t r) {
    if (r == 0)
        sys_post_message(g_msg_hwnd, MSG_SCENE_TITLE, 0, 0);
    else if (r >= 1 && r <= 5)
        sys_post_message(g_msg_hwnd, MSG_SCENE_GAME, 0, 0);
    else
        sys_post_message(g_msg_hwnd, MSG_SCENE_QUIT, 0, 0);
}

uint32_t win_parse_debug_flags(const char* text, uint32_t n) {
    if (n > 10) n = 10;
    uint32_t i = 0;
    while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    uint32_t v = 0;
    for (; i < n; ++i) {
        int c = static_cast<unsigned char>(text[i]);
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

int32_t scn_part_of_stage(int32_t stage) {
    int32_t s = stage + 1;
    if (s < 2) return 1;
    if (s < 16) return 2;
    if (s < 22) return 3;
    if (s < 34) return 4;
    if (s < 41) return 5;
    return 6;
}

int win_register_classes(int32_t) {
    sys_register_class(MAIN_CLASS, win_main_proc);
    return sys_register_class(POPUP_CLASS, win_popup_proc);
}

int win_create_main_window(int32_t instance, int32_t show) {
    g_hinstance = instance;
    sys_desktop_size(&g_screen_w, &g_screen_h);
    g_fullscreen = g_screen_w <= 640 ? 1 : 0;
    SysWnd w;
    if (g_fullscreen) {
        g_screen_h = 400;
        w = sys_create_window(MAIN_CLASS, "로웬벨", WS_POPUP, 0, 0, g_screen_w, 400);
    } else {
        w = sys_create_window(MAIN_CLASS, "로웬벨", WS_MINIMIZE | WS_CAPTION, (g_screen_w - 614) / 2,
                              (g_screen_h - 408) / 2, 614, 408);
    }
    if (!w) return 0;
    sys_show_window(w, show);
    sys_set_foreground(w);
    return 1;
}

void win_shutdown_for_file(SysWnd w, const char* path) {
    note_failed_file(path);
    sys_post_message(w, MSG_SCENE_QUIT, 0, 0);
}

int win_main(int32_t instance, int32_t previous, const char*, int32_t show) {
    if (!sys_instance_lock(MUTEX_NAME)) {
        std::fputs("rowenbel: the game is already running\n", stderr);
        return 0;
    }
    if (!previous && !win_register_classes(instance)) {
        sys_instance_unlock();
        return 0;
    }
    if (!win_create_main_window(instance, show)) {
        // Start-up was refused (the first picture is missing): a failure.
        sys_instance_unlock();
        return exit_code(1);
    }
    SysMsg m;
    while (sys_get_message(&m)) {
        try {
            sys_dispatch(&m);
        } catch (const WinQuit&) {
            // A wait outside any scene saw the quit: the loop ends below.
        }
    }
    free_blocks();
    sys_instance_unlock();
    return exit_code(static_cast<int>(m.wparam));
}

int32_t win_popup_proc(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam) {
    if (g_fullscreen) return win_main_proc(w, msg, wparam, lparam);
    // A song started in full screen reports its end here; after a switch to
    // the window the notice must still reach the main procedure, or the
    // music would stop looping.
    if (msg == MM_MCINOTIFY) return win_main_proc(w, msg, wparam, lparam);
    return sys_default_proc(w, msg, wparam, lparam);
}

int32_t win_main_proc(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam) {
    g_msg_hwnd = w;
    switch (msg) {
        case WM_CREATE:
            if (g_hwnd_game == 0) return on_create(w);
            return 0;
        case WM_DESTROY:
        case MSG_SCENE_QUIT: on_destroy(w); return 0;
        case WM_MOVE:
        case WM_CLOSE:
        case WM_MOUSEMOVE:
        case WM_PALETTECHANGED:
        case 1124:
        case 1125:
        case 1126: return 0;
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP: g_saved_cursor = sys_get_cursor(); return 0;
        case WM_SETCURSOR:
            if (g_saved_cursor) sys_set_cursor(g_saved_cursor);
            return 0;
        case WM_PAINT: on_paint(w); return 0;
        case WM_KEYDOWN:
            if (wparam == VK_RETURN) sys_post_message(g_hwnd_game, WM_LBUTTONDOWN, 0, 0);
            if (wparam == VK_F12 && g_shake_lock == 0) {
                g_fullscreen ^= 1;
                win_toggle_fullscreen();
            }
            return 0;
        case WM_KEYUP:
            // Enter's release ends the left press it stood for.
            if (wparam == VK_RETURN) g_left_held = 0;
            return 0;
        case WM_TIMER: on_timer(); return 0;
        case WM_LBUTTONDOWN:
            g_click[0].count += 1;
            g_click[0].x = static_cast<int32_t>(lparam & 0xFFFF);
            g_click[0].y = static_cast<int32_t>(lparam >> 16);
            g_left_held = 1;
            return 0;
        case WM_LBUTTONUP: g_left_held = 0; return 0;
        case WM_RBUTTONDOWN:
            g_click[1].count += 1;
            g_click[1].x = static_cast<int32_t>(lparam & 0xFFFF);
            g_click[1].y = static_cast<int32_t>(lparam >> 16);
            return 0;
        case MM_MCINOTIFY:
            if (g_mci_ignore_notify)
                g_mci_ignore_notify = 0;
            else
                snd_mci_replay();
            return 0;
        case MSG_SCENE_TITLE: on_scene_title(); return 0;
        case MSG_SCENE_TITLE_REPOST: sys_post_message(w, MSG_SCENE_TITLE, 0, 0); return 0;
        case MSG_SCENE_GAME: on_scene_game(); return 0;
        default: return sys_default_proc(w, msg, wparam, lparam);
    }
}

void win_toggle_fullscreen() {
    (void)sys_display_depth();
    if (g_fullscreen) {
        // Already in full screen (F12 before the first paint, which switches
        // again): the popup must never be taken for the main window, or the
        // way back to the window would show nothing.
        if (g_hwnd_game != g_hwnd_popup) g_hwnd_main = g_hwnd_game;
        g_hwnd_game = g_hwnd_popup;
        sys_set_window_pos(g_hwnd_popup, 0, 0, 640, 480);
        sys_show_window(g_hwnd_popup, 1);
        sys_set_foreground(g_hwnd_popup);
        sys_show_window(g_hwnd_main, 0);
    } else {
        g_hwnd_game = g_hwnd_main;
        if (g_screen_w < 800)
            sys_set_window_pos(g_hwnd_main, 0, 0, 640, 480);
        else
            sys_set_window_pos(g_hwnd_main, (g_screen_w - 614) / 2, (g_screen_h - 408) / 2, 614, 408);
        sys_show_window(g_hwnd_main, 1);
        sys_set_foreground(g_hwnd_main);
        sys_show_window(g_hwnd_popup, 0);
    }
    set_game_view_offset();
}

void win_shell_reset() {
    g_hinstance = 0;
    g_screen_w = g_screen_h = 0;
    g_fullscreen = 0;
    g_hwnd_main = g_hwnd_popup = g_hwnd_game = g_msg_hwnd = 0;
    g_ddraw = 0;
    g_exe_dir[0] = g_dat_dir[0] = g_midi_dir[0] = g_wave_dir[0] = g_bmp_dir[0] = 0;
    g_debug_flags = 0;
    g_last_timer_tick = 0;
    g_ime_status_hidden = 0;
    g_saved_cursor = 0;
    g_first_paint_done = 0;
    g_paint_busy = 0;
    g_chapter = 0;
    g_module_index = 0;
    g_stage_index = -1;
    g_failed_file[0] = 0;
    if (g_blocks_pending_free) free_blocks();
}
