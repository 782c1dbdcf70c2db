// The sample data kit generator: shared pieces.
//
// Everything here is deterministic: the same command line writes the same
// bytes. Pictures are 8-bit images of 16 colours (kit palette below), with
// colour 14 the transparent key of sprites, tiles, chips, icons and cursors.
// Source text is UTF-8 and compiled to code page 949 (-fexec-charset), so a
// Korean literal here is the CP949 bytes the font and the game use.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kit {

using Bytes = std::vector<uint8_t>;

// ---- colours -------------------------------------------------------------
// The kit palette: colours 0..13 are exactly the map palette of the colour cycling
// (its colour-cycling reference table), 14 the first cycle colour (the key),
// 15 white. So every sheet looks in the game as it looks in the file.
enum Colour : uint8_t {
    BLACK = 0,
    PEACH = 1,
    TAN = 2,
    DGREY = 3,
    BROWN = 4,
    OLIVE = 5,
    LIME = 6,
    CREAM = 7,
    BLUE = 8,
    ORANGE = 9,
    RED = 10,
    NAVY = 11,
    TAUPE = 12,
    SILVER = 13,
    KEY = 14,
    WHITE = 15,
};

// A small deterministic generator (xorshift32), so the kit is the same on
// every build.
struct Rng {
    uint32_t s;
    explicit Rng(uint32_t seed) : s(seed ? seed : 1) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }
    double unit() { return (next() & 0xFFFFFF) / static_cast<double>(0x1000000); }
};

struct Rgb4 {
    uint8_t r, g, b;  // 0..15 each; stored in files as v x 0x11
};
// 16 entries.
const Rgb4* palette();

// ---- images ----------------------------------------------------------------
// An 8-bit picture, top line first (the BMP writer turns it bottom-up).
struct Image {
    int w = 0, h = 0;
    Bytes px;

    Image() = default;
    Image(int w_, int h_, uint8_t fill = KEY) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, fill) {}

    bool in(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    uint8_t get(int x, int y, uint8_t outside = KEY) const { return in(x, y) ? px[y * w + x] : outside; }
    void set(int x, int y, uint8_t c) {
        if (in(x, y)) px[y * w + x] = c;
    }
    // Inclusive rectangle, clipped.
    void fill(int x0, int y0, int x1, int y1, uint8_t c);
    void rect(int x0, int y0, int x1, int y1, uint8_t c);  // outline only
    void line(int x0, int y0, int x1, int y1, uint8_t c);
    void disc(int cx, int cy, int r, uint8_t c);
    void ellipse(int cx, int cy, int rx, int ry, uint8_t c);  // filled
    // Fills the polygon (pixel centres inside, even-odd rule).
    void polygon(const std::vector<std::pair<double, double>>& pts, uint8_t c);
    // Copies src to (dx, dy); pixels equal to key (when key >= 0) are skipped.
    void blit(const Image& src, int dx, int dy, int key = -1);
    Image crop(int x, int y, int cw, int ch) const;
    Image mirrored_x() const;
    Image mirrored_y() const;
    // Every pixel equal to `bg` that touches (8 ways) a pixel that is neither
    // `bg` nor `colour` becomes `colour`: a one-pixel outline round figures.
    void outline(uint8_t colour, uint8_t bg = KEY);
};

// Ordered-dither threshold (4 x 4 Bayer), 0..15.
int bayer4(int x, int y);

// A 16 x 16 code a test reads back from one pixel column: four 4-pixel
// stripes, top to bottom in the colours of the digits a / 10, a % 10,
// b / 10, b % 10 (digit d is palette colour d). Sprite frames carry
// (frame, sheet), backdrop tiles (grid column, kind).
Image code_part(int a, int b);

// A simple painted scene for the story pictures of the plain kit, filling
// the rectangle (x0, y0, w, h): a sky from `tone` down to a lighter colour,
// hills, and by `seed` a castle, trees, people or a moon; a thin frame.
void story_scene(Image& img, int x0, int y0, int w, int h, uint8_t tone, int seed);

// ---- small built-in font (3 x 5 digits, capitals and a few signs) ---------
int tiny_width(const std::string& s);
// Draws text with its top-left at (x, y); `scale` enlarges each pixel.
void tiny_text(Image& img, int x, int y, const std::string& s, uint8_t c, int scale = 1);
// The same with a one-pixel outline (drawn first) round every letter pixel.
void tiny_label(Image& img, int x, int y, const std::string& s, uint8_t c, uint8_t outline, int scale = 1);

// ---- k.fnt -------------------------------------------------------------------
constexpr size_t KFNT_SIZE = 131072;
// Builds the font from a unifont .hex file; throws on failure.
Bytes build_kfnt(const std::string& unifont_hex);
// Draws CP949 text with the built font: 8 x 16 single-byte glyphs, 16 x 16
// double-byte glyphs, each glyph pixel a scale x scale block. Returns the
// width drawn in pixels.
int font_text(Image& img, const Bytes& fnt, int x, int y, const char* text, uint8_t c, int scale = 1);
int font_width(const char* text, int scale = 1);

// ---- files -------------------------------------------------------------------
// 8-bit BMP: 14 + 40 byte headers, 256 colours (the kit palette as v x 0x11,
// entries 16..255 zero, or a grey ramp when asked), rows bottom-up. The width
// must be a multiple of 4.
Bytes bmp_encode(const Image& img, bool grey_ramp = false);
// The classic single-file LZ format "SZDD" (mode 'A'): the file as the
// platform's LZ expansion reads it. `missing` is the last character of the
// file's name.
Bytes szdd_compress(const Bytes& data, char missing);
void write_file(const std::string& path, const Bytes& data);  // throws
void put16(Bytes& v, uint32_t x);
void put32(Bytes& v, uint32_t x);

// ---- figures ---------------------------------------------------------------------
// The look of a class's figures, in battle and on the map: its body plan,
// colours and what it carries.
enum class Body : uint8_t { Person, Beast, Round };
struct FigureLook {
    Body body;
    uint8_t main, second, accent;
    bool staff, sword;
};
FigureLook figure_look(int cls);

// Plain map pictures: tile `tile` of tile set `set` (32 x 32) drawn as the
// terrain the game gives it, with the goal flag on it when asked; and a map
// figure of class cls (32 x 32 on the key colour) facing d (the walk sheet's
// columns: 0 down, 1 left, 2 right, 3 up) in step s (0..2).
Image terrain_tile(int set, int tile, bool with_flag);
Image walker(int cls, int d, int s);

// ---- generators ----------------------------------------------------------------
struct Kit {
    std::string out;      // the game folder
    bool marked = false;  // the marked kit for tests: numbers and codes drawn on what they read
    Bytes font;           // k.fnt, built first
    std::string bmp(const std::string& name) const { return out + "/bmp/" + name; }
    std::string dat(const std::string& name) const { return out + "/dat/" + name; }
};

void gen_ui(const Kit& kit);         // Presents, winchip, mcsrfont, iconchip
void gen_sprites(const Kit& kit);    // battle parts sheets and .SPZ files
void gen_backdrops(const Kit& kit);  // battle backdrops (BMAP_A..Z) and the reveal mask LMASK
void gen_audio(const Kit& kit);      // midi/ and wave/
// The empty save index (savekq.idx, 210 bytes), only when the folder has
// none: existing saves are never overwritten.
void gen_save_index(const Kit& kit);

}  // namespace kit
