// Parts sprite composer.
#include "platform/sprite.h"

#include <algorithm>

#include "platform/draw.h"
#include "platform/screen.h"
#include "platform/shell.h"

uint8_t g_flat_colour = 0;

namespace {

uint16_t read_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Number of frames of a sprite file, 0 for a file too short to hold its
// offset table.
uint32_t spz_frame_count(const uint8_t* file, uint32_t size) {
    if (!file || size < sizeof(SpzFile)) return 0;
    const uint32_t first = read_u16(file + SPZ_TABLE_START);
    if (first < SPZ_TABLE_START || first > size) return 0;
    return (first - SPZ_TABLE_START) / 2;
}

template <bool Flat>
void draw_parts(SysWnd window, const uint8_t* sheet, const uint8_t* sprite, uint32_t size, int32_t mirror,
                int32_t cell_x, int32_t y) {
    int32_t sw = 0, sh = 0;
    const uint8_t* bits = gfx_picture_bits(sheet, &sw, &sh);
    if (g_back_dib && bits && sprite && size >= sizeof(PartsSprite)) {
        const uint8_t colour = g_flat_colour;
        const int64_t hw = sprite[1], hh = sprite[2];
        // Parts at or past the sheet's last whole tile row draw part 0.
        const int64_t sheet_parts = int64_t{sh / SPRITE_PART_SIZE} * SPRITE_SHEET_PARTS_PER_ROW;
        const uint32_t parts = std::min<uint32_t>(sprite[0], (size - sizeof(PartsSprite)) / sizeof(SpritePart));
        for (uint32_t k = 0; k < parts; ++k) {
            const uint8_t* part = sprite + sizeof(PartsSprite) + k * sizeof(SpritePart);
            int64_t p = (part[1] & 3) * 256 + part[2];
            if (p >= sheet_parts) p = 0;
            int64_t cx = part[0] & 63, cy = part[1] >> 2;
            const bool flip_x = ((mirror & 1) != 0) != ((part[0] & 0x40) != 0);
            const bool flip_y = ((mirror & 2) != 0) != ((part[0] & 0x80) != 0);
            if (mirror & 1) cx = 2 * hw - 1 - cx;
            if (mirror & 2) cy = 2 * hh - 1 - cy;
            const int64_t sx = ((cx - hw + cell_x) & 127) * SPRITE_PART_SIZE;
            const int64_t top = int64_t{y} + (cy - hh) * SPRITE_PART_SIZE;
            if (sx >= SPRITE_MAX_X || top < SPRITE_BAND_TOP || top > SPRITE_BAND_LAST_TOP) continue;
            // The part's block on the sheet; lines and columns that lie
            // outside the sheet (an incomplete last tile row, a narrow
            // sheet) are not read and draw nothing.
            const int64_t src_left = (p % SPRITE_SHEET_PARTS_PER_ROW) * SPRITE_PART_SIZE;
            const int64_t src_top = (p / SPRITE_SHEET_PARTS_PER_ROW) * SPRITE_PART_SIZE;
            // Columns i of the part that land in the image and come from the sheet.
            int64_t i0 = 0, i1 = std::min<int64_t>(SPRITE_PART_SIZE, SCREEN_W - sx);
            if (flip_x)
                i0 = std::max<int64_t>(i0, src_left + SPRITE_PART_SIZE - sw);
            else
                i1 = std::min<int64_t>(i1, sw - src_left);
            if (i0 >= i1) continue;
            for (int64_t line = 0; line < SPRITE_PART_SIZE; ++line) {
                const int64_t dy = top + line;
                const int64_t sl = src_top + (flip_y ? SPRITE_PART_SIZE - 1 - line : line);
                if (dy < 0 || dy >= SCREEN_H || sl >= sh) continue;
                const uint8_t* srow = bits + (sh - 1 - sl) * int64_t{sw} + src_left;
                uint8_t* drow = gfx_screen_pixel(g_back_dib, 0, static_cast<int>(dy)) + sx;
                for (int64_t i = i0; i < i1; ++i) {
                    const uint8_t v = srow[flip_x ? SPRITE_PART_SIZE - 1 - i : i];
                    if (v != GFX_KEY_COLOUR) drow[i] = Flat ? colour : v;
                }
            }
        }
    }
    sys_invalidate(window);
}

}  // namespace

void gfx_draw_parts_sprite(SysWnd window, const uint8_t* sheet, const uint8_t* sprite, uint32_t size, int32_t mirror,
                           int32_t cell_x, int32_t y) {
    draw_parts<false>(window, sheet, sprite, size, mirror, cell_x, y);
}

void gfx_draw_parts_sprite_flat(SysWnd window, const uint8_t* sheet, const uint8_t* sprite, uint32_t size,
                                int32_t mirror, int32_t cell_x, int32_t y) {
    draw_parts<true>(window, sheet, sprite, size, mirror, cell_x, y);
}

void gfx_draw_sprite_frame(int32_t x, int32_t y, int32_t frame, int32_t flags, const uint8_t* sheet,
                           const uint8_t* file, uint32_t file_size) {
    const uint32_t count = spz_frame_count(file, file_size);
    if (frame < 0 || static_cast<uint32_t>(frame) >= count) return;
    const uint32_t offset = read_u16(file + SPZ_TABLE_START + 2 * static_cast<uint32_t>(frame));
    if (offset + sizeof(PartsSprite) > file_size) return;  // the frame lies outside the file
    const uint8_t* sprite = file + offset;
    const uint32_t size = file_size - offset;
    const int32_t cell_x = x - g_btl_view_scroll / 2;
    if (flags >= 256) {
        g_flat_colour = static_cast<uint8_t>(flags / 256);
        gfx_draw_parts_sprite_flat(g_hwnd_game, sheet, sprite, size, flags & 3, cell_x, y);
    } else {
        gfx_draw_parts_sprite(g_hwnd_game, sheet, sprite, size, flags & 3, cell_x, y);
    }
}
