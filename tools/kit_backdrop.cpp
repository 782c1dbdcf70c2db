// Battle backdrops and the reveal mask.
//
// For every backdrop kind A..Z a tile picture "bmp/BMAP_?.BMP" (640 wide,
// 16 x 16 tiles 40 per row; its first 16 colours, the kit palette, become
// the battle colours) and its grid "dat/BMAP_?.MPZ" (a 36-byte header, then
// 15 rows of 80 little-endian i16 tile numbers, exactly 2,436 bytes). Each
// kind is a scene 80 tiles wide: sky, a far layer of its own (hills, trees,
// water, peaks, houses, a cave or a hall), the ground from grid row 13 (the
// fighters stand on its top line, screen row 240) and, in the marked kit, in
// grid row 14 a ruler: the tile of grid column c is the code of (c, kind)
// (code_part), so one pixel column of the band tells which grid column it
// shows; sky row 0 names every tenth column and, between them, the kind's
// letter. The plain kit has ground in row 14 and a clear sky.
//
// "bmp/LMASK.BMP": eight 16 x 16 reveal patterns side by side, 128 x 16;
// pattern i marks (i + 1) / 8 of its pixels (non-zero: show the new
// picture), pattern 7 all of them. Its rows are stored top row first, as the
// mask loader reads them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "tools/kit.h"

namespace kit {

namespace {

constexpr int BAND_W = 1280, BAND_H = 240, COLS = 80, ROWS = 15;
constexpr int FOOT = 208;    // the fighters' foot line in the band (screen row 240)
constexpr int RULER = 224;   // grid row 14
constexpr int PERIOD = 160;  // the far layer repeats every ten tiles
constexpr size_t MPZ_HEADER = 36;

enum class Style { Field, Forest, Water, Mountains, Town, Cave, Hall, Void };

struct Kind {
    const char* name;
    Style style;
    uint8_t sky_top, sky_low, far, far_dark, ground, ground_dark;
};

const Kind KINDS[26] = {
    {"plains", Style::Field, BLUE, SILVER, OLIVE, DGREY, LIME, OLIVE},             // A
    {"forest", Style::Forest, BLUE, CREAM, OLIVE, DGREY, OLIVE, BROWN},            // B
    {"water", Style::Water, BLUE, WHITE, LIME, OLIVE, BLUE, NAVY},                 // C
    {"ruins", Style::Town, TAUPE, SILVER, DGREY, BLACK, TAUPE, DGREY},             // D
    {"castle", Style::Town, NAVY, BLUE, SILVER, TAUPE, TAUPE, DGREY},              // E
    {"wasteland", Style::Mountains, ORANGE, CREAM, BROWN, DGREY, TAN, BROWN},      // F
    {"hills", Style::Field, NAVY, SILVER, LIME, OLIVE, OLIVE, BROWN},              // G
    {"chasm", Style::Cave, BLACK, NAVY, DGREY, BLACK, DGREY, BLACK},               // H
    {"village", Style::Town, BLUE, WHITE, TAN, BROWN, TAN, BROWN},                 // I
    {"mountain pass", Style::Mountains, BLUE, SILVER, DGREY, BLACK, BROWN, TAN},   // J
    {"town", Style::Town, BLUE, CREAM, CREAM, RED, SILVER, TAUPE},                 // K
    {"snowfield", Style::Mountains, SILVER, WHITE, SILVER, TAUPE, WHITE, SILVER},  // L
    {"dark forest", Style::Forest, NAVY, DGREY, OLIVE, BLACK, OLIVE, DGREY},       // M
    {"desert", Style::Field, CREAM, WHITE, TAN, BROWN, CREAM, TAN},                // N
    {"shore", Style::Field, BLUE, WHITE, BLUE, NAVY, CREAM, TAN},                  // O
    {"temple", Style::Town, BLUE, SILVER, WHITE, SILVER, SILVER, TAUPE},           // P
    {"swamp", Style::Forest, DGREY, OLIVE, BROWN, DGREY, OLIVE, BROWN},            // Q
    {"bridge", Style::Field, BLUE, SILVER, NAVY, BLUE, BROWN, TAN},                // R
    {"volcano", Style::Mountains, BLACK, RED, BROWN, RED, DGREY, RED},             // S
    {"night field", Style::Field, BLACK, NAVY, NAVY, BLACK, OLIVE, DGREY},         // T
    {"sunset", Style::Mountains, RED, ORANGE, BROWN, BLACK, BROWN, TAN},           // U
    {"cave", Style::Cave, BLACK, DGREY, BROWN, DGREY, BROWN, DGREY},               // V
    {"ice cave", Style::Cave, NAVY, SILVER, SILVER, BLUE, WHITE, SILVER},          // W
    {"great hall", Style::Hall, DGREY, TAUPE, TAUPE, DGREY, BROWN, TAUPE},         // X
    {"throne room", Style::Hall, NAVY, BLUE, NAVY, BLACK, SILVER, TAUPE},          // Y
    {"the void", Style::Void, BLACK, NAVY, DGREY, BLACK, RED, BLACK},              // Z
};

bool light(uint8_t c) { return c == WHITE || c == SILVER || c == CREAM || c == PEACH || c == TAN; }

// The far layer of one period, its left edge at x0.
void far_layer(Image& img, const Kind& k, int x0, Rng& rng) {
    switch (k.style) {
        case Style::Field:
        case Style::Water:
            for (int x = 0; x < PERIOD; ++x) {
                const double t = 2 * 3.14159265358979 * x / PERIOD;
                const int top =
                    k.style == Style::Water ? 176 : static_cast<int>(158 + 16 * std::sin(t) + 6 * std::sin(2 * t));
                img.fill(x0 + x, top, x0 + x, FOOT - 1, k.far);
                img.fill(x0 + x, top, x0 + x, top + 1, k.far_dark);
            }
            img.ellipse(x0 + 40, 34, 22, 7, WHITE);  // clouds
            img.ellipse(x0 + 52, 30, 12, 6, WHITE);
            img.ellipse(x0 + 118, 64, 16, 5, SILVER);
            break;
        case Style::Forest:
            img.fill(x0, 168, x0 + PERIOD - 1, FOOT - 1, k.far_dark);
            for (int i = 0; i < 4; ++i) {
                const int tx = x0 + 20 + 40 * i, top = 120 + (i % 2) * 18;
                img.fill(tx - 3, top, tx + 3, FOOT - 1, BROWN);
                img.disc(tx, top, 18, k.far);
                img.disc(tx - 7, top - 6, 6, i % 2 ? k.sky_low : k.far_dark);
            }
            break;
        case Style::Mountains:
            for (int i = 0; i < 2; ++i) {
                const int px = x0 + 40 + 80 * i, h = i ? 64 : 96, base = FOOT + 4;
                img.polygon({{px - 70.0, double(base)}, {double(px), double(base - h)}, {px + 70.0, double(base)}},
                            k.far);
                img.polygon({{double(px), double(base - h)}, {px + 70.0, double(base)}, {px + 20.0, double(base)}},
                            k.far_dark);
                img.polygon(
                    {{px - 12.0, base - h + 16.0}, {double(px), double(base - h)}, {px + 12.0, base - h + 16.0}},
                    WHITE);
            }
            break;
        case Style::Town:
            for (int i = 0; i < 3; ++i) {
                const int hx = x0 + 8 + 52 * i, w = 36 + 8 * (i % 2), top = 140 + 12 * i;
                img.fill(hx, top, hx + w, FOOT - 1, k.far);
                img.polygon({{hx - 4.0, double(top)}, {hx + w / 2.0, top - 20.0}, {hx + w + 4.0, double(top)}},
                            k.far_dark);
                for (int wy = top + 8; wy < FOOT - 12; wy += 16) img.fill(hx + 8, wy, hx + 13, wy + 6, BLACK);
            }
            break;
        case Style::Cave:
            for (int x = 0; x < PERIOD; ++x)
                for (int y = 96; y < FOOT; ++y)
                    if (bayer4(x0 + x, y) < (y - 96) / 8) img.set(x0 + x, y, k.far);
            for (int i = 0; i < 5; ++i) {  // stalactites
                const int sx = x0 + 16 + 32 * i, len = 30 + 14 * (i % 3);
                img.polygon({{sx - 9.0, 0.0}, {double(sx), double(len)}, {sx + 9.0, 0.0}}, k.far_dark);
            }
            break;
        case Style::Hall:
            for (int y = 0; y < FOOT; ++y)
                for (int x = 0; x < PERIOD; ++x) {
                    const bool mortar = y % 16 == 15 || (x + (y / 16 % 2) * 16) % 32 == 31;
                    img.set(x0 + x, y, mortar ? k.far_dark : k.far);
                }
            img.fill(x0 + 8, 0, x0 + 31, FOOT - 1, SILVER);  // a pillar
            img.fill(x0 + 8, 0, x0 + 11, FOOT - 1, WHITE);
            img.fill(x0 + 28, 0, x0 + 31, FOOT - 1, TAUPE);
            img.fill(x0 + 84, 40, x0 + 107, 120, RED);  // a banner
            img.polygon({{x0 + 84.0, 120.0}, {x0 + 96.0, 132.0}, {x0 + 108.0, 120.0}}, RED);
            img.disc(x0 + 96, 72, 6, ORANGE);
            break;
        case Style::Void:
            for (int i = 0; i < 24; ++i) img.set(x0 + rng.range(0, PERIOD - 1), rng.range(0, FOOT - 20), WHITE);
            img.ellipse(x0 + 60, 150, 26, 8, k.far);  // drifting rocks
            img.ellipse(x0 + 130, 110, 14, 5, k.far);
            break;
    }
}

// The whole band of kind n, in the marked kit with the ruler and names.
Image band(const Kit& kit, int n) {
    const Kind& k = KINDS[n];
    Image img(BAND_W, BAND_H, k.sky_top);
    for (int y = 0; y < FOOT; ++y) {  // the sky, lighter toward the horizon
        uint8_t* row = img.px.data() + static_cast<size_t>(y) * BAND_W;
        for (int x = 0; x < BAND_W; ++x)
            if (bayer4(x, y) < y * 16 / 140) row[x] = k.sky_low;
    }
    for (int x0 = -PERIOD; x0 < BAND_W + PERIOD; x0 += PERIOD) {  // what reaches in from both sides too
        Rng rng(0x5EED + n);                                      // the same stars in every period
        far_layer(img, k, x0, rng);
    }
    // The ground: water over two rows for the water kind, a chequered floor
    // for halls, else earth with a darker edge and pebbles.
    if (k.style == Style::Water) {
        for (int y = 192; y < RULER; ++y)
            for (int x = 0; x < BAND_W; ++x) {
                const int wave = (x + (y / 8) * 12) % 32;
                img.set(x, y, y % 8 == 0 && wave < 10 ? uint8_t{WHITE} : (y / 8) % 2 ? k.ground_dark : k.ground);
            }
    } else if (k.style == Style::Hall) {
        for (int y = FOOT; y < RULER; ++y)
            for (int x = 0; x < BAND_W; ++x) img.set(x, y, (x / 16) % 2 ? k.ground : k.ground_dark);
    } else {
        img.fill(0, FOOT, BAND_W - 1, RULER - 1, k.ground);
        img.fill(0, FOOT, BAND_W - 1, FOOT + 1, k.ground_dark);
        for (int x0 = 0; x0 < BAND_W; x0 += 32) {
            img.fill(x0 + 5, FOOT + 6, x0 + 7, FOOT + 7, k.ground_dark);
            img.fill(x0 + 21, FOOT + 11, x0 + 22, FOOT + 12, k.ground_dark);
        }
    }
    if (!kit.marked) {
        // The ground goes on to the band's foot (its lines below the edge,
        // repeated).
        for (int y = RULER; y < BAND_H; ++y)
            std::memcpy(&img.px[static_cast<size_t>(y) * BAND_W], &img.px[static_cast<size_t>(y - 14) * BAND_W],
                        BAND_W);
        return img;
    }
    for (int c = 0; c < COLS; ++c) {
        img.blit(code_part(c, n), c * 16, RULER);
        if (c % 5) continue;
        img.fill(c * 16, 0, c * 16 + 15, 15, k.sky_top);  // sky row 0: the column, or the kind
        char text[8];
        if (c % 10)
            std::snprintf(text, sizeof text, " %c", 'A' + n);
        else
            std::snprintf(text, sizeof text, "%02d", c);
        font_text(img, kit.font, c * 16, 0, text, light(k.sky_top) ? BLACK : WHITE);
    }
    return img;
}

void write_backdrop(const Kit& kit, int n) {
    const Image img = band(kit, n);
    const uint8_t* px = img.px.data();
    auto same = [&](int a, int b) {  // tiles a and b (grid cells) hold the same pixels
        for (int y = 0; y < 16; ++y)
            if (std::memcmp(px + (a / COLS * 16 + y) * BAND_W + a % COLS * 16,
                            px + (b / COLS * 16 + y) * BAND_W + b % COLS * 16, 16))
                return false;
        return true;
    };
    std::vector<int> tiles;  // the grid cell each tile is first seen in
    std::unordered_map<uint64_t, int> seen;
    Bytes mpz(MPZ_HEADER, 0);
    const std::string name = std::string("BMAP_") + static_cast<char>('A' + n);
    const std::string head = "MPZ " + name + " (sample kit)";
    std::memcpy(mpz.data(), head.data(), std::min(head.size(), MPZ_HEADER - 1));
    for (int cell = 0; cell < ROWS * COLS; ++cell) {
        uint64_t h = 1469598103934665603ull;
        for (int y = 0; y < 16; ++y) {
            const uint8_t* row = px + (cell / COLS * 16 + y) * BAND_W + cell % COLS * 16;
            for (int x = 0; x < 16; ++x) h = (h ^ row[x]) * 1099511628211ull;
        }
        auto [it, added] = seen.emplace(h, static_cast<int>(tiles.size()));
        if (!added && !same(tiles[static_cast<size_t>(it->second)], cell))
            throw std::runtime_error("backdrop tile hash clash");
        if (added) tiles.push_back(cell);
        put16(mpz, static_cast<uint32_t>(it->second));
    }
    write_file(kit.dat(name + ".MPZ"), mpz);

    // The tiles, then a row with the name (never used as a tile).
    const int rows = (static_cast<int>(tiles.size()) + 39) / 40;
    Image sheet(640, (rows + 1) * 16, BLACK);
    for (size_t t = 0; t < tiles.size(); ++t)
        for (int y = 0; y < 16; ++y)
            std::memcpy(&sheet.px[(t / 40 * 16 + y) * 640 + t % 40 * 16],
                        px + (tiles[t] / COLS * 16 + y) * BAND_W + tiles[t] % COLS * 16, 16);
    font_text(sheet, kit.font, 4, rows * 16, (name + "  " + KINDS[n].name).c_str(), WHITE);
    write_file(kit.bmp(name + ".BMP"), bmp_encode(sheet));
}

Image reveal_mask() {
    Image img(128, 16, 0);
    for (int i = 0; i < 8; ++i)
        for (int row = 0; row < 16; ++row)
            for (int x = 0; x < 16; ++x)
                if (bayer4(x, row) < 2 * (i + 1)) img.set(16 * i + x, 15 - row, WHITE);  // stored bottom line first
    return img;
}

}  // namespace

void gen_backdrops(const Kit& kit) {
    for (int n = 0; n < 26; ++n) write_backdrop(kit, n);
    write_file(kit.bmp("LMASK.BMP"), bmp_encode(reveal_mask()));
}

}  // namespace kit
