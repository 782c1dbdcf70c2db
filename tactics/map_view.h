// Map view: a window of the stage map in the back image, 19 x 12 cells of
// 32 pixels at zoom 1 or 38 x 24 cells of 16 pixels at zoom 2, from x 16,
// y 0. Single cells, the whole view, scrolling, centring, zoom and the
// one-cell unit step with its walking animation. After every change of the
// view the picture is copied to the background image.
#pragma once

#include <array>
#include <cstdint>

#include "tactics/settings.h"

struct UnitRecord;

constexpr int32_t SPRITE_LIST_SIZE = 40;
constexpr int32_t SPRITE_MODULES = 6;  // chapter modules 0..5

// Map cell of the view's top-left corner, the view's size in cells, the cell
// width in 8-pixel columns and the cell height in pixels.
extern int32_t g_view_x, g_view_y;
extern int32_t g_view_cols, g_view_rows;
extern int32_t g_cell_w8, g_cell_h;

// Classes with a frame in each chapter module's unit sheet, in frame order,
// ended by -1; the current module's list; the walk-sheet column by direction.
extern const std::array<std::array<int16_t, SPRITE_LIST_SIZE>, SPRITE_MODULES> g_sprite_class_lists;
extern const int16_t* g_sprite_class_list;
extern const std::array<int32_t, 4> g_walk_dir_base;
// Position in the walk cycle 0, 1, 2, 1 (16 frames), kept between steps.
extern int32_t g_walk_frame_counter;

// The exchange marking read by the painter (the display options it reads
// are the settings').
extern int32_t g_exchange_marking;

// The sprite set a chapter module uses (module 0 shares module 2's).
int32_t map_sprite_module(int32_t module);
// Makes a module's list current and sets g_tile_overlay_limit to its length.
void map_select_sprite_list(int32_t module);
int32_t map_unit_sprite_index(UnitRecord* unit);

// Screen position of a view-relative cell: text column and pixel row; 1 when
// it lies in the visible part.
int32_t map_cell_to_screen(int32_t vx, int32_t vy, int32_t* col, int32_t* y);
// View-relative cell under a view pixel.
void map_pixel_to_cell(int32_t x, int32_t y, int32_t* vx, int32_t* vy);

void map_draw_cell(int32_t vx, int32_t vy);
void map_redraw_cell_view(int32_t vx, int32_t vy);
void map_draw_cell_abs(int32_t x, int32_t y);
void map_redraw_cell_abs(int32_t x, int32_t y);
void map_redraw_view();
// 1 while the map graphics are loaded and the view can be drawn; 0 once they
// are freed, as the ending leaves them.
int32_t map_view_available();
// Copies the back image to the background image.
void map_copy_to_background();

void map_center_view_on(int32_t x, int32_t y);
void map_set_zoom(int32_t z);
int32_t map_scroll_up(int32_t speed);
int32_t map_scroll_down(int32_t speed);
int32_t map_scroll_left();
int32_t map_scroll_right();

// Moves a unit one cell (0..3), puts it on its own cell (5) or takes it off
// the map (6).
void map_move_unit_step(UnitRecord* unit, int32_t direction);
void map_patch_class_sprite(int32_t class_id, int32_t slot);
void map_apply_walk_sprite(int32_t n, int32_t slot);

// Resets this module's state to its values at program start (tests).
void map_view_reset();
