// Parts sprite composer: battle sprites built from 16 x 16 parts of a
// 640-pixel-wide parts sheet, drawn one frame at a time at a cell position,
// mirrored as a whole or not, in their own colours or flat in one colour,
// and only inside the battle band of the screen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sys/sys.h"

// A sprite file (.SPZ, little-endian): a 32-byte header that is not read,
// then one u16 offset a frame, from the start of the file, of the frame's
// PartsSprite. The offset table ends where the first frame begins, so the
// frame count is (first offset - 32) / 2.
#pragma pack(push, 1)
struct SpzFile {
    uint8_t header[32];
    uint16_t first_offset;  // the first entry of the offset table
};
#pragma pack(pop)
static_assert(sizeof(SpzFile) == 34);
static_assert(offsetof(SpzFile, first_offset) == 32);
constexpr uint32_t SPZ_TABLE_START = 32;

// One part of a frame, 3 bytes.
struct SpritePart {
    uint8_t b0;  // bits 5..0 cell x, bit 6 mirror left to right, bit 7 mirror top to bottom
    uint8_t b1;  // bits 7..2 cell y, bits 1..0 the high bits of the part number
    uint8_t b2;  // the low 8 bits of the part number
};
static_assert(sizeof(SpritePart) == 3);

// One frame: its part count and half size in 16-pixel cells, followed by
// `parts` SpritePart records.
struct PartsSprite {
    uint8_t parts;
    uint8_t half_w;
    uint8_t half_h;
};
static_assert(sizeof(PartsSprite) == 3);
static_assert(offsetof(PartsSprite, half_h) == 2);

constexpr int SPRITE_PART_SIZE = 16;
constexpr int SPRITE_SHEET_PARTS_PER_ROW = 40;
// The battle band: a part is drawn only when its top line lies in it.
constexpr int SPRITE_BAND_TOP = 32;
constexpr int SPRITE_BAND_LAST_TOP = 271;
constexpr int SPRITE_MAX_X = 632;  // a part is drawn only left of this pixel

extern uint8_t g_flat_colour;      // the colour of the flat variant
extern int32_t g_btl_view_scroll;  // the battle view's scroll in 8-pixel columns (the battle camera's)

// Draws frame `frame` of a sprite file of file_size bytes (as loaded by
// file_load_data, its size in g_loaded_file_size) with its centre at cell x
// (16-pixel cells, before the view scroll) and line y. flags bit 0 mirrors
// the sprite left to right, bit 1 top to bottom; flags >= 256 draws it flat
// in colour flags / 256. A frame number outside the file draws nothing; a
// damaged file draws nothing, a damaged frame or part is skipped.
void gfx_draw_sprite_frame(int32_t x, int32_t y, int32_t frame, int32_t flags, const uint8_t* sheet,
                           const uint8_t* file, uint32_t file_size);
// Draws one PartsSprite whose bytes run to sprite + size (parts past that
// are skipped) at cell x, line y, mirrored by bits 0 and 1 of mirror, and
// invalidates the window. The flat variant draws every pixel that is not
// colour 14 in g_flat_colour.
void gfx_draw_parts_sprite(SysWnd window, const uint8_t* sheet, const uint8_t* sprite, uint32_t size, int32_t mirror,
                           int32_t cell_x, int32_t y);
void gfx_draw_parts_sprite_flat(SysWnd window, const uint8_t* sheet, const uint8_t* sprite, uint32_t size,
                                int32_t mirror, int32_t cell_x, int32_t y);
