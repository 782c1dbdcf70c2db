// The pictures the platform layer reads at start: Presents.bmp, the window
// chips, the cursor sheet and the icons.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/kit.h"

namespace kit {

namespace {

// Square dilation of the non-key pixels of `mask` by r, drawn in c into img
// (only where img is not already covered by the mask itself).
void dilate_into(Image& img, const Image& mask, int r, uint8_t c) {
    for (int y = 0; y < mask.h; ++y)
        for (int x = 0; x < mask.w; ++x) {
            if (mask.px[y * mask.w + x] == KEY) continue;
            for (int j = -r; j <= r; ++j)
                for (int i = -r; i <= r; ++i)
                    if (mask.get(x + i, y + j) == KEY) img.set(x + i, y + j, c);
        }
}

// Two-colour dither of a ramp: t in 0..1 from a to b.
uint8_t dither(uint8_t a, uint8_t b, double t, int x, int y) {
    return bayer4(x, y) < static_cast<int>(t * 16.0 + 0.5) ? b : a;
}

// ---- Presents.bmp: a title card ------------------------------------------------

Image make_presents(const Bytes& fnt, bool marked) {
    const int W = 640, H = 400;
    Image img(W, H, BLACK);
    // Night sky: black, navy, blue toward the horizon.
    for (int y = 0; y < 330; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t c;
            if (y < 150)
                c = dither(BLACK, NAVY, y / 150.0, x, y);
            else if (y < 300)
                c = dither(NAVY, BLUE, (y - 150) / 150.0, x, y);
            else
                c = BLUE;
            img.set(x, y, c);
        }
    Rng rng(1996);
    for (int i = 0; i < 150; ++i) {
        int x = rng.range(0, W - 1), y = rng.range(0, 230);
        uint8_t c = (i % 3 == 0) ? CREAM : (i % 3 == 1 ? WHITE : SILVER);
        img.set(x, y, c);
        if (i % 17 == 0) {
            img.set(x - 1, y, SILVER);
            img.set(x + 1, y, SILVER);
            img.set(x, y - 1, SILVER);
            img.set(x, y + 1, SILVER);
        }
    }
    // A crescent moon.
    for (int y = -27; y <= 27; ++y)
        for (int x = -27; x <= 27; ++x) {
            bool in_a = x * x + y * y <= 26 * 26;
            int bx = x - 11, by = y + 8;
            bool in_b = bx * bx + by * by <= 24 * 24;
            if (in_a && !in_b) img.set(540 + x, 72 + y, CREAM);
        }
    // Far mountains with a lit ridge, then the near hills.
    for (int x = 0; x < W; ++x) {
        int h =
            static_cast<int>(262 + 22 * std::sin(x * 0.013) + 13 * std::sin(x * 0.037 + 1.0) + 5 * std::sin(x * 0.11));
        img.fill(x, h, x, 340, DGREY);
        img.set(x, h, TAUPE);
        int h2 = static_cast<int>(318 + 12 * std::sin(x * 0.008 + 2.0) + 6 * std::sin(x * 0.025));
        img.fill(x, h2, x, H - 1, BLACK);
    }
    // A castle on the right-hand hill, its windows lit.
    auto tower = [&](int x0, int x1, int top, int base) {
        img.fill(x0, top, x1, base, BLACK);
        int mid = (x0 + x1) / 2, half = (x1 - x0) / 2 + 3;
        const int roof = half + 8;  // a pointed roof, a little wider than the tower
        for (int k = 0; k <= roof; ++k)
            img.fill(mid - k * half / roof, top - roof + k, mid + k * half / roof, top - roof + k, BLACK);
        img.fill(mid, top - roof - 6, mid, top - roof, BLACK);  // a flag
        img.fill(mid + 1, top - roof - 6, mid + 4, top - roof - 4, RED);
        for (int wy = top + 8; wy < base - 10; wy += 14) img.fill(mid - 1, wy, mid + 1, wy + 4, ORANGE);
    };
    img.fill(452, 262, 602, 330, BLACK);
    for (int x = 452; x <= 602; x += 8) img.fill(x, 256, x + 3, 262, BLACK);  // battlements
    tower(440, 462, 226, 330);
    tower(494, 522, 196, 330);
    tower(548, 570, 232, 330);
    tower(592, 610, 246, 330);
    for (int x = 470; x < 600; x += 22) img.fill(x, 280, x + 2, 285, ORANGE);
    img.fill(515, 300, 529, 330, DGREY);  // the gate

    // The title "로웬벨", Unifont glyphs five times enlarged, golden with a
    // dark rim and a drop shadow.
    const char* title = "로웬벨";
    const int scale = 5, tw = font_width(title, scale), tx = (W - tw) / 2, ty = 92;
    Image mask(W, H, KEY);
    font_text(mask, fnt, tx, ty, title, WHITE, scale);
    Image shadow(W, H, KEY);
    shadow.blit(mask, 6, 6, KEY);
    dilate_into(img, shadow, 2, BLACK);
    img.blit(shadow, 0, 0, KEY);
    for (auto& p : shadow.px)
        if (p != KEY) p = KEY;
    dilate_into(img, mask, 3, BLACK);
    dilate_into(img, mask, 1, BROWN);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (mask.px[y * W + x] == KEY) continue;
            double t = (y - ty) / (16.0 * scale);
            uint8_t c;
            if (t < 0.30)
                c = CREAM;
            else if (t < 0.45)
                c = dither(CREAM, ORANGE, (t - 0.30) / 0.15, x, y);
            else if (t < 0.75)
                c = ORANGE;
            else
                c = dither(ORANGE, RED, (t - 0.75) / 0.25, x, y);
            // A white glint on the top edge of each stroke.
            if (mask.get(x, y - 1) == KEY && t < 0.5) c = WHITE;
            img.set(x, y, c);
        }

    auto centred = [&](const char* s, int y, int sc, uint8_t c) {
        Image m(W, H, KEY);
        int w = font_width(s, sc);
        font_text(m, fnt, (W - w) / 2, y, s, c, sc);
        dilate_into(img, m, 1, BLACK);
        img.blit(m, 0, 0, KEY);
    };
    centred("QMX presents", 36, 1, SILVER);
    centred("ROWENBEL", 196, 2, SILVER);
    centred("전략 시뮬레이션 RPG", 236, 1, CREAM);
    if (marked) {  // the picture's own name, bottom right
        Image m(W, H, KEY);
        font_text(m, fnt, W - 8 - font_width("Presents.bmp"), H - 22, "Presents.bmp", TAUPE);
        img.blit(m, 0, 0, KEY);
    }
    return img;
}

// ---- winchip: window frame chips -------------------------------------------------
// The 48 x 60 chip set is itself a small window (chips 0..5 the top line,
// 6..11 a text line, 12..17 the bottom line), so the frame is drawn as one
// picture: a narrow bevelled band and the fill colour 11 that the dark hover
// highlight turns into a chequer of colour 8. The band keeps to the outer
// six pixels of the two side chips: the battle panels write their names,
// terrain and HP bars from the second left chip on (one column left of the
// window's text area), and they keep a clear margin there.

struct FrameColours {
    uint8_t outline, light, band, shade, fill;
};

// Distance class of a template pixel: -1 outside (transparent), 0 outline,
// 1 light edge, 2..3 band, 4 shade, 5 inner outline, 6+ fill.
int frame_ring(int x, int y) {
    int dx = std::min(x, 47 - x), dy = std::min(y - 4, 55 - y);
    if (dx < 0 || dy < 0) return -1;
    return std::min({dx, dy, dx + dy - 2});
}

void draw_chip_set(Image& img, int ox, const FrameColours& fc) {
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 48; ++x) {
            int d = frame_ring(x, y);
            uint8_t c;
            if (d < 0)
                c = KEY;
            else if (d == 0 || d == 5)
                c = fc.outline;
            else if (d == 1)
                c = fc.light;
            else if (d <= 3)
                c = fc.band;
            else if (d == 4)
                c = fc.shade;
            else
                c = fc.fill;
            img.set(ox + x, y, c);
        }
}

Image make_winchip() {
    Image img(96, 60, KEY);
    draw_chip_set(img, 0, {BLACK, WHITE, SILVER, TAUPE, NAVY});
    draw_chip_set(img, 48, {BLACK, CREAM, ORANGE, BROWN, NAVY});
    return img;
}

// ---- mcsrfont: cursor shapes ---------------------------------------------------------
// Shapes 0..6 at x = 24 k; every figure stays within the first 17 columns of
// its cell (the cursor's saved area starts at the 8-pixel column that holds
// its x) and has its hot spot where the cursor drawing shifts it:
// 0 (0,0), 1 (0,8), 2 (15,8), 3 (8,0), 4 (8,15), 5 and 6 none.

// The marked kit writes each shape's number on it.
Image cursor_shape(int k, bool marked) {
    Image c(24, 24, KEY);
    const std::string label = marked ? std::to_string(k) : std::string();
    if (k == 0) {
        c.polygon({{1, 1}, {13.5, 13.5}, {8.6, 13.5}, {11.8, 19.6}, {9.6, 20.6}, {6.6, 14.6}, {1, 19}}, WHITE);
        c.set(1, 1, WHITE);
        tiny_text(c, 3, 9, label, RED);
    } else if (k <= 4) {
        // A fat arrow, tip first: u = 0..12 along it, v across.
        for (int u = 0; u <= 12; ++u)
            for (int v = -6; v <= 6; ++v) {
                bool in = u < 7 ? std::abs(v) <= u : std::abs(v) <= 2;
                if (!in) continue;
                int x = 0, y = 0;
                if (k == 1) x = 1 + u, y = 8 + v;   // points left, tip at (0,8)
                if (k == 2) x = 14 - u, y = 8 + v;  // points right, tip at (15,8)
                if (k == 3) x = 8 + v, y = 1 + u;   // points up, tip at (8,0)
                if (k == 4) x = 8 + v, y = 14 - u;  // points down, tip at (8,15)
                c.set(x, y, k == 1 || k == 2 ? CREAM : WHITE);
            }
        if (k == 1) tiny_text(c, 9, 6, label, RED);
        if (k == 2) tiny_text(c, 4, 6, label, RED);
        if (k == 3) tiny_text(c, 7, 8, label, RED);
        if (k == 4) tiny_text(c, 7, 3, label, RED);
    } else {
        // The click-wait cursor: a triangle pointing down that bobs.
        int top = k == 5 ? 2 : 6;
        for (int r = 0; r <= 6; ++r) c.fill(8 - (6 - r), top + r, 8 + (6 - r), top + r, k == 5 ? WHITE : ORANGE);
        tiny_text(c, 7, top, label, k == 5 ? RED : BROWN);
    }
    c.outline(BLACK);
    return c;
}

Image make_cursors(bool marked) {
    Image img(312, 24, KEY);
    for (int k = 0; k <= 6; ++k) img.blit(cursor_shape(k, marked), 24 * k, 0);
    return img;
}

// ---- iconchip: 32 x 32 icons ------------------------------------------------------------
// The first row holds the icons the map view draws keyed: 0/1 the cell
// cursor, 2/3 a found chest, 4/5 an opened chest, 6/7 the shop marker (odd
// numbers: the 16 x 16 zoom-2 form in the top-left quarter); 8..15 are not
// drawn. The second row holds the frame marks the map view draws over a
// unit in one colour (frame kind k is icon 2k + 16, + 1 at zoom 2): every
// pixel but the key becomes that colour and black stays black. Each mark
// keeps to the cell's edge and corners, so the unit inside stays visible,
// and each kind has a shape of its own:
//   0 one highlight mark (a target in reach): corner triangles
//   1 the other mark (a cell of the move): ticks in the middle of each side
//   2 both marks (the unit that acts): the triangles and the ticks together
//   3 a computer unit: a single ring
//   4 a party unit: a double ring
//   5 a knocked-out party unit: a dashed ring
//   6 a party unit whose counter runs: a ring with a dotted inner line
// Marks are drawn in white with a black rim, which keeps them readable on
// any ground whatever colour the map view gives them.

void brackets(Image& ic, int s, int len, uint8_t c) {
    int a = 1, b = s - 2;
    ic.fill(a, a, a + len - 1, a + 1, c);
    ic.fill(a, a, a + 1, a + len - 1, c);
    ic.fill(b - len + 1, a, b, a + 1, c);
    ic.fill(b - 1, a, b, a + len - 1, c);
    ic.fill(a, b - 1, a + len - 1, b, c);
    ic.fill(a, b - len + 1, a + 1, b, c);
    ic.fill(b - len + 1, b - 1, b, b, c);
    ic.fill(b - 1, b - len + 1, b, b, c);
}

void chest(Image& ic, int x0, int y0, int w, int h, bool opened) {
    int lid = std::max(2, h * 35 / 100);
    if (opened) {
        ic.fill(x0, y0 - h / 2 - 1, x0 + w - 1, y0 - 1, TAUPE);  // the lid, standing
        ic.fill(x0 + 1, y0 - h / 2, x0 + w - 2, y0 - 2, TAN);
        ic.fill(x0, y0, x0 + w - 1, y0 + h - 1, BROWN);
        ic.fill(x0 + 1, y0, x0 + w - 2, y0 + lid - 1, DGREY);  // inside
        for (int x = x0 + 2; x < x0 + w - 2; x += 3) ic.set(x, y0 + (x & 1), ORANGE);
        ic.set(x0 + w / 2, y0, CREAM);
    } else {
        ic.fill(x0, y0, x0 + w - 1, y0 + lid - 1, TAN);
        ic.fill(x0, y0 + lid, x0 + w - 1, y0 + h - 1, BROWN);
        ic.fill(x0 + 2, y0, x0 + 2, y0 + h - 1, ORANGE);
        ic.fill(x0 + w - 3, y0, x0 + w - 3, y0 + h - 1, ORANGE);
        ic.fill(x0 + w / 2 - 1, y0 + lid - 1, x0 + w / 2, y0 + lid, CREAM);
    }
}

// Icon n of the first row; the marked kit writes its number on it.
Image icon(int n, bool marked) {
    Image ic(32, 32, KEY);
    const bool small = n & 1;
    const int s = small ? 16 : 32;
    switch (n) {
        case 0:
        case 1: brackets(ic, s, small ? 5 : 9, WHITE); break;
        case 2:
        case 3:
            if (small)
                chest(ic, 6, 8, 9, 7, false);
            else
                chest(ic, 15, 17, 14, 12, false);
            break;
        case 4:
        case 5:
            if (small)
                chest(ic, 6, 9, 9, 6, true);
            else
                chest(ic, 15, 18, 14, 11, true);
            break;
        case 6:
        case 7:
            if (small) {
                ic.disc(11, 5, 3, ORANGE);
                ic.set(11, 5, CREAM);
            } else {
                ic.disc(23, 9, 6, ORANGE);
                ic.disc(23, 9, 4, CREAM);
                tiny_text(ic, 22, 7, "G", BROWN);
            }
            break;
        default: return ic;  // not drawn by the game
    }
    if (marked) tiny_text(ic, small ? 4 : 5, small ? 4 : 5, std::to_string(n), WHITE);
    ic.outline(BLACK);
    return ic;
}

// The frame mark of kind k in a cell of s pixels (32, or 16 for zoom 2).
Image frame_mark(int kind, int s) {
    Image ic(32, 32, KEY);
    const int a = 1, b = s - 2;       // the ring's outer line
    const int t = s == 32 ? 2 : 1;    // line width
    const int leg = s == 32 ? 7 : 4;  // corner triangles
    const int tick = s == 32 ? 8 : 4, depth = s == 32 ? 4 : 2;
    const int in = a + t + (s == 32 ? 1 : 0);  // inner line of kinds 4, 6: a gap inside the ring at 32
    auto ring = [&]() {
        for (int k = 0; k < t; ++k) ic.rect(a + k, a + k, b - k, b - k, WHITE);
    };
    auto triangles = [&]() {
        for (int j = 0; j < leg; ++j)
            for (int i = 0; i + j < leg; ++i) {
                ic.set(a + i, a + j, WHITE);
                ic.set(b - i, a + j, WHITE);
                ic.set(a + i, b - j, WHITE);
                ic.set(b - i, b - j, WHITE);
            }
    };
    auto ticks = [&]() {
        const int m0 = s / 2 - tick / 2, m1 = m0 + tick - 1;  // along each side
        const int c0 = s / 2 - t / 2, c1 = c0 + t - 1;        // and inward from its middle
        ic.fill(m0, a, m1, a + t - 1, WHITE);
        ic.fill(m0, b - t + 1, m1, b, WHITE);
        ic.fill(a, m0, a + t - 1, m1, WHITE);
        ic.fill(b - t + 1, m0, b, m1, WHITE);
        ic.fill(c0, a, c1, a + depth - 1, WHITE);
        ic.fill(c0, b - depth + 1, c1, b, WHITE);
        ic.fill(a, c0, a + depth - 1, c1, WHITE);
        ic.fill(b - depth + 1, c0, b, c1, WHITE);
    };
    switch (kind) {
        case 0: triangles(); break;
        case 1: ticks(); break;
        case 2:
            triangles();
            ticks();
            break;
        case 3: ring(); break;
        case 4:
            ring();
            ic.rect(in, in, b - (in - a), b - (in - a), WHITE);
            break;
        case 5:
            for (int i = a; i <= b; ++i)
                if (((i - a) / (s == 32 ? 3 : 2)) % 2 == 0) {
                    ic.fill(i, a, i, a + t - 1, WHITE);
                    ic.fill(i, b - t + 1, i, b, WHITE);
                    ic.fill(a, i, a + t - 1, i, WHITE);
                    ic.fill(b - t + 1, i, b, i, WHITE);
                }
            break;
        default:
            ring();
            for (int i = in; i <= b - (in - a); i += 2) {
                ic.set(i, in, WHITE);
                ic.set(i, b - (in - a), WHITE);
                ic.set(in, i, WHITE);
                ic.set(b - (in - a), i, WHITE);
            }
            break;
    }
    ic.outline(BLACK);
    // The rim stays inside the cell.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (x >= s || y >= s) ic.set(x, y, KEY);
    return ic;
}

Image make_icons(bool marked) {
    Image img(512, 64, KEY);
    for (int n = 0; n < 16; ++n) img.blit(icon(n, marked), n * 32, 0);
    for (int kind = 0; kind <= 6; ++kind) {
        img.blit(frame_mark(kind, 32), (2 * kind) * 32, 32);
        img.blit(frame_mark(kind, 16), (2 * kind + 1) * 32, 32);
    }
    return img;
}

}  // namespace

void gen_ui(const Kit& kit) {
    write_file(kit.bmp("Presents.bmp"), bmp_encode(make_presents(kit.font, kit.marked)));
    write_file(kit.bmp("winchip.BMP"), bmp_encode(make_winchip()));
    write_file(kit.bmp("mcsrfont.BMP"), bmp_encode(make_cursors(kit.marked)));
    // Stored compressed, as the game reads some pictures through the LZ
    // expansion. The unused colour-table entries hold a grey ramp, so the
    // file also has runs of spaces that match the compressor's initial ring.
    write_file(kit.bmp("iconchip.BMP"), szdd_compress(bmp_encode(make_icons(kit.marked), true), 'P'));
}

}  // namespace kit
