// Screen images and the presenter: the back image everything draws into, the
// background image with the clean scene picture, the shadow work image, and
// the painter that shows the back image with the software cursor over it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/sys.h"

// The 40-byte information header at the start of every picture block.
struct DibInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bit_count;
    uint32_t compression;
    uint32_t size_image;
    int32_t x_pels_per_meter;
    int32_t y_pels_per_meter;
    uint32_t clr_used;
    uint32_t clr_important;
};
static_assert(sizeof(DibInfoHeader) == 40);
static_assert(offsetof(DibInfoHeader, width) == 4);
static_assert(offsetof(DibInfoHeader, height) == 8);
static_assert(offsetof(DibInfoHeader, bit_count) == 14);
static_assert(offsetof(DibInfoHeader, size_image) == 20);
static_assert(offsetof(DibInfoHeader, clr_used) == 32);

constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 416;
constexpr int SCREEN_SHOWN_LINES = 400;       // lines 400..415 are a margin never shown
constexpr size_t SCREEN_HEADER_SIZE = 1064;   // information header and 256 colours
constexpr size_t SCREEN_IMAGE_SIZE = 266240;  // 640 x 416
constexpr size_t SCREEN_DIB_SIZE = 267304;    // header + pixels

// The three images (blocks of SCREEN_DIB_SIZE bytes), null before set-up.
extern uint8_t* g_back_dib;
extern uint8_t* g_background_dib;
extern uint8_t* g_shadow_dib;

struct ViewRect {
    int32_t left, top, right, bottom;
};
struct ViewOffset {
    int32_t x, y;
};
extern ViewRect g_view_rect;
extern ViewOffset g_view_offset;
// The battle's one-frame jolt: when nonzero (1280, two rows of bytes), the
// next present shows the picture two rows lower, the two rows it uncovers
// black, and clears it.
extern int32_t g_btl_jolt;

// Presentation objects. The drawing surface is kept by sys/; these record
// whether the painter has made them (0 = not made yet, so the next paint
// makes them again).
extern int32_t g_mem_dc;
extern int32_t g_mem_bitmap;
extern int32_t g_mem_old_bitmap;
extern int32_t g_gdi_palette;

struct SavedRect;
extern SavedRect* g_cursor_saved_rect;

// Accessors for the geometry shared by every drawing routine.
inline uint8_t* gfx_dib_pixels(uint8_t* dib) { return dib + SCREEN_HEADER_SIZE; }
inline uint8_t* gfx_dib_colours(uint8_t* dib) { return dib + 40; }
// Pixel (x, y) of a screen image, y = 0 at the top.
inline uint8_t* gfx_screen_pixel(uint8_t* dib, int x, int y) {
    return dib + SCREEN_HEADER_SIZE + static_cast<size_t>(SCREEN_H - 1 - y) * SCREEN_W + x;
}

// Allocates and frees the three screen images (cleared to zero).
int gfx_screens_alloc();
void gfx_screens_free();

void gfx_paint(SysWnd window);
void gfx_present_view(SysWnd window);
// Makes the logical palette from an image's colour table; 1 success, 0 failure.
int gfx_create_gdi_palette(const uint8_t* image, int count);
void gfx_cursor_draw();
void gfx_cursor_restore();
void gfx_restore_screen();
// Drops the drawing surface so that the next paint makes it again (a picture
// read does this).
void gfx_drop_surface();
// Frees the presentation objects (shell clean-up).
void gfx_free_presentation();

// Resets this module's state to its values at program start (tests).
void gfx_screen_reset();
