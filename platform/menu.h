// Window and menu toolkit: saved rectangles of the back image, window frames
// drawn from 8 x 20 chips on the text grid, clickable hit rectangles with
// hover callbacks, the mouse loop over them, the one-line prompt with its
// choices in braces and the vertical list menu; and the three interface
// sheets loaded at start.
//
// Text grid: columns of 8 pixels (80 across) and rows of 20 pixels; -1 as a
// column or row centres.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The pixels under a window, put back when it closes. Only the part of the
// asked rectangle that lies inside the back image is kept: x, y, w, h
// describe that part (w or h 0 when nothing of it is inside).
struct SavedRect {
    int32_t x;                    // left pixel
    int32_t y;                    // top screen line
    int32_t w;                    // width in pixels
    int32_t h;                    // height in lines
    std::vector<uint8_t> pixels;  // w x h, top line first
};

// Owner of a saved rectangle held across a wait: a quit that unwinds the
// wait frees it (without putting it back). gfx_restore_rect_free(a.release())
// puts it back and frees it at the owner's own moment.
using SavedArea = std::unique_ptr<SavedRect>;

struct HitRect;
// Hover callback: selected 1 when the pointer enters the entry, 0 when it leaves.
using HitCallback = void (*)(int32_t selected, const HitRect* entry);

// One clickable rectangle, in view coordinates, inclusive.
struct HitRect {
    uint32_t id;  // the entry's number, HIT_RECT_FREE for a free entry
    int32_t x1;
    int32_t y1;
    int32_t x2;
    int32_t y2;
    HitCallback callback;  // or null
};
static_assert(offsetof(HitRect, id) == 0);
static_assert(offsetof(HitRect, x1) == 4);
static_assert(offsetof(HitRect, y1) == 8);
static_assert(offsetof(HitRect, x2) == 12);
static_assert(offsetof(HitRect, y2) == 16);
static_assert(offsetof(HitRect, callback) >= 20);

constexpr uint32_t HIT_RECT_FREE = 0xFFFFFFFFu;
constexpr int MENU_HIT_RECTS = 100;
constexpr int MENU_SCREEN_COLS = 80;
constexpr int MENU_ROW_H = 20;
// The prompt reads and keeps at most this many bytes of its text (the rest
// is cut), and its table of choices (choices past it are not clickable).
constexpr int MENU_PROMPT_TEXT_MAX = 103;
constexpr int MENU_PROMPT_CHOICES = 8;
// A list menu shows at most this many items.
constexpr int MENU_LIST_MAX = 20;

extern uint8_t* g_sheet_winchip;
extern uint8_t* g_sheet_cursor;
extern uint8_t* g_sheet_icons;
extern int32_t g_menu_chip_set;  // 1 while a list menu is open: chips come from the menu variant
extern int32_t g_screen_cols;    // 80
extern HitRect g_hit_rects[MENU_HIT_RECTS];

// New saved rectangle of wcols x 8 pixels by h lines at (col x 8, y), copied
// from the back image; null when out of memory.
SavedRect* gfx_save_rect(int32_t col, int32_t y, int32_t wcols, int32_t h);
// Puts it back and frees it; a null one does nothing.
void gfx_restore_rect_free(SavedRect* saved);
// Puts it back without freeing it, only when flag is negative.
void gfx_restore_rect(int32_t flag, int32_t unused, SavedRect* saved);
void gfx_load_ui_sheets();
void gfx_free_ui_sheets();

// Window frame around a text area of w columns and h rows whose first
// character cell is (col, row); invalidates the game window.
void menu_draw_window(int32_t col, int32_t row, int32_t w, int32_t h);
void menu_clear_hit_rects();
// Entry n (0..99) of g_hit_rects; other numbers are ignored.
void menu_set_hit_rect(int32_t n, int32_t x, int32_t y, int32_t w, int32_t h, HitCallback callback);
void menu_hover_box_dark(int32_t selected, const HitRect* entry);
void menu_hover_box_light(int32_t selected, const HitRect* entry);
// Mouse loop over the first count entries of table (g_hit_rects when null):
// the index of the clicked entry, or -1 for a right click when cancel is
// allowed.
int32_t menu_run(int32_t cancel_allowed, HitRect* table, int32_t count);
// The prompt dialog: a one-row window with the text, its choices in braces.
// Returns the chosen choice or -1 (right click). Without choices it waits for
// any click and returns 1 for a left click, 0 for a right one. A text that
// begins with "*" is shown without waiting: the window stays on the screen
// and the result is 0.
int32_t menu_prompt(int32_t col, int32_t row, const char* text, int32_t default_choice);
// The "*" form that hands back the area under the window (a leading "*" is
// optional): the window is shown and the caller restores and frees the area
// later with gfx_restore_rect_free.
SavedRect* menu_prompt_keep(int32_t col, int32_t row, const char* text);
// The list menu over a null-terminated list of texts: the chosen index or -1.
int32_t menu_list_select(int32_t col, int32_t row, const char* const* list, int32_t start, int32_t cancel_allowed);

// Resets this module's state to its values at program start (tests).
void menu_reset();
