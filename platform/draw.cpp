// Drawing primitives and sheet blitters.
#include "platform/draw.h"

#include <algorithm>
#include <cstring>

#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "tactics/map.h"

uint8_t* g_cell32_sheet = nullptr;
int32_t g_span_origin_x = 0;
int32_t g_span_origin_y = 0;

const uint8_t* gfx_picture_bits(const uint8_t* picture, int32_t* width, int32_t* height) {
    if (!picture) return nullptr;
    DibInfoHeader h;
    std::memcpy(&h, picture, sizeof h);
    if (h.width <= 0 || h.height <= 0 || h.clr_used > 256) return nullptr;
    const uint32_t colours = h.clr_used ? h.clr_used : 256;
    *width = h.width;
    *height = h.height;
    return picture + 40 + static_cast<size_t>(colours) * 4;
}

namespace {

struct Pic {
    const uint8_t* bits = nullptr;
    int64_t w = 0;
    int64_t h = 0;
};

Pic pic_of(const uint8_t* picture) {
    Pic p;
    int32_t w = 0, h = 0;
    p.bits = gfx_picture_bits(picture, &w, &h);
    p.w = w;
    p.h = h;
    return p;
}

enum class Mode { Opaque, Keyed, KeyedMirror, Halftone, Silhouette };

// Draws the cw x ch block of a picture whose top line is `cline` and left
// column `cx` with its top left at pixel dx, line dy of a screen image. Only
// the part that lies inside both the picture and the image is touched.
// Mirrored, the block's last column lands at the left. Half-tone copies the
// pixels where (line + column within the block) is odd and writes 0 where it
// is even. Silhouette writes 0 for source 0 and `colour` for any other
// source pixel but the key.
template <Mode M>
void blit_block(uint8_t* dib, const Pic& p, int64_t cx, int64_t cline, int64_t cw, int64_t ch, int64_t dx, int64_t dy,
                uint8_t colour = 0) {
    if (!dib || !p.bits) return;
    const int64_t k0 = std::max({int64_t{0}, -cline, -dy});
    const int64_t k1 = std::min({ch, p.h - cline, int64_t{SCREEN_H} - dy});
    int64_t i0, i1;
    if constexpr (M == Mode::KeyedMirror) {
        i0 = std::max({int64_t{0}, -dx, cx + cw - p.w});
        i1 = std::min({cw, int64_t{SCREEN_W} - dx, cx + cw});
    } else {
        i0 = std::max({int64_t{0}, -dx, -cx});
        i1 = std::min({cw, int64_t{SCREEN_W} - dx, p.w - cx});
    }
    if (k0 >= k1 || i0 >= i1) return;
    const int64_t n = i1 - i0;
    for (int64_t k = k0; k < k1; ++k) {
        const uint8_t* srow = p.bits + (p.h - 1 - (cline + k)) * p.w;
        uint8_t* d = gfx_dib_pixels(dib) + (SCREEN_H - 1 - (dy + k)) * SCREEN_W + dx + i0;
        if constexpr (M == Mode::Opaque) {
            std::memcpy(d, srow + cx + i0, static_cast<size_t>(n));
        } else if constexpr (M == Mode::Keyed) {
            const uint8_t* s = srow + cx + i0;
            for (int64_t j = 0; j < n; ++j) d[j] = s[j] == GFX_KEY_COLOUR ? d[j] : s[j];
        } else if constexpr (M == Mode::KeyedMirror) {
            const uint8_t* s = srow + cx + cw - 1 - i0;
            for (int64_t j = 0; j < n; ++j) {
                const uint8_t v = *(s - j);
                if (v != GFX_KEY_COLOUR) d[j] = v;
            }
        } else if constexpr (M == Mode::Halftone) {
            const uint8_t* s = srow + cx + i0;
            for (int64_t j = 0; j < n; ++j) d[j] = ((k + i0 + j) & 1) ? s[j] : 0;
        } else {
            const uint8_t* s = srow + cx + i0;
            for (int64_t j = 0; j < n; ++j) {
                const uint8_t v = s[j];
                if (v != GFX_KEY_COLOUR) d[j] = v == 0 ? 0 : colour;
            }
        }
    }
}

// Screen image memory row r, or null outside the image.
uint8_t* screen_row(uint8_t* dib, int64_t r) {
    if (!dib || r < 0 || r >= SCREEN_H) return nullptr;
    return gfx_dib_pixels(dib) + r * SCREEN_W;
}

const uint8_t* screen_row(const uint8_t* dib, int64_t r) { return screen_row(const_cast<uint8_t*>(dib), r); }

// Copies memory row sr of one screen image over row dr of another.
void copy_screen_row(uint8_t* dst, int64_t dr, const uint8_t* src, int64_t sr) {
    uint8_t* d = screen_row(dst, dr);
    const uint8_t* s = screen_row(src, sr);
    if (d && s) std::memmove(d, s, SCREEN_W);
}

int64_t wrap_negative_line(int32_t y) { return y < 0 ? int64_t{y} + SCREEN_H : y; }

}  // namespace

void gfx_fill_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour) {
    if (!g_back_dib) return;
    const int64_t l = std::max<int64_t>(x1, 0), r = std::min<int64_t>(x2, SCREEN_W - 1);
    const int64_t t = std::max<int64_t>(y1, 0), b = std::min<int64_t>(y2, SCREEN_H - 1);
    if (l > r) return;
    for (int64_t y = t; y <= b; ++y)
        std::memset(gfx_screen_pixel(g_back_dib, static_cast<int>(l), static_cast<int>(y)),
                    static_cast<uint8_t>(colour), static_cast<size_t>(r - l + 1));
}

void gfx_set_span_origin(int32_t x, int32_t y) {
    g_span_origin_x = x;
    g_span_origin_y = y;
}

void gfx_fill_span(int32_t x1, int32_t y, int32_t x2, int32_t colour) {
    int64_t l = int64_t{x1} + g_span_origin_x;
    int64_t r = int64_t{x2} + g_span_origin_x;
    const int64_t line = int64_t{y} + g_span_origin_y;
    if (line < 0 || line > SCREEN_SHOWN_LINES - 1) return;
    l = std::max<int64_t>(l, 0);
    r = std::min<int64_t>(r, SCREEN_W - 1);
    if (l > r) return;
    // Line 0 would be memory row 416, past the image: nothing is drawn.
    uint8_t* row = screen_row(g_back_dib, SCREEN_H - line);
    if (row) std::memset(row + l, static_cast<uint8_t>(colour), static_cast<size_t>(r - l + 1));
}

void gfx_put_pixel(int32_t x, int32_t y, int32_t colour) {
    if (x < 0 || x >= SCREEN_W) return;
    uint8_t* row = screen_row(g_back_dib, int64_t{SCREEN_H} - y);
    if (row) row[x] = static_cast<uint8_t>(colour);
}

void gfx_clear_screen() {
    if (g_back_dib) std::memset(gfx_dib_pixels(g_back_dib), 0, SCREEN_IMAGE_SIZE);
}

void gfx_recolour_pattern(int32_t col, int32_t y, int32_t wcols, int32_t h, int32_t a, int32_t b, int32_t c) {
    if (!g_back_dib) return;
    const int64_t x0 = int64_t{col} * 8;
    const int64_t w = int64_t{wcols} * 8;
    const int64_t k0 = std::max<int64_t>(0, -int64_t{y}), k1 = std::min<int64_t>(h, int64_t{SCREEN_H} - y);
    const int64_t i0 = std::max<int64_t>(0, -x0), i1 = std::min<int64_t>(w, SCREEN_W - x0);
    // a >= 0: colour 16 - a turns to a under the pattern b. a < 0: colour 8
    // (or 11 when b is 8) turns to b under the pattern c.
    const int32_t mask = a >= 0 ? b : c;
    const int32_t from = a >= 0 ? 16 - a : (b != 8 ? 8 : 11);
    const uint8_t to = static_cast<uint8_t>(a >= 0 ? a : b);
    for (int64_t k = k0; k < k1; ++k) {
        uint8_t* row = gfx_screen_pixel(g_back_dib, 0, static_cast<int>(y + k));
        for (int64_t i = i0; i < i1; ++i) {
            const int bit = static_cast<int>((k + i + 1) & 7);
            uint8_t& px = row[x0 + i];
            if (((mask >> bit) & 1) && px == from) px = to;
        }
    }
}

void gfx_blit_image(int32_t col, int32_t y, const uint8_t* picture) {
    const Pic p = pic_of(picture);
    blit_block<Mode::Opaque>(g_back_dib, p, 0, 0, p.w, p.h, int64_t{col} * 8, y);
}

void gfx_blit_image_keyed(int32_t col, int32_t y, const uint8_t* picture) {
    const Pic p = pic_of(picture);
    blit_block<Mode::Keyed>(g_back_dib, p, 0, 0, p.w, p.h, int64_t{col} * 8, y);
}

void gfx_blit_image_keyed_mirror(int32_t col, int32_t y, const uint8_t* picture) {
    const Pic p = pic_of(picture);
    blit_block<Mode::KeyedMirror>(g_back_dib, p, 0, 0, p.w, p.h, int64_t{col} * 8, y);
    sys_invalidate(g_hwnd_game);
}

void gfx_draw_window_chip(int32_t col, int32_t y, int32_t, int32_t, int32_t n) {
    if (n < 0) return;
    const int64_t chip_col = n % 6 + (g_menu_chip_set == 1 ? 6 : 0);
    blit_block<Mode::Keyed>(g_back_dib, pic_of(g_sheet_winchip), chip_col * 8, int64_t{n / 6} * 20, 8, 20,
                            int64_t{col} * 8, y);
}

void gfx_draw_icon32(int32_t col, int32_t y, int32_t, int32_t, int32_t n) {
    if (n < 0) return;
    blit_block<Mode::Keyed>(g_back_dib, pic_of(g_sheet_icons), int64_t{n % 16} * 32, int64_t{n / 16} * 32, 32, 32,
                            int64_t{col} * 8, wrap_negative_line(y));
}

void gfx_draw_icon(int32_t col, int32_t y, int32_t n) { gfx_draw_icon32(col, y, 4, 32, n); }

void gfx_draw_icon32_silhouette(int32_t col, int32_t y, int32_t, int32_t, int32_t colour, int32_t n) {
    if (n < 0) return;
    const int64_t m = int64_t{n} + 16;
    blit_block<Mode::Silhouette>(g_back_dib, pic_of(g_sheet_icons), (m % 16) * 32, (m / 16) * 32, 32, 32,
                                 int64_t{col} * 8, wrap_negative_line(y), static_cast<uint8_t>(colour));
}

void gfx_draw_cell32_sheet(int32_t x, int32_t y, int32_t n) {
    if (n < 0) return;
    blit_block<Mode::Keyed>(g_back_dib, pic_of(g_cell32_sheet), int64_t{n / 3} * 32, int64_t{n % 3} * 32, 32, 32, x, y);
}

void gfx_draw_map_tile_overlay(int32_t col, int32_t y, int32_t id) {
    if (!g_tile_sheet_overlay) return;
    const Pic p = pic_of(g_tile_sheet_overlay);
    int64_t t = id & 127;
    if (t >= g_tile_overlay_limit) t = t - g_tile_overlay_limit + 40;
    if (t < 0) return;
    const int64_t x = int64_t{col} * 8, line = wrap_negative_line(y);
    if (g_zoom != 2)
        blit_block<Mode::Keyed>(g_back_dib, p, (t % 20) * 32, (t / 20) * 32, 32, 32, x, line);
    else
        blit_block<Mode::Keyed>(g_back_dib, p, (t % 40) * 16, 128 + (t / 40) * 16, 16, 16, x, line);
}

void gfx_draw_map_tile_base(int32_t col, int32_t y, int32_t id) {
    if (!g_tile_sheet_base) return;
    const Pic p = pic_of(g_tile_sheet_base);
    const int64_t t = id & 127;
    const int64_t x = int64_t{col} * 8, line = wrap_negative_line(y);
    int64_t cx, cline, size;
    if (g_zoom != 2) {
        cx = (t % 20) * 32;
        cline = (t / 20) * 32;
        size = 32;
    } else {
        // The 32-pixel rows 0..2 sit in the left half of the small tiles,
        // rows 3..5 (and on) in the right half.
        const int64_t tz = t / 20 < 3 ? (t / 20) * 40 + t % 20 : (t / 20 - 3) * 40 + t % 20 + 20;
        cx = (tz % 40) * 16;
        cline = 192 + (tz / 40) * 16;
        size = 16;
    }
    if (id & 0x80)
        blit_block<Mode::Halftone>(g_back_dib, p, cx, cline, size, size, x, line);
    else
        blit_block<Mode::Opaque>(g_back_dib, p, cx, cline, size, size, x, line);
}

void gfx_draw_tile16(int32_t col, int32_t y, const uint8_t* sheet, int32_t n) {
    if (n < 0) return;
    blit_block<Mode::Opaque>(g_back_dib, pic_of(sheet), int64_t{n % 40} * 16, int64_t{n / 40} * 16, 16, 16,
                             int64_t{col} * 8 + 16, y);
}

namespace {

// The part of a w x h block copy between two screen images that lies inside
// both: first row and column offsets within the block and the counts.
bool clip_copy(int64_t dx, int64_t dy, int64_t sx, int64_t sy, int64_t w, int64_t h, int64_t* i0, int64_t* n,
               int64_t* k0, int64_t* rows) {
    *i0 = std::max({int64_t{0}, -dx, -sx});
    const int64_t i1 = std::min({w, SCREEN_W - dx, SCREEN_W - sx});
    *k0 = std::max({int64_t{0}, -dy, -sy});
    const int64_t k1 = std::min({h, SCREEN_H - dy, SCREEN_H - sy});
    *n = i1 - *i0;
    *rows = k1 - *k0;
    return *n > 0 && *rows > 0;
}

}  // namespace

void gfx_copy_rect(uint8_t* dst, int32_t dx, int32_t dy, const uint8_t* src, int32_t sx, int32_t sy, int32_t w,
                   int32_t h) {
    if (!dst || !src) return;
    int64_t i0, n, k0, rows;
    if (!clip_copy(dx, dy, sx, sy, w, h, &i0, &n, &k0, &rows)) return;
    for (int64_t k = k0; k < k0 + rows; ++k)
        std::memmove(screen_row(dst, dy + k) + dx + i0, screen_row(src, sy + k) + sx + i0, static_cast<size_t>(n));
}

void gfx_copy_rect_keyed(uint8_t* dst, int32_t dx, int32_t dy, const uint8_t* src, int32_t sx, int32_t sy, int32_t w,
                         int32_t h, int32_t key) {
    if (!dst || !src) return;
    int64_t i0, n, k0, rows;
    if (!clip_copy(dx, dy, sx, sy, w, h, &i0, &n, &k0, &rows)) return;
    for (int64_t k = k0; k < k0 + rows; ++k)
        gfx_copy_row_keyed(screen_row(dst, dy + k) + dx + i0, screen_row(src, sy + k) + sx + i0,
                           static_cast<int32_t>(n), key);
}

void gfx_copy_row_keyed(uint8_t* dst, const uint8_t* src, int32_t n, int32_t key) {
    if (!dst || !src) return;
    for (int32_t i = 0; i < n; ++i)
        if (src[i] != key) dst[i] = src[i];
}

void gfx_band_wipe(int32_t, int32_t, int32_t n) {
    if (!g_back_dib || !g_background_dib || !g_shadow_dib) return;
    if (n == 8) std::memcpy(gfx_dib_pixels(g_shadow_dib), gfx_dib_pixels(g_back_dib), SCREEN_IMAGE_SIZE);
    std::memcpy(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_background_dib), SCREEN_IMAGE_SIZE);
    const int64_t m = n;
    // The band's top edge: the saved picture's rows 383..378.
    for (int64_t j = 0; j < 6; ++j) copy_screen_row(g_back_dib, m + 263 - j, g_shadow_dib, 383 - j);
    // The opened band: the same rows of the saved picture.
    for (int64_t r = std::min<int64_t>(m + 257, SCREEN_H - 1); r >= std::max<int64_t>(268 - m, 0); --r)
        copy_screen_row(g_back_dib, r, g_shadow_dib, r);
    // The band's bottom edge: the saved picture's rows 148..143.
    for (int64_t j = 0; j < 6; ++j) copy_screen_row(g_back_dib, 267 - m - j, g_shadow_dib, 148 - j);
    sys_invalidate(g_hwnd_game);
}
