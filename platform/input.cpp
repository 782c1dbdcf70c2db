// Input, cursor, waits and small utilities: the means by which game code,
// running inside one scene message, lets time pass and reads the player.
#include "platform/input.h"

#include <cstring>
#include <ctime>

#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "sys/sys.h"

ClickRecord g_click[2] = {};
int32_t g_left_held = 0;
int32_t g_tick_counter = 0;
int32_t g_wait_ms = 16;
int32_t g_redraw_pending = 0;
int32_t g_cursor_shape = -1;
int32_t g_cursor_visible = 0;
int32_t g_mouse_x = 0, g_mouse_y = 0;
int32_t g_cursor_pin[4] = {};
int32_t g_cursor_clipped = 0;
int32_t g_shake_on = 0, g_shake_lock = 0, g_shake_amplitude = 0, g_shake_saved_offset = 0;
int32_t g_random_seeds[3] = {167, 19960, 5150};

namespace {

bool pin_applies() {
    return g_cursor_pin[0] != 0 && g_cursor_pin[0] == g_cursor_pin[2] && g_fullscreen &&
           sys_foreground() == g_hwnd_game;
}

// Confines the pointer to the 1 x 2 rectangle of the pin.
void pin_confine() {
    SysRect r{g_cursor_pin[0] - 16, g_cursor_pin[1] + 48, g_cursor_pin[0] - 15, g_cursor_pin[1] + 50};
    sys_clip_cursor(g_hwnd_game, &r);
}

}  // namespace

void win_pump_one() {
    SysMsg m;
    if (!sys_get_message(&m)) throw WinQuit{};
    sys_dispatch(&m);
    // A shut-down handled just now: nothing of the scene may run on.
    if (sys_quit_posted()) throw WinQuit{};
}

void win_client_to_view(int32_t* x, int32_t* y) {
    if (g_fullscreen) {
        *y -= g_view_offset.y;
    } else {
        *x += 16;
        if (g_chapter == 0) *y += 8;
    }
}

void win_view_to_client(int32_t* x, int32_t* y) {
    if (g_fullscreen) {
        *y += g_view_offset.y;
    } else {
        *x -= 16;
        if (g_chapter == 0) *y -= 8;
    }
}

// A wait starts at the system clock's time at its call and ends on the
// first frame-timer message handled more than `g_wait_ms` ms after it. So
// it ends only on a frame-timer message, never because a pointer or key
// message came in, and lasts more than its length and at most one frame
// more, however busy the pointer is and whatever came before the call.
// Work that held the program without pumping messages (a slow load, a
// retried read, a message box) holds back the frame timer: its message is
// handled at the call, and the timer runs on from there; being no later
// than the call, it does not end the wait.
uint32_t win_wait_ms() {
    if (g_redraw_pending) {
        g_redraw_pending = 0;
        sys_invalidate(g_hwnd_game);
    }
    const uint32_t start = sys_tick_count();
    uint32_t now;
    do {
        win_pump_one();
        now = g_last_timer_tick;
    } while (static_cast<int32_t>(now - start) <= g_wait_ms);
    return now;
}

void win_wait_units(int32_t n) {
    sys_invalidate(g_hwnd_game);
    g_wait_ms = g_chapter != 0 ? n * 12 : n;
    win_wait_ms();
    g_wait_ms = 16;
}

int32_t win_poll_click(int32_t button, int32_t, int32_t* x, int32_t* y) {
    win_pump_one();
    if (pin_applies()) {
        pin_confine();
        g_cursor_clipped = 1;
    } else {
        g_cursor_clipped = 0;
        sys_clip_cursor(g_hwnd_game, nullptr);
    }
    ClickRecord& c = g_click[button & 1];
    int32_t count = c.count;
    c.count = 0;
    win_client_to_view(&c.x, &c.y);
    *x = c.x;
    *y = c.y;
    return count;
}

int32_t win_get_mouse_pos(int32_t* x, int32_t* y) {
    int px = 0, py = 0;
    sys_get_cursor_pos(g_hwnd_game, &px, &py);
    win_client_to_view(&px, &py);
    *x = px;
    *y = py;
    return g_cursor_visible;
}

void win_set_mouse_pos(int32_t x, int32_t y) {
    win_view_to_client(&x, &y);
    sys_set_cursor_pos(g_hwnd_game, x, y);
}

void win_set_cursor_shape(int32_t shape) { g_cursor_shape = shape; }
void win_cursor_flag_on() { g_cursor_visible = 1; }
void win_cursor_flag_off() { g_cursor_visible = 0; }

void win_set_cursor_pin(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    g_cursor_pin[0] = left;
    g_cursor_pin[1] = top;
    g_cursor_pin[2] = right;
    g_cursor_pin[3] = bottom;
    if (pin_applies()) {
        sys_set_cursor_pos(g_hwnd_game, left - 16, top + 48);
        pin_confine();
    } else {
        sys_clip_cursor(g_hwnd_game, nullptr);
    }
}

void win_get_cursor_pin(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
    *left = g_cursor_pin[0];
    *top = g_cursor_pin[1];
    *right = g_cursor_pin[2];
    *bottom = g_cursor_pin[3];
}

int32_t win_wait_click_blink() {
    int32_t was_visible = win_get_mouse_pos(&g_mouse_x, &g_mouse_y);
    int32_t phase = 0;
    // Each phase shows at once: the polls below wait for whatever message
    // comes next, so a shape left for the frame's own paint would show
    // sooner or later as the pointer moves or not. Every wait starts on
    // shape 5: on the title, where the tick counter stands still, that is
    // the only shape shown.
    auto blink = [&phase] {
        g_tick_counter = 0;
        phase ^= 1;
        win_set_cursor_shape(phase ? 5 : 6);
        win_cursor_flag_on();
        sys_invalidate(g_hwnd_game);
    };
    win_wait_units(1);
    blink();
    int32_t x, y;
    win_poll_click(0, 0, &x, &y);
    win_poll_click(1, 0, &x, &y);
    int32_t result;
    for (;;) {
        if (win_poll_click(0, 0, &x, &y) > 0) {
            result = 1;
            break;
        }
        if (win_poll_click(1, 0, &x, &y) > 0) {
            result = 0;
            break;
        }
        if (g_tick_counter >= 16) blink();
    }
    if (!was_visible) win_cursor_flag_off();
    win_set_cursor_shape(0);
    snd_play_effect(SFX_CLICK);
    return result;
}

int32_t win_wait_click_blink_2() { return win_wait_click_blink(); }

void win_discard_clicks() {
    g_click[0].count = 0;
    g_click[1].count = 0;
}

void win_wait_click_or_ticks(int32_t ticks, int32_t pace) {
    int32_t x, y;
    for (;;) {
        if (ticks >= 0 && g_tick_counter >= ticks) return;
        if (win_poll_click(0, 0, &x, &y) > 0) return;
        if (win_poll_click(1, 0, &x, &y) > 0) return;
        if (pace > 0) win_wait_units(pace);
    }
}

void gfx_shake_start(int32_t amplitude) {
    if (amplitude <= 0) return;  // a shake needs something to divide by
    g_view_rect.bottom = 416;
    // A shake started while one runs changes only its amplitude: the view's
    // resting place is the one from before the first shake, not wherever
    // the running shake has moved it (the stop would leave the view there).
    if (!g_shake_on) g_shake_saved_offset = g_view_offset.y;
    g_shake_amplitude = amplitude;
    g_shake_lock = 1;
    g_shake_on = 1;
}

void gfx_shake_step() {
    if (!g_shake_on || g_shake_amplitude <= 0) return;
    g_view_offset.y = g_shake_saved_offset + util_random() % g_shake_amplitude;
    sys_invalidate(g_hwnd_game);
}

void gfx_shake_stop() {
    g_shake_lock = 0;
    g_shake_on = 0;
    g_view_offset.y = g_shake_saved_offset;
    win_wait_units(1);
    g_view_rect.bottom = 384;
}

int32_t util_random() {
    int32_t& s1 = g_random_seeds[0];
    int32_t& s2 = g_random_seeds[1];
    int32_t& s3 = g_random_seeds[2];
    s1 = 171 * (s1 % 177) - 2 * (s1 / 177);
    s2 = 172 * (s2 % 176) - 35 * (s2 / 176);
    s3 = 170 * (s3 % 178) - 63 * (s3 / 178);
    if (s1 < 0) s1 += 30269;
    if (s2 < 0) s2 += 30307;
    if (s3 < 0) s3 += 30323;
    return s1 + s2 + s3;
}

void util_random_reset() {
    g_random_seeds[0] = 167;
    g_random_seeds[1] = 19960;
    g_random_seeds[2] = 5150;
}

void util_memory_error() { sys_message_box(0, "Memory Error", "", MB_OK); }

void util_memset(void* dest, int value, uint32_t n) { std::memset(dest, value, n); }
void util_memcpy(void* dest, const void* src, uint32_t n) { std::memmove(dest, src, n); }

void util_swap16(int16_t* a, int16_t* b) {
    int16_t t = *a;
    *a = *b;
    *b = t;
}

void util_get_date(uint16_t* year, uint16_t* month, uint16_t* day) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    *year = static_cast<uint16_t>(tm.tm_year + 1900);
    *month = static_cast<uint16_t>(tm.tm_mon + 1);
    *day = static_cast<uint16_t>(tm.tm_mday);
}

void util_get_time(uint16_t* hour, uint16_t* minute) {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    *hour = static_cast<uint16_t>(tm.tm_hour);
    *minute = static_cast<uint16_t>(tm.tm_min);
}

void win_input_reset() {
    g_click[0] = g_click[1] = ClickRecord{};
    g_left_held = 0;
    g_tick_counter = 0;
    g_wait_ms = 16;
    g_redraw_pending = 0;
    g_cursor_shape = -1;
    g_cursor_visible = 0;
    g_mouse_x = g_mouse_y = 0;
    for (auto& v : g_cursor_pin) v = 0;
    g_cursor_clipped = 0;
    g_shake_on = g_shake_lock = g_shake_amplitude = g_shake_saved_offset = 0;
    util_random_reset();
}
