// Sample data kit, plain pictures of the map tiles: every tile is drawn as
// the terrain the game gives it (its tile set's terrain class and name):
// grass, roads and floors, woods, water, houses, walls, forts, mountains,
// stairs and the rest, without numbers. The tiles of one class look alike,
// so the maps read by their terrain.
#include <cstdint>

#include "tactics/map.h"
#include "tools/kit.h"

namespace kit {

namespace {

constexpr int T = 32;

// A fixed pixel noise, 0..99, the same for every tile of one look.
int noise(int x, int y, int salt) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(salt) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return static_cast<int>((h ^ (h >> 15)) % 100);
}

// The tile sets inside buildings and caves (floors, not roads).
bool indoors(int set) { return set == 1 || set == 3 || set == 4 || set == 5; }

void grass(Image& t, int salt) {
    t.fill(0, 0, T - 1, T - 1, LIME);
    for (int y = 0; y < T; ++y)
        for (int x = 0; x < T; ++x) {
            const int n = noise(x, y, salt);
            if (n < 9) t.set(x, y, OLIVE);
            if (n == 9 && y > 0) {  // a tuft
                t.set(x, y - 1, OLIVE);
                t.set(x + 1, y, OLIVE);
            }
            if (n == 99) t.set(x, y, salt % 2 ? CREAM : PEACH);  // a flower
        }
}

void dirt(Image& t, uint8_t base, uint8_t speck, uint8_t light) {
    t.fill(0, 0, T - 1, T - 1, base);
    for (int y = 0; y < T; ++y)
        for (int x = 0; x < T; ++x) {
            const int n = noise(x, y, 7);
            if (n < 8) t.set(x, y, speck);
            if (n > 95) t.set(x, y, light);
        }
}

// Flagstones in rows of offset slabs.
void floor(Image& t, uint8_t stone, uint8_t mortar, uint8_t light) {
    t.fill(0, 0, T - 1, T - 1, stone);
    for (int y = 0; y < T; ++y)
        for (int x = 0; x < T; ++x) {
            const int row = y / 8, sx = (x + (row % 2) * 8) % 16;
            if (y % 8 == 7 || sx == 15)
                t.set(x, y, mortar);
            else if (y % 8 == 0 || sx == 0)
                t.set(x, y, light);
            else if (noise(x, y, 11) < 4)
                t.set(x, y, mortar);
        }
}

void tree(Image& t, int cx, int cy, int r) {
    t.fill(cx - 1, cy + r - 2, cx + 1, cy + r + 4, BROWN);
    t.disc(cx, cy, r, OLIVE);
    t.disc(cx - r / 3, cy - r / 3, r / 2, LIME);
    t.set(cx - r / 3, cy - r / 3 - 1, CREAM);
}

// Small waves: curved crests in `ripple` with a light glint on each.
void water(Image& t, uint8_t base, uint8_t ripple, bool shimmer, int salt) {
    t.fill(0, 0, T - 1, T - 1, base);
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 2; ++k) {
            const int x0 = (k * 16 + row * 8 + salt) % T, y0 = 4 + row * 8;
            for (int i = 0; i < 9; ++i) t.set((x0 + i) % T, y0 - (i >= 2 && i <= 6), ripple);
            // Where the tile set cycles colour 14, the glints shimmer.
            t.set((x0 + 4) % T, y0 - 2, shimmer ? KEY : WHITE);
        }
}

// A wall of big blocks: lit faces, dark joints, a shadow at its foot.
void wall(Image& t, uint8_t stone, uint8_t dark) {
    t.fill(0, 0, T - 1, T - 1, stone);
    for (int y = 0; y < T; ++y)
        for (int x = 0; x < T; ++x) {
            const int row = y / 11, bx = (x + (row % 2) * 10) % 20;
            if (y % 11 == 10 || bx == 19)
                t.set(x, y, BLACK);
            else if (y % 11 == 0)
                t.set(x, y, SILVER);
            else if (y % 11 >= 8 || bx >= 17)
                t.set(x, y, dark);
        }
}

void house(Image& t, uint8_t roof) {
    t.fill(6, 14, 25, 28, CREAM);
    t.rect(6, 14, 25, 28, BROWN);
    t.polygon({{3, 15}, {16, 4}, {29, 15}}, roof);
    t.line(3, 15, 16, 4, BLACK);
    t.line(16, 4, 29, 15, BLACK);
    t.fill(14, 20, 18, 28, BROWN);
    t.fill(8, 17, 11, 20, NAVY);
    t.fill(21, 17, 24, 20, NAVY);
}

void mountain(Image& t) {
    t.polygon({{0, 30}, {15, 3}, {31, 30}}, BROWN);
    t.polygon({{15, 3}, {31, 30}, {20, 30}}, DGREY);
    t.polygon({{10, 12}, {15, 3}, {20, 12}}, WHITE);
    t.line(0, 30, 15, 3, BLACK);
    t.line(15, 3, 31, 30, BLACK);
}

void stairs(Image& t) {
    for (int k = 0; k < 4; ++k) {
        const int y = 4 + k * 7;
        t.fill(2 + k * 2, y, 29 - k * 2, y + 6, k % 2 ? TAUPE : SILVER);
        t.fill(2 + k * 2, y + 5, 29 - k * 2, y + 6, DGREY);
    }
}

void magic_circle(Image& t) {
    t.ellipse(16, 16, 14, 11, NAVY);
    t.ellipse(16, 16, 12, 9, TAUPE);
    t.ellipse(16, 16, 9, 6, NAVY);
    t.ellipse(16, 16, 7, 4, TAUPE);
    for (int k = 0; k < 6; ++k) t.set(16 + (k - 3) * 4, 16 + ((k % 2) ? 5 : -5), ORANGE);
}

void flag(Image& t) {
    t.fill(13, 27, 19, 29, DGREY);  // a stone at its foot
    t.fill(15, 4, 16, 28, BROWN);   // the pole
    t.polygon({{17, 4}, {29, 8}, {17, 13}}, RED);
    t.line(17, 4, 29, 8, BLACK);
    t.line(29, 8, 17, 13, BLACK);
    t.set(15, 3, ORANGE);
    t.set(16, 3, ORANGE);
}

}  // namespace

Image terrain_tile(int set, int tile, bool with_flag) {
    Image t(T, T, LIME);
    const uint32_t cls = g_tileset_terrain[static_cast<size_t>(set)][static_cast<size_t>(tile)];
    const bool cycling = g_tileset_colour_cycle[static_cast<size_t>(set)] != 0;
    switch (cls) {
        case 0:  // impassable: walls
            wall(t, set == 3 || set == 7 ? TAUPE : BROWN, DGREY);
            break;
        case 1: grass(t, set); break;
        case 2:
            if (indoors(set))
                floor(t, SILVER, TAUPE, WHITE);
            else if (set == 7)
                dirt(t, DGREY, BLACK, TAUPE);
            else
                dirt(t, TAN, BROWN, PEACH);
            break;
        case 3:
            if (set == 1) {  // cargo
                floor(t, SILVER, TAUPE, WHITE);
                t.fill(4, 10, 17, 27, BROWN);
                t.rect(4, 10, 17, 27, BLACK);
                t.line(4, 10, 17, 27, TAN);
                t.fill(15, 4, 28, 19, TAN);
                t.rect(15, 4, 28, 19, BLACK);
            } else if (set == 3) {  // chains
                floor(t, DGREY, BLACK, TAUPE);
                for (int y = 0; y < T; y += 4) {
                    t.rect(9, y, 12, y + 3, SILVER);
                    t.rect(20, y + 2, 23, y + 5, SILVER);
                }
            } else {  // woods
                grass(t, set);
                tree(t, 9, 10, 7);
                tree(t, 22, 15, 7);
                tree(t, 11, 23, 5);
            }
            break;
        case 4:
            if (set == 5) {  // pillars
                floor(t, SILVER, TAUPE, WHITE);
                t.fill(10, 2, 21, 29, SILVER);
                t.fill(10, 2, 12, 29, WHITE);
                t.fill(19, 2, 21, 29, TAUPE);
                t.fill(8, 26, 23, 30, DGREY);
            } else if (set == 7) {  // the abyss
                t.fill(0, 0, T - 1, T - 1, BLACK);
                for (int y = 0; y < T; ++y)
                    for (int x = 0; x < T; ++x)
                        if (noise(x, y, 3) < 5) t.set(x, y, NAVY);
            } else if (set == 4) {  // a meadow
                grass(t, set + 1);
                for (int k = 0; k < 6; ++k) t.set(4 + k * 5, 6 + (k * 7) % 20, k % 2 ? ORANGE : CREAM);
            } else if (set == 1) {  // burnt ground
                floor(t, SILVER, TAUPE, WHITE);
                t.ellipse(16, 17, 12, 9, DGREY);
                t.ellipse(15, 16, 7, 5, BLACK);
            } else {  // waste and rocks
                dirt(t, TAN, BROWN, CREAM);
                t.ellipse(10, 20, 5, 4, TAUPE);
                t.ellipse(23, 11, 4, 3, TAUPE);
                t.set(9, 18, SILVER);
            }
            break;
        case 5:
            if (set == 4 || set == 7) {
                floor(t, SILVER, TAUPE, WHITE);
                magic_circle(t);
            } else {  // a town
                grass(t, set);
                house(t, RED);
            }
            break;
        case 6: water(t, BLUE, SILVER, cycling, 1); break;  // shallows
        case 7: water(t, NAVY, BLUE, cycling, 5); break;
        case 8:
            if (set == 0) {  // a fort
                grass(t, set);
                t.fill(3, 8, 28, 29, TAUPE);
                for (int x = 3; x <= 24; x += 7) t.fill(x, 4, x + 3, 8, TAUPE);
                t.rect(3, 8, 28, 29, DGREY);
                t.fill(12, 18, 19, 29, BLACK);
                t.fill(6, 12, 8, 15, BLACK);
                t.fill(23, 12, 25, 15, BLACK);
            } else if (set == 2) {  // a hut
                dirt(t, TAN, BROWN, PEACH);
                house(t, BROWN);
            } else if (set == 7) {
                floor(t, DGREY, BLACK, TAUPE);
                magic_circle(t);
            } else {  // a chair
                floor(t, SILVER, TAUPE, WHITE);
                t.fill(9, 5, 22, 16, BROWN);
                t.fill(9, 17, 22, 21, RED);
                t.fill(9, 22, 10, 28, BROWN);
                t.fill(21, 22, 22, 28, BROWN);
                t.rect(9, 5, 22, 21, BLACK);
            }
            break;
        case 9:
            if (set == 0) {
                grass(t, set);
                mountain(t);
            } else if (set == 2 || set == 6) {
                dirt(t, TAN, BROWN, PEACH);
                mountain(t);
            } else {
                if (set == 4)  // steps out in the open
                    grass(t, set);
                else
                    floor(t, SILVER, TAUPE, WHITE);
                stairs(t);
            }
            break;
        default:  // the open air: a dark void with stars
            t.fill(0, 0, T - 1, T - 1, BLACK);
            for (int y = 0; y < T; ++y)
                for (int x = 0; x < T; ++x) {
                    const int n = noise(x, y, 9);
                    if (n < 12 && (x + y) % 2 == 0) t.set(x, y, NAVY);
                    if (n > 97) t.set(x, y, noise(x, y, 10) < 50 ? WHITE : SILVER);
                }
            break;
    }
    if (with_flag) flag(t);
    return t;
}

}  // namespace kit
