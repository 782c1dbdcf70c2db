// The operating-system services the game stands on: one message queue, two
// logical windows over one real window, a millisecond clock, presentation of
// 8-bit images, the system pointer, message boxes, files and the
// single-instance lock. Nothing outside sys/ includes a system header.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using SysWnd = int32_t;  // 0 = no window

struct SysMsg {
    SysWnd hwnd;
    uint32_t message;
    uint32_t wparam;
    uint32_t lparam;
};

struct SysRect {
    int32_t left, top, right, bottom;
};

using SysWndProc = int32_t (*)(SysWnd hwnd, uint32_t msg, uint32_t wparam, uint32_t lparam);

// Message numbers. The private scene messages of the game live at 1024 and
// above; these system ones stay below.
enum : uint32_t {
    WM_NULL = 0,
    WM_CREATE = 1,
    WM_DESTROY = 2,
    WM_MOVE = 3,
    WM_ACTIVATE = 4,
    WM_ACTIVATEAPP = 5,
    WM_PAINT = 6,
    WM_CLOSE = 7,
    WM_QUIT = 8,
    WM_SETCURSOR = 9,
    WM_KEYDOWN = 10,
    WM_KEYUP = 11,
    WM_TIMER = 12,
    WM_MOUSEMOVE = 13,
    WM_LBUTTONDOWN = 14,
    WM_LBUTTONUP = 15,
    WM_RBUTTONDOWN = 16,
    WM_RBUTTONUP = 17,
    WM_PALETTECHANGED = 18,
    MM_MCINOTIFY = 19,
};

// Virtual key codes the game tests.
enum : uint32_t { VK_RETURN = 13, VK_F12 = 123 };

// Window styles: only the difference between a bare popup and a captioned
// window matters here (the captioned one has a frame around its client area).
enum : uint32_t { WS_POPUP = 1, WS_CAPTION = 2, WS_MINIMIZE = 4 };
constexpr int SYS_FRAME_W = 6;   // frame width added to a captioned window's client width
constexpr int SYS_FRAME_H = 24;  // caption and frame height added to its client height

// Message-box flags.
enum : uint32_t { MB_OK = 0, MB_ICONSTOP = 0x10, MB_TOPMOST = 0x40000 };

inline uint32_t sys_make_lparam(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFF);
}

// --- back ends ------------------------------------------------------------
// Exactly one back end is active. sys_use_sdl lives in sys/sdl/sdl.h,
// sys_use_headless in sys/headless/headless.h.
void sys_shutdown();

// --- the program and its machine ----------------------------------------
std::string sys_program_path();  // full path of the program file ('/' separated)
void sys_desktop_size(int* w, int* h);
int sys_display_depth();
// Takes the named single-instance lock: 1 when this is the only instance,
// 0 when another process holds it.
int sys_instance_lock(const char* name);
void sys_instance_unlock();

// --- windows ------------------------------------------------------------
int sys_register_class(const char* cls, SysWndProc proc);  // 1 success, 0 failure
// Creates a window and sends it WM_CREATE before returning; 0 on failure.
SysWnd sys_create_window(const char* cls, const char* title, uint32_t style, int x, int y, int w, int h);
void sys_show_window(SysWnd w, int show);
int sys_window_visible(SysWnd w);
void sys_set_window_pos(SysWnd w, int x, int y, int width, int height);
void sys_set_foreground(SysWnd w);
SysWnd sys_foreground();
void sys_client_size(SysWnd w, int* width, int* height);
int32_t sys_default_proc(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam);

// --- messages -----------------------------------------------------------
// Fetch order: posted messages (FIFO), then input, then a paint (one dirty
// flag per window, cleared when fetched), then the frame timer (at most one
// pending). Once quit is posted every fetch returns WM_QUIT.
void sys_post_message(SysWnd w, uint32_t msg, uint32_t wparam, uint32_t lparam);
void sys_post_quit(int code);
int sys_quit_posted();
int sys_get_message(SysMsg* out);  // blocks; returns 0 for WM_QUIT, else 1
int32_t sys_dispatch(const SysMsg* m);
void sys_invalidate(SysWnd w);
int sys_set_timer(SysWnd w, uint32_t id, uint32_t period_ms);
void sys_kill_timer(SysWnd w, uint32_t id);
uint32_t sys_tick_count();
// Lets time pass without handling any message (input that arrives stays
// queued).
void sys_sleep_ms(uint32_t ms);

// --- presentation -------------------------------------------------------
// Shows a rectangle of an 8-bit bottom-up image through a 256-entry colour
// table (blue, green, red, reserved) in a window's client area. Source line
// y (0 = top) is image row height - 1 - y; lines outside 0..height-1 show
// black. The rectangle lands at (dst_x, dst_y) and is clipped to the client.
// Repeating the last present into a window converts only the lines whose
// source pixels changed.
void sys_present(SysWnd w, const uint8_t* bits, int width, int height, const uint8_t* colour_table, int src_x,
                 int src_y, int rect_w, int rect_h, int dst_x, int dst_y);
// The pixels of a window's client area, 0x00RRGGBB, row by row from the top,
// as the presents so far have made them: read them again after a present.
const uint32_t* sys_window_frame(SysWnd w, int* width, int* height);
// Writes an RGB frame as a PNG file; 1 on success.
int sys_write_png(const char* path, const uint32_t* pixels, int width, int height);

// --- system pointer -----------------------------------------------------
int sys_show_cursor(int show);                      // show count after the change
int sys_show_count();                               // the pointer shows while it is 0 or more
void sys_get_cursor_pos(SysWnd w, int* x, int* y);  // client coordinates of w
void sys_set_cursor_pos(SysWnd w, int x, int y);
void sys_clip_cursor(SysWnd w, const SysRect* r);  // client coordinates; null releases
int sys_cursor_clipped();
uint32_t sys_get_cursor();
void sys_set_cursor(uint32_t c);

// --- message boxes ------------------------------------------------------
// Text and caption are code page 949. Returns 1 (OK).
int sys_message_box(SysWnd owner, const char* text, const char* caption, uint32_t flags);

// --- text ---------------------------------------------------------------
std::string sys_cp949_to_utf8(const char* text);

// --- files --------------------------------------------------------------
// Paths may use '\\' as separator. A path is resolved component by component,
// each matched case-insensitively against the folder when the exact name is
// missing. The result is the path to open (the given one when nothing matches).
std::string sys_resolve_path(const std::string& path);
// Skips a one-letter drive prefix ("a:", "u:", "?:").
const char* sys_skip_drive(const char* name);
// Opens a resolved path with fopen's modes.
FILE* sys_fopen(const std::string& path, const char* mode);
// Writes a whole file through a temporary file renamed into place; 1 on success.
int sys_write_file_atomic(const std::string& path, const void* data, size_t n);

// --- logs ---------------------------------------------------------------
// Lines the program records: "msgbox caption|text", "midi open path",
// "wave path", "message id", ... Kept in memory for tests and the headless
// driver; with a real window the message boxes also go to stderr.
void sys_log(const std::string& line);
const std::vector<std::string>& sys_log_lines();
void sys_log_clear();
