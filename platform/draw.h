// Drawing primitives and sheet blitters: software drawing into the 640 x 416
// screen images. Rectangles, spans and pixels; whole pictures (opaque, keyed,
// mirrored); cells cut out of picture sheets (window chips, icons, 32 x 32
// cells, map tiles, backdrop tiles); the hover highlight; rectangle copies
// between screen images; the band wipe that opens a battle.
//
// Positions: col is an 8-pixel column (x = col x 8), x a pixel, y a screen
// line (0 at the top). Every routine clips to the image and reads only inside
// its source picture. Colour 14 is the key of keyed drawing.
#pragma once

#include <cstdint>

constexpr uint8_t GFX_KEY_COLOUR = 14;

// The sheet of 32 x 32 cells (three cells a column), set by map and chapter
// code; the origin added by gfx_fill_span.
extern uint8_t* g_cell32_sheet;
extern int32_t g_span_origin_x;
extern int32_t g_span_origin_y;

// A picture's pixels: 40-byte header, clr_used colours (0 meaning 256), then
// width x height bytes bottom-up. Returns the pixels and the size, or null
// for a missing or unusable picture.
const uint8_t* gfx_picture_bits(const uint8_t* picture, int32_t* width, int32_t* height);

void gfx_fill_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour);
void gfx_set_span_origin(int32_t x, int32_t y);
// Fills x1..x2 of memory row 416 - y (one line above where the other
// primitives put line y), after adding the origin.
void gfx_fill_span(int32_t x1, int32_t y, int32_t x2, int32_t colour);
// One pixel on memory row 416 - y, like the span.
void gfx_put_pixel(int32_t x, int32_t y, int32_t colour);
void gfx_clear_screen();
void gfx_recolour_pattern(int32_t col, int32_t y, int32_t wcols, int32_t h, int32_t a, int32_t b, int32_t c);

void gfx_blit_image(int32_t col, int32_t y, const uint8_t* picture);
void gfx_blit_image_keyed(int32_t col, int32_t y, const uint8_t* picture);
void gfx_blit_image_keyed_mirror(int32_t col, int32_t y, const uint8_t* picture);

void gfx_draw_window_chip(int32_t col, int32_t y, int32_t unused_w, int32_t unused_h, int32_t n);
void gfx_draw_icon32(int32_t col, int32_t y, int32_t unused_w, int32_t unused_h, int32_t n);
void gfx_draw_icon(int32_t col, int32_t y, int32_t n);
void gfx_draw_icon32_silhouette(int32_t col, int32_t y, int32_t unused_w, int32_t unused_h, int32_t colour, int32_t n);
void gfx_draw_cell32_sheet(int32_t x, int32_t y, int32_t n);
void gfx_draw_map_tile_overlay(int32_t col, int32_t y, int32_t id);
void gfx_draw_map_tile_base(int32_t col, int32_t y, int32_t id);
void gfx_draw_tile16(int32_t col, int32_t y, const uint8_t* sheet, int32_t n);

// Copies between screen images; x in pixels, y in memory rows (row r is
// screen line 415 - r).
void gfx_copy_rect(uint8_t* dst, int32_t dx, int32_t dy, const uint8_t* src, int32_t sx, int32_t sy, int32_t w,
                   int32_t h);
void gfx_copy_rect_keyed(uint8_t* dst, int32_t dx, int32_t dy, const uint8_t* src, int32_t sx, int32_t sy, int32_t w,
                         int32_t h, int32_t key);
// Copies n bytes, skipping those equal to the key. The caller keeps both runs
// inside their buffers.
void gfx_copy_row_keyed(uint8_t* dst, const uint8_t* src, int32_t n, int32_t key);
// One frame (n = 8, 12, .., 120) of the band wipe.
void gfx_band_wipe(int32_t unused1, int32_t unused2, int32_t n);
