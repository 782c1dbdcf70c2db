// Font and text drawing: the bitmap font "k.fnt" (8 x 16 single-byte and
// 16 x 16 double-byte code page 949 glyphs), the markup text drawer with its
// one-pixel black shadow, the Korean particle choice and number text.
//
// Markup: "/" and the character after it take no room. "/0".."/f" (or
// "/A".."/F") set the colour, "/*" returns to the colour given to the call,
// "//" draws one slash, "/" with anything else is skipped.
#pragma once

#include <array>
#include <cstdint>

constexpr uint32_t FONT_FILE_SIZE = 131072;
constexpr int PARTICLE_TABLE_SIZE = 319;

extern std::array<uint8_t, FONT_FILE_SIZE> g_font;
extern int32_t g_font_loaded;
// The text cursor in pixels; drawing advances g_text_x.
extern int32_t g_text_x;
extern int32_t g_text_y;
// Two-byte endings after which a name takes the particle form for a name
// without a final consonant ("는", "를").
extern const char g_particle_table[PARTICLE_TABLE_SIZE][3];
extern char g_number_text[12];

// Copies one glyph (16 bytes for a single byte, 32 for a double byte whose
// lead is 161 or more) into out, reading the font first if needed. A glyph
// that lies outside the font buffer comes out blank (result 0).
int txt_font_glyph(uint8_t lead, uint8_t trail, uint8_t* out);
// Forgets the font so that the next glyph request reads the file again.
void txt_font_reset();
void txt_set_cursor(int32_t col, int32_t y);
// Draws a markup text into the back image starting at column col, row row
// (rows of 20 pixels), or at the text cursor when col < 0.
void txt_draw_string(int32_t col, int32_t row, const char* text, int32_t colour);
void txt_draw_string_alt(int32_t col, int32_t row, const char* text, int32_t colour);
// The same onto another 640 x 416 screen image.
void txt_draw_string_to(int32_t col, int32_t row, const char* text, int32_t colour, uint8_t* image);
// 1 when the text's last two bytes are one of g_particle_table, else 0.
int txt_ends_without_final(const char* name);
// Decimal text of value in g_number_text: right-aligned in a field of width
// characters (at most 11) when width > 0, just the digits when width is 0.
// A value with more digits than the width widens the field to its digits.
char* txt_format_uint(uint32_t value, int32_t width);
