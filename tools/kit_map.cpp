// Sample data kit: stage maps, the stage unit file, the map unit sheets, the
// tile sheets and the walk sheets. In the marked kit every tile and frame
// shows its number in a small digit font so that a test can tell them apart;
// the plain kit draws terrain and figures.
#include "tools/kit_map.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "tactics/items.h"
#include "tactics/map_view.h"
#include "tools/kit.h"
#include "tools/kit_goals.h"

namespace {

// ---- pictures -----------------------------------------------------------------

// Colours 0..13: the map palette that colour cycling expects; 14 the key
// (magenta); 15 white. Blue, green, red as 4-bit values.
const uint8_t PALETTE[16][3] = {
    {0, 0, 0},  {8, 12, 15}, {5, 9, 13}, {3, 3, 3}, {3, 4, 8}, {1, 7, 5},    {3, 12, 10}, {7, 13, 15},
    {14, 3, 3}, {0, 10, 15}, {0, 4, 15}, {8, 2, 0}, {6, 7, 8}, {10, 11, 12}, {15, 0, 15}, {15, 15, 15},
};

constexpr uint8_t KEY = 14;

struct Canvas {
    int w, h;
    std::vector<uint8_t> px;  // top-down
    Canvas(int w_, int h_, uint8_t fill) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, fill) {}
    void set(int x, int y, uint8_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
    }
    void rect(int x, int y, int rw, int rh, uint8_t c) {
        for (int k = 0; k < rh; ++k)
            for (int i = 0; i < rw; ++i) set(x + i, y + k, c);
    }
};

void put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x & 0xFF));
    v.push_back(static_cast<uint8_t>((x >> 8) & 0xFF));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

bool write_file(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

// An 8-bit BMP with 256 colours: the first 16 as v x 0x11, the rest black.
bool write_bmp(const std::string& path, const Canvas& c) {
    std::vector<uint8_t> f{'B', 'M'};
    const uint32_t bits = 14 + 40 + 1024;
    put32(f, bits + static_cast<uint32_t>(c.w * c.h));
    put32(f, 0);
    put32(f, bits);
    put32(f, 40);
    put32(f, static_cast<uint32_t>(c.w));
    put32(f, static_cast<uint32_t>(c.h));
    put16(f, 1);
    put16(f, 8);
    put32(f, 0);
    put32(f, static_cast<uint32_t>(c.w * c.h));
    put32(f, 0);
    put32(f, 0);
    put32(f, 256);
    put32(f, 0);
    for (int i = 0; i < 256; ++i) {
        for (int k = 0; k < 3; ++k) f.push_back(i < 16 ? static_cast<uint8_t>(PALETTE[i][k] * 0x11) : 0);
        f.push_back(0);
    }
    for (int y = c.h - 1; y >= 0; --y)
        f.insert(f.end(), c.px.begin() + static_cast<long>(y) * c.w, c.px.begin() + static_cast<long>(y + 1) * c.w);
    return write_file(path, f);
}

// 3 x 5 digits, one row of three bits per line.
const uint8_t DIGITS[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// Draws a number at (x, y) with pixels of `scale`, on a backing box of `back`.
void draw_number(Canvas& c, int x, int y, int n, int scale, uint8_t ink, uint8_t back) {
    const std::string s = std::to_string(n);
    const int w = static_cast<int>(s.size()) * 4 * scale + scale, h = 7 * scale;
    c.rect(x, y, w, h, back);
    for (size_t d = 0; d < s.size(); ++d)
        for (int r = 0; r < 5; ++r)
            for (int b = 0; b < 3; ++b)
                if (DIGITS[s[d] - '0'][r] & (4 >> b))
                    c.rect(x + scale + static_cast<int>(d) * 4 * scale + b * scale, y + scale + r * scale, scale, scale,
                           ink);
}

// ---- terrain of the tile sets ---------------------------------------------------

// Tiles by feature per tile set: ground, road, forest, hill, water, town,
// wall (impassable), fort; -1 where the set has none, and the map has
// ground there. A hill is high or rough ground: the mountain of set 0, and
// elsewhere the rough class 4 (burnt ground, rocks, waste, the abyss of the
// last hall); sets 3 and 4 have no such tile and set 5's is a pillar, so
// their maps have no hills (their class 9 is stairs, not a hill).
enum Feature { GROUND, ROAD, FOREST, HILL, WATER, TOWN, WALL, FORT, FEATURES };
const int FEATURE_TILE[8][FEATURES] = {
    {1, 0, 8, 59, 11, 15, 46, 44},  {20, 20, 14, 116, -1, -1, 0, 42}, {5, 1, 33, 50, -1, -1, 14, 8},
    {0, 0, 74, -1, 4, -1, 10, -1},  {24, 3, 5, -1, -1, 85, 0, 18},    {14, 0, 15, -1, 57, -1, 1, 10},
    {1, 0, 8, 44, -1, 110, 10, -1}, {4, 4, -1, 67, -1, -1, 7, 96},
};
// The flag on the goal cells of a stage: per tile set a tile of the same
// terrain class as its ground, which the maps use nowhere else.
const int FLAG_TILE[8] = {2, 21, 6, 1, 45, 18, 2, 16};
// Tile fill colour by feature.
const uint8_t FEATURE_COLOUR[FEATURES] = {6, 1, 5, 4, 8, 10, 3, 13};
const bool CYCLING[8] = {true, false, false, true, false, true, false, false};

int flag_tile(int set) { return FLAG_TILE[set]; }

int feature_of_tile(int set, int tile) {
    for (int f = 0; f < FEATURES; ++f)
        if (FEATURE_TILE[set][f] == tile) return f;
    return -1;
}

// Tile t: 32 x 32 at (t % 20, t / 20); its 16 x 16 copy at line 192, rows
// 0..2 of the big tiles in the left half and rows 3..5 in the right half.
void write_tile_sheet(const std::string& path, int set) {
    Canvas c(640, 240, 0);
    for (int t = 0; t < 120; ++t) {
        const int f = feature_of_tile(set, t);
        // Tiles the maps use show their feature's colour; the others a
        // quiet grey-brown with a colour stripe by number.
        const uint8_t fill = f >= 0 ? FEATURE_COLOUR[f] : 12;
        const int x = (t % 20) * 32, y = (t / 20) * 32;
        c.rect(x, y, 32, 32, fill);
        c.rect(x, y + 31, 32, 1, 0);
        c.rect(x + 31, y, 1, 32, 0);
        if (f < 0) c.rect(x + 2, y + 26, 28, 3, static_cast<uint8_t>(1 + t % 13));
        if (f == FOREST)
            for (int k = 0; k < 3; ++k) c.rect(x + 4 + k * 9, y + 16, 6, 8, 11);
        if (f == HILL)
            for (int k = 0; k < 10; ++k) c.rect(x + 16 - k, y + 14 + k, 2 * k + 1, 1, 12);
        if (f == WATER && CYCLING[set])
            for (int k = 0; k < 3; ++k) c.rect(x + 4 + k * 9, y + 20 + (k & 1) * 4, 6, 2, KEY);
        if (f == TOWN) c.rect(x + 10, y + 14, 12, 12, 15);
        if (f == WALL) c.rect(x + 4, y + 14, 24, 14, 0);
        draw_number(c, x + 1, y + 1, t, 2, 15, 0);

        const int tz = t / 20 < 3 ? (t / 20) * 40 + t % 20 : (t / 20 - 3) * 40 + t % 20 + 20;
        const int sx = (tz % 40) * 16, sy = 192 + (tz / 40) * 16;
        c.rect(sx, sy, 16, 16, fill);
        if (f == WATER && CYCLING[set]) c.rect(sx + 2, sy + 12, 12, 1, KEY);
        draw_number(c, sx, sy, t, 1, 15, 0);
    }
    write_bmp(path, c);
}

// ---- figures ---------------------------------------------------------------------

// A figure on the key colour: head and body in `body`, outlined in black.
void draw_figure(Canvas& c, int x, int y, int size, uint8_t body) {
    const int s = size / 16;  // 2 at 32 pixels, 1 at 16
    c.rect(x + 5 * s, y + 1 * s, 6 * s, 5 * s, 0);
    c.rect(x + 6 * s, y + 2 * s, 4 * s, 3 * s, body);
    c.rect(x + 3 * s, y + 6 * s, 10 * s, 9 * s, 0);
    c.rect(x + 4 * s, y + 7 * s, 8 * s, 7 * s, body);
}

uint8_t figure_colour(int n) {
    static const uint8_t colours[] = {1, 2, 4, 5, 7, 8, 9, 10, 11, 6, 13, 12};
    return colours[n % 12];
}

// 640 x 160: frames 0..39 and their greyed forms 40..79 (32 x 32, 20 a row),
// and 16 x 16 copies of all 80 (40 a row) from line 128.
void write_unit_sheet(const std::string& path) {
    Canvas c(640, 160, KEY);
    for (int f = 0; f < 80; ++f) {
        const int p = f % 40;
        const bool grey = f >= 40;
        const uint8_t body = grey ? 3 : figure_colour(p);
        const int x = (f % 20) * 32, y = (f / 20) * 32;
        draw_figure(c, x, y, 32, body);
        draw_number(c, x + 4, y + 17, p, 2, grey ? 13 : 15, 0);
        const int sx = (f % 40) * 16, sy = 128 + (f / 40) * 16;
        draw_figure(c, sx, sy, 16, body);
        draw_number(c, sx + 3, sy + 8, p, 1, grey ? 13 : 15, 0);
    }
    write_bmp(path, c);
}

// 128 x 96: frame = column x 3 + row, columns down, left, right, up; the
// class number at the top and the frame number below.
void write_walk_sheet(const std::string& path, int cls) {
    Canvas c(128, 96, KEY);
    for (int frame = 0; frame < 12; ++frame) {
        const int x = (frame / 3) * 32, y = (frame % 3) * 32;
        draw_figure(c, x, y, 32, figure_colour(cls));
        draw_number(c, x + 2, y + 2, cls, 1, 15, 0);
        draw_number(c, x + 4, y + 17, frame, 2, 7, 0);
        // A foot that shows the step: left, both, right.
        c.rect(x + 8 + (frame % 3) * 6, y + 29, 4, 3, 0);
    }
    write_bmp(path, c);
}

// ---- plain pictures ------------------------------------------------------------------

void put_image(Canvas& c, const kit::Image& img, int x0, int y0) {
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) c.set(x0 + x, y0 + y, img.px[static_cast<size_t>(y) * img.w + x]);
}

// A picture at half size: each 2 x 2 block becomes its most frequent colour
// (the upper left one on a tie).
kit::Image half(const kit::Image& img) {
    kit::Image h(img.w / 2, img.h / 2, KEY);
    for (int y = 0; y < h.h; ++y)
        for (int x = 0; x < h.w; ++x) {
            const uint8_t c[4] = {img.get(2 * x, 2 * y), img.get(2 * x + 1, 2 * y), img.get(2 * x, 2 * y + 1),
                                  img.get(2 * x + 1, 2 * y + 1)};
            int best = 0, best_n = 0;
            for (int i = 0; i < 4; ++i) {
                int n = 0;
                for (int j = 0; j < 4; ++j) n += c[j] == c[i];
                if (n > best_n) best = i, best_n = n;
            }
            h.set(x, y, c[best]);
        }
    return h;
}

// The greyed form of a figure (a unit that has acted): its colours turned
// to greys of about the same lightness.
kit::Image greyed(const kit::Image& img) {
    kit::Image g = img;
    for (uint8_t& p : g.px) {
        if (p == KEY || p == kit::BLACK) continue;
        const bool light = p == kit::WHITE || p == kit::CREAM || p == kit::PEACH || p == kit::SILVER || p == kit::TAN ||
                           p == kit::LIME || p == kit::ORANGE;
        p = light ? kit::SILVER : p == kit::DGREY || p == kit::NAVY ? kit::DGREY : kit::TAUPE;
    }
    return g;
}

int flag_tile(int set);

// Tile t as its terrain, 32 x 32 at (t % 20, t / 20), its half-size copy at
// line 192 as write_tile_sheet lays them out.
void write_plain_tile_sheet(const std::string& path, int set) {
    Canvas c(640, 240, 0);
    for (int t = 0; t < 120; ++t) {
        const kit::Image tile = kit::terrain_tile(set, t, t == flag_tile(set));
        put_image(c, tile, (t % 20) * 32, (t / 20) * 32);
        const int tz = t / 20 < 3 ? (t / 20) * 40 + t % 20 : (t / 20 - 3) * 40 + t % 20 + 20;
        put_image(c, half(tile), (tz % 40) * 16, 192 + (tz / 40) * 16);
    }
    write_bmp(path, c);
}

// The unit sheet of chapter module `module`: frame p shows the class at
// position p of the module's sprite-set class list facing down (a soldier
// past the list's end), frame 40 + p its greyed form; the half-size copies
// below.
void write_plain_unit_sheet(const std::string& path, int module) {
    const int16_t* list = g_sprite_class_lists[static_cast<size_t>(module)].data();
    int len = 0;
    while (list[len] >= 0) ++len;
    Canvas c(640, 160, KEY);
    for (int p = 0; p < 40; ++p) {
        const kit::Image fig = kit::walker(p < len ? list[p] : 25, 0, 1);
        for (int f : {p, p + 40}) {
            const kit::Image img = f < 40 ? fig : greyed(fig);
            put_image(c, img, (f % 20) * 32, (f / 20) * 32);
            put_image(c, half(img), (f % 40) * 16, 128 + (f / 40) * 16);
        }
    }
    write_bmp(path, c);
}

// 128 x 96: frame = column x 3 + row, columns down, left, right, up, rows
// the steps. Sheets 97..99 of the vision show people of the story.
void write_plain_walk_sheet(const std::string& path, int cls) {
    Canvas c(128, 96, KEY);
    for (int frame = 0; frame < 12; ++frame)
        put_image(c, kit::walker(cls >= 97 ? 55 + frame : cls, frame / 3, frame % 3), (frame / 3) * 32,
                  (frame % 3) * 32);
    write_bmp(path, c);
}

// ---- maps ---------------------------------------------------------------------------

// Every cell that the story names on some map: kept plain ground everywhere,
// so goals, placements and walks never land on a wall.
const char* NAMED_CELLS =
#include "tools/kit_named_cells.inc"

    struct MapSpec {
    int file;  // ?? of stage??.map
    int w, h;
    int set;  // tile set the story loads it with
};

uint32_t mix(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 73856093u ^ b * 19349663u ^ c * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return h ^ (h >> 15);
}

int tile_or_ground(int set, Feature f) {
    const int t = FEATURE_TILE[set][f];
    return t >= 0 ? t : FEATURE_TILE[set][GROUND];
}

std::vector<uint8_t> make_map(const MapSpec& m, const std::vector<std::pair<int, int>>& keep,
                              const KitStageGoal* goal) {
    std::vector<uint8_t> cells(static_cast<size_t>(m.w) * m.h);
    auto at = [&](int x, int y) -> uint8_t& { return cells[static_cast<size_t>(y) * m.w + x]; };
    const int road_y = m.h / 2, river_x = 3 + static_cast<int>(mix(m.file, 1, 2) % static_cast<uint32_t>(m.w - 6));
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            const uint32_t r =
                mix(static_cast<uint32_t>(m.file), static_cast<uint32_t>(x), static_cast<uint32_t>(y)) % 100;
            Feature f = GROUND;
            if (r < 12)
                f = FOREST;
            else if (r < 18)
                f = HILL;
            else if (r < 21)
                f = WALL;
            if (x == river_x || x == river_x + 1) f = WATER;
            if (y == road_y) f = ROAD;
            at(x, y) = static_cast<uint8_t>(tile_or_ground(m.set, f));
        }
    // A few towns and a fort.
    for (int k = 0; k < 3; ++k) {
        const int x = static_cast<int>(mix(m.file, k, 7) % static_cast<uint32_t>(m.w));
        const int y = static_cast<int>(mix(m.file, k, 9) % static_cast<uint32_t>(m.h));
        at(x, y) = static_cast<uint8_t>(tile_or_ground(m.set, TOWN));
    }
    at(m.w - 2, 1) = static_cast<uint8_t>(tile_or_ground(m.set, FORT));
    for (const auto& [x, y] : keep)
        if (x < m.w && y < m.h) at(x, y) = static_cast<uint8_t>(tile_or_ground(m.set, GROUND));
    if (goal)
        for (const KitCellArea& a : goal->cells)
            for (int y = a.y1; a.x1 >= 0 && y <= a.y2; ++y)
                for (int x = a.x1; x <= a.x2; ++x)
                    if (x < m.w && y < m.h) at(x, y) = static_cast<uint8_t>(FLAG_TILE[m.set]);
    return cells;
}

// A stage's map (goal: the stage's goal row, whose cells get the flag) or a
// scene map (goal null).
void write_map(const std::string& dat, const MapSpec& m, const std::vector<std::pair<int, int>>& keep,
               const KitStageGoal* goal) {
    std::vector<uint8_t> f(48, 0);
    std::memcpy(f.data(), "MAP", 3);
    f[6] = static_cast<uint8_t>(m.w);
    f[8] = static_cast<uint8_t>(m.h);
    const std::vector<uint8_t> cells = make_map(m, keep, goal);
    f.insert(f.end(), cells.begin(), cells.end());
    char name[32];
    std::snprintf(name, sizeof name, "/stage%02d.map", m.file);
    write_file(dat + name, f);
}

const int STAGE_TILESET[40] = {4, 0, 0, 1, 0, 5, 6, 6, 5, 0, 1, 0, 5, 0, 0, 0, 0, 5, 0, 5,
                               5, 6, 2, 2, 1, 0, 0, 3, 3, 0, 2, 3, 3, 5, 5, 4, 4, 4, 4, 7};

// ---- the stage unit file --------------------------------------------------------------

struct UnitDef {
    int x, y;
    int16_t s[13];  // character, class, level, max HP, HP, experience, attack,
                    // defence, intelligence, magic defence, agility, AI mode, weapon
};

// ---- a unit's stats by class and level -------------------------------------------

// The kinds of unit: their stats at level 1 (max HP, attack, defence,
// intelligence, magic defence, agility) and, for the kinds that no weapon
// of the item table is open to, the natural weapons of their kind (bound to
// their holder), weakest first. The party's kinds hit a level-1 enemy for
// about half its HP, and take about a third of their own from one of its
// hits; an enemy is slower than the party member of its level, so that
// only the party's blows are tripled by the agility rule early on.
struct Kind {
    std::vector<int> classes;
    int16_t base[6];
    std::vector<int> natural;
};
// clang-format off
const Kind KINDS[] = {
    // classes                            HP atk def int mdef agi  natural weapons
    {{0, 1},                             {26, 6, 5, 7, 6, 9},   {}},                 // princess
    {{2, 3},                             {28, 7, 6, 3, 3, 7},   {}},                 // prince
    {{4, 5},                             {24, 6, 5, 5, 5, 8},   {}},                 // siren
    {{6, 7},                             {30, 7, 6, 2, 2, 6},   {}},                 // soldier
    {{8, 9},                             {24, 6, 4, 4, 4, 10},  {}},                 // fencer
    {{10, 11, 13, 14},                   {22, 3, 4, 8, 7, 7},   {}},                 // the casters
    {{12},                               {30, 8, 5, 3, 3, 8},   {}},                 // the white horse
    {{15, 16, 17, 18},                   {28, 7, 6, 8, 7, 8},   {}},                 // the spirits
    {{53},                               {28, 4, 6, 3, 3, 6},   {}},                 // the butler: he carries nothing
    {{19, 25, 26, 27, 28, 39, 49, 50},   {20, 6, 5, 2, 3, 4},   {75, 76, 77}},       // knights and lords: swords
    {{20, 31, 40, 44, 45},               {20, 6, 4, 4, 5, 3},   {102, 103}},         // the undead: bones
    {{23, 24, 29, 30, 36, 38, 42, 43},   {18, 6, 3, 2, 2, 6},   {90, 91}},           // beasts and fliers: claws
    {{32},                               {18, 5, 3, 1, 2, 5},   {81, 82}},           // the slime: its fluids
    {{41},                               {24, 7, 4, 1, 2, 3},   {96, 97}},           // the minotaur: its horns
    {{34, 35, 37},                       {18, 5, 3, 1, 2, 5},   {75, 87, 85, 86}},   // ogre, orc, kobold: a sword, then clubs
    {{46, 47, 48},                       {24, 6, 5, 6, 6, 5},   {104, 105}},         // the last enemy
    {{},                                 {24, 6, 5, 6, 6, 5},   {87, 85, 86}},       // every other class
};
// clang-format on

const Kind& kind_of(int cls) {
    for (const Kind& k : KINDS)
        for (int c : k.classes)
            if (c == cls) return k;
    return KINDS[std::size(KINDS) - 1];
}

// What a weapon adds to its holder's strike at distance 1.
int32_t weapon_bonus(int id) { return item_get(id).direct_hit + item_get(id).direct_effect; }

// The bonus a weapon suits a unit of this level with: the item table's
// tiers of 400, 800, 1200, ... gold (+8, +14, +20, ...), one every nine
// levels.
int32_t level_bonus(int level) { return 8 + 6 * std::min((level - 1) / 9, 5); }

// What a unit of this level adds to its strike: the same tiers, but rising
// a little with every level, so that the foes of one stage strike no harder
// than those of the stage before at a tier's first level.
int32_t level_strike(int level) { return std::min(8 + 6 * (level - 1) / 9, 38); }

// The weapon a unit of class cls and this level starts with: of the weapons
// the item table opens to its class (by the class mask), or else of its
// kind's natural weapons, the one whose bonus is nearest the level's. A
// class with neither (the butler) holds nothing.
int16_t starting_weapon(int cls, int level) {
    std::vector<int> choice;
    for (int id = 1; id < ITEM_COUNT; ++id) {
        const ItemRecord& it = item_get(id);
        if ((it.flags & 7u) != 0 && (it.flags & ITEM_BAG_MASK) == 0 && item_usable_by_class(id, cls))
            choice.push_back(id);
    }
    if (choice.empty()) choice = kind_of(cls).natural;
    int best = 0;
    int32_t best_gap = 0;
    for (int id : choice) {
        const int32_t gap = std::abs(weapon_bonus(id) - level_bonus(level));
        if (best == 0 || gap < best_gap) best = id, best_gap = gap;
    }
    return static_cast<int16_t>(best);
}

// The experience word of a unit of the other side, which a kill of it earns
// (scaled by the level difference): more for a higher level and a stronger
// class, and always more than the biggest hit that leaves it standing earns
// (half its HP). A party member brings the experience of its level.
int enemy_experience(int cls, int level) {
    static const int STRONG[] = {23, 24, 27, 28, 41, 42};
    static const int MIDDLE[] = {19, 20, 21, 22, 25, 26, 30, 31, 34, 36, 38, 39, 40, 43};
    int tier = cls >= 46 && cls <= 48 ? 5 : 0;
    for (int c : STRONG) tier = c == cls ? 2 : tier;
    for (int c : MIDDLE) tier = c == cls ? 1 : tier;
    return 20 + 2 * level + 4 * tier;
}

// A unit of class cls at this level: its kind's level-1 stats grown as the
// class's level-ups grow them on average (each level a stat gains its
// growth chance in per cent, HP one point more), holding the weapon of its
// level. The stat the weapon adds to (attack, or intelligence for a weapon
// of effect) makes up for the weapon's bonus above or below the level's
// strike, so every kind strikes as hard as its level.
UnitDef unit(int x, int y, int ch, int cls, int level, int mode) {
    const Kind& k = kind_of(cls);
    const auto& growth = g_class_growth[static_cast<size_t>(std::clamp(cls, 0, 48))];
    int16_t s[6];
    for (int i = 0; i < 6; ++i) {
        const int grown =
            k.base[i] + (growth[static_cast<size_t>(i)] * (level - 1) + 50) / 100 + (i == 0 ? level - 1 : 0);
        s[i] = static_cast<int16_t>(std::min(grown, i == 0 ? 150 : 99));
    }
    const int16_t weapon = starting_weapon(cls, level);
    if (weapon != 0) {
        const int which = item_get(weapon).direct_hit != 0 ? 1 : 3;  // attack or intelligence
        s[which] = static_cast<int16_t>(std::clamp(s[which] + level_strike(level) - weapon_bonus(weapon), 1, 99));
    }
    const int exp = mode == 0 ? (level - 1) * 100 : enemy_experience(cls, level);
    return UnitDef{x,
                   y,
                   {static_cast<int16_t>(ch), static_cast<int16_t>(cls), static_cast<int16_t>(level), s[0], s[0],
                    static_cast<int16_t>(exp), s[1], s[2], s[3], s[4], s[5], static_cast<int16_t>(mode), weapon}};
}

// Enemy classes by chapter module: classes of the module's unit sheet that
// have a battle script.
const std::vector<int> ENEMY_CLASSES[6] = {
    {},
    {25, 29, 37, 32},
    {29, 32, 35, 37, 36, 44, 42, 31, 20},
    {29, 31, 32, 35, 37, 40, 45, 28, 26},
    {19, 34, 35, 38, 41, 42, 43, 45, 40},
    {27, 23, 24, 28, 19, 39, 40, 36},
};

int module_of_stage(int s) { return s < 1 ? 1 : s < 15 ? 2 : s < 21 ? 3 : s < 33 ? 4 : 5; }

std::vector<UnitDef> stage_units(int s, const std::vector<std::pair<int, int>>& keep) {
    std::vector<UnitDef> u;
    const int set = STAGE_TILESET[s];
    const std::vector<uint8_t> cells = make_map(MapSpec{s + 1, 40, 40, set}, keep, &g_kit_stage_goals[s]);
    // The free cell nearest to (x, y) that no named cell, goal cell or other
    // unit uses, on ground a walker stands on (no wall, no water).
    auto free_near = [&](int x, int y) {
        for (int r = 0; r < 40; ++r)
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    const int cx = x + dx, cy = y + dy;
                    if (std::abs(dx) + std::abs(dy) != r || cx < 0 || cy < 0 || cx >= 40 || cy >= 40) continue;
                    const int f = feature_of_tile(set, cells[static_cast<size_t>(cy) * 40 + cx]);
                    bool taken = f == WALL || f == WATER;
                    for (const auto& d : u) taken |= d.x == cx && d.y == cy;
                    for (const auto& [kx, ky] : keep) taken |= kx == cx && ky == cy;
                    for (const KitCellArea& a : g_kit_stage_goals[s].cells)  // nobody starts on the goal
                        taken |= cx >= a.x1 && cx <= a.x2 && cy >= a.y1 && cy <= a.y2;
                    if (!taken) return std::pair<int, int>{cx, cy};
                }
        return std::pair<int, int>{x, y};
    };
    auto add = [&](int x, int y, int ch, int cls, int level, int mode) {
        const auto [fx, fy] = free_near(x, y);
        u.push_back(unit(fx, fy, ch, cls, level, mode));
    };
    const int level = 1 + s / 2;
    if (s == 0) {
        // The prologue's party, walking north to the gate at (19,1).
        u.push_back(unit(19, 36, 1, 0, 1, 0));
        u.push_back(unit(20, 36, 2, 2, 1, 0));
        u.push_back(unit(19, 37, 12, 53, 1, 0));
        // A sentry a few steps east of the party's start, that fights
        // only from where it stands: the first fight a player can reach.
        u.push_back(unit(23, 35, 10, 25, 1, 3));
        // An imp that comes for the party at once (it chases a party
        // member within 20 cells), a slime and a kobold that come when the
        // party passes within 10 cells of them, and a knight that holds the
        // way to the gate: the first enemy phases show a walk and a fight,
        // and the party meets its foes one or two at a time.
        add(26, 27, 10, 29, 1, 17);
        add(13, 25, 10, 32, 1, 9);
        add(24, 15, 10, 37, 1, 9);
        add(16, 6, 10, 25, 1, 3);
    }
    // Party members join on the stage before a placement list names them.
    if (s == 1) u.push_back(unit(4, 18, 3, 4, 2, 0));
    if (s == 2) u.push_back(unit(6, 29, 4, 6, 3, 0));
    if (s == 9) u.push_back(unit(20, 21, 5, 8, 6, 0));
    if (s == 14) u.push_back(unit(35, 28, 11, 12, 8, 0));
    if (s == 16) u.push_back(unit(22, 30, 7, 10, 9, 0));
    if (s == 20) u.push_back(unit(21, 30, 8, 11, 11, 0));

    // Bosses: first contact (AI mode 1), or a boss to beat (2).
    const std::vector<int>& pool = ENEMY_CLASSES[module_of_stage(s)];
    static const int contact[] = {7, 8, 9, 13, 14, 16, 18, 24, 26, 27, 28, 35, 36, 38};
    static const int beaten[] = {5, 12, 15, 17, 19, 29};
    int boss_class = pool[static_cast<size_t>(s) % pool.size()];
    if (s == 8) boss_class = 35;
    if (s == 14) boss_class = 42;
    if (s == 24) boss_class = 41;
    for (int c : contact)
        if (c == s) add(20, 5, 10, boss_class, level + 3, 1);
    for (int c : beaten)
        if (c == s) add(20, 5, 10, boss_class, level + 3, 2);
    if (s == 3) add(20, 5, 14, 31, level + 3, 1);
    if (s == 23) add(10, 9, 26, 51, level, 19);
    if (s == 37) {
        add(20, 5, 15, 19, level + 3, 1);
        add(21, 5, 13, 27, level + 3, 19);
    }
    if (s == 39) u.push_back(unit(19, 1, 28, 46, 30, 2));

    // Dormant units on the stages that wake them.
    if (s == 5 || s == 12 || s == 17 || s == 19)
        for (int k = 0; k < 3; ++k) add(2 + k, 12, 10, pool[static_cast<size_t>(k) % pool.size()], level, 16);

    // The rank and file, spread over the map away from the named cells:
    // some hold their ground (3), some come when the party passes within
    // 10 cells (9), the others fight what comes into their reach (7); on
    // the first stages of the journey one comes for the party at once (17).
    const int count = s == 0 ? 0 : 4 + s % 4;
    for (int k = 0; k < count; ++k) {
        const int x = 4 + static_cast<int>(mix(s, k, 31) % 32u), y = 6 + static_cast<int>(mix(s, k, 37) % 22u);
        const int mode = k == 0 && s <= 4 ? 17 : k % 3 == 1 ? 9 : k % 3 == 2 ? 3 : 7;
        add(x, y, 10, pool[static_cast<size_t>(k) % pool.size()], level, mode);
    }
    return u;
}

void write_units(const std::string& dat, const std::vector<std::pair<int, int>>& keep) {
    constexpr int BLOCKS = 48;
    std::vector<std::vector<UnitDef>> blocks(BLOCKS);
    for (int s = 0; s < 40; ++s) blocks[static_cast<size_t>(s)] = stage_units(s, keep);
    // Stage 40's reinforcements, west and east.
    for (int k = 0; k < 4; ++k) {
        blocks[43].push_back(unit(3 + k % 2, 10 + k / 2, 10, ENEMY_CLASSES[5][static_cast<size_t>(k)], 22, 7));
        blocks[44].push_back(unit(34 + k % 2, 10 + k / 2, 10, ENEMY_CLASSES[5][static_cast<size_t>(k + 4)], 22, 7));
    }
    // The chapter-3 vision's enemies (scene map 57).
    blocks[47].push_back(unit(9, 4, 13, 27, 15, 2));
    blocks[47].push_back(unit(7, 3, 10, 45, 12, 7));
    blocks[47].push_back(unit(11, 3, 10, 45, 12, 7));

    std::vector<uint8_t> f;
    std::vector<uint8_t> body;
    for (int b = 0; b < BLOCKS; ++b) {
        put16(f, static_cast<uint32_t>(BLOCKS * 2 + body.size()));
        put16(body, static_cast<uint32_t>(blocks[static_cast<size_t>(b)].size()));
        for (const UnitDef& d : blocks[static_cast<size_t>(b)]) {
            put16(body, static_cast<uint32_t>(d.x));
            put16(body, static_cast<uint32_t>(d.y));
            for (int16_t v : d.s) put16(body, static_cast<uint16_t>(v));
        }
    }
    f.insert(f.end(), body.begin(), body.end());
    write_file(dat + "/stage.unt", f);
}

}  // namespace

void kit_write_maps_and_units(const std::string& out_dir, bool marked) {
    const std::string dat = out_dir + "/dat", bmp = out_dir + "/bmp";
    std::vector<std::pair<int, int>> keep;
    std::istringstream in(NAMED_CELLS);
    for (std::string item; in >> item;) {
        int x = 0, y = 0;
        if (std::sscanf(item.c_str(), "%d,%d", &x, &y) == 2) keep.emplace_back(x, y);
    }
    // Stage 1's party start and the stage unit file's bosses stay clear too.
    for (const auto& c : std::vector<std::pair<int, int>>{{19, 36}, {20, 36}, {19, 37}}) keep.push_back(c);

    for (int s = 0; s < 40; ++s) write_map(dat, MapSpec{s + 1, 40, 40, STAGE_TILESET[s]}, keep, &g_kit_stage_goals[s]);
    // Scene maps, sized to every cell their scenes name.
    const MapSpec scenes[] = {{51, 24, 40, 4}, {52, 40, 32, 1}, {53, 24, 26, 4}, {54, 20, 14, 1}, {55, 20, 14, 1},
                              {56, 20, 14, 6}, {57, 20, 14, 0}, {60, 20, 16, 1}, {61, 20, 14, 1}};
    for (const MapSpec& m : scenes) write_map(dat, m, keep, nullptr);
    write_units(dat, keep);

    for (int k = 0; k < 5; ++k) {
        const std::string path = bmp + "/mapchar" + std::to_string(k) + ".BMP";
        if (marked)
            write_unit_sheet(path);
        else
            write_plain_unit_sheet(path, k + 1);
    }
    for (int set = 0; set < 8; ++set) {
        const std::string path = bmp + "/map_" + std::string(1, static_cast<char>('a' + set)) + ".BMP";
        if (marked)
            write_tile_sheet(path, set);
        else
            write_plain_tile_sheet(path, set);
    }
    for (int cls = 0; cls <= 99; ++cls) {
        if (cls > 66 && cls < 97) continue;
        char name[32];
        std::snprintf(name, sizeof name, "/walk%02d.BMP", cls);
        if (marked)
            write_walk_sheet(bmp + name, cls);
        else
            write_plain_walk_sheet(bmp + name, cls);
    }
}
