// Window and menu toolkit.
#pragma once

#include <cstdint>
#include <vector>

struct SavedRect {
    int32_t x;  // left pixel
    int32_t y;  // top screen line
    int32_t w;  // width in pixels
    int32_t h;  // height in lines
    std::vector<uint8_t> pixels;  // w x h, top line first
};

extern uint8_t* g_sheet_winchip;
extern uint8_t* g_sheet_cursor;
extern uint8_t* g_sheet_icons;
extern int32_t g_menu_chip_set;  // 1 while a list menu is open: chips come from the menu variant

SavedRect* gfx_save_rect(int32_t col, int32_t y, int32_t wcols, int32_t h);
void gfx_restore_rect_free(SavedRect* saved);
void gfx_restore_rect(int32_t flag, int32_t unused, SavedRect* saved);
void gfx_load_ui_sheets();
void gfx_free_ui_sheets();
