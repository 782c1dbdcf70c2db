// Input, cursor, waits and small utilities.
#pragma once

#include <cstdint>

struct ClickRecord {
    int32_t count;
    int32_t x;
    int32_t y;
};

// Thrown by the waits when they fetch the quit message: the running scene
// unwinds to the shell's scene dispatcher.
struct WinQuit {};

extern ClickRecord g_click[2];  // 0 left, 1 right
extern int32_t g_left_held;
extern int32_t g_tick_counter;
extern int32_t g_wait_ms;
extern int32_t g_redraw_pending;
extern int32_t g_cursor_shape;
extern int32_t g_cursor_visible;
extern int32_t g_mouse_x, g_mouse_y;
extern int32_t g_cursor_pin[4];  // left, top, right, bottom
extern int32_t g_cursor_clipped;
extern int32_t g_shake_on, g_shake_lock, g_shake_amplitude, g_shake_saved_offset;
extern int32_t g_random_seeds[3];

// Fetches, translates and dispatches one message; throws WinQuit on quit.
void win_pump_one();

uint32_t win_wait_ms();
void win_wait_units(int32_t n);
int32_t win_poll_click(int32_t button, int32_t ignored, int32_t* x, int32_t* y);
int32_t win_get_mouse_pos(int32_t* x, int32_t* y);
void win_set_mouse_pos(int32_t x, int32_t y);
void win_set_cursor_shape(int32_t shape);
void win_cursor_flag_on();
void win_cursor_flag_off();
void win_set_cursor_pin(int32_t left, int32_t top, int32_t right, int32_t bottom);
void win_get_cursor_pin(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
int32_t win_wait_click_blink();
int32_t win_wait_click_blink_2();
// Drops the clicks of both buttons counted and not yet polled.
void win_discard_clicks();
// Waits, pumping messages, until either button is clicked (a click counted
// before the call ends it at once) or, with `ticks` 0 or more, until the tick
// counter reaches `ticks`; `pace` wait units pass between two rounds of polls.
void win_wait_click_or_ticks(int32_t ticks, int32_t pace = 0);
// The same with no tick limit: only a click ends it.
inline void win_wait_click_either(int32_t pace = 0) { win_wait_click_or_ticks(-1, pace); }
// Client coordinates of the game window to view coordinates, and back.
void win_client_to_view(int32_t* x, int32_t* y);
void win_view_to_client(int32_t* x, int32_t* y);

void gfx_shake_start(int32_t amplitude);
void gfx_shake_step();
void gfx_shake_stop();

int32_t util_random();
void util_random_reset();
void util_memory_error();
void util_memset(void* dest, int value, uint32_t n);
void util_memcpy(void* dest, const void* src, uint32_t n);
void util_swap16(int16_t* a, int16_t* b);
void util_get_date(uint16_t* year, uint16_t* month, uint16_t* day);
void util_get_time(uint16_t* hour, uint16_t* minute);

// Resets this module's state to its values at program start (tests).
void win_input_reset();
