// Battle sprites: a parts sheet (640 wide, 16 x 16 parts,
// part p at column p mod 40, row p / 40) and its sprite file (.SPZ: a 32-byte
// header, u16 frame offsets, frames of {n, hw, hh, n x 3 part bytes}).
//
// A frame here is 4 x 12 cells (hw 2, hh 6) centred on the actor's position;
// its figure stands on the centre line (the actor's y is its foot line),
// so every part lies in the upper six cell rows. Each frame is
// drawn whole, cut into 16 x 16 parts and the parts shared: a part that
// equals an earlier one mirrored left to right or top to bottom is drawn
// from it with the part's mirror bits (a symmetric figure's right half, the
// upside-down "downed" frame). A numbered badge part names every frame.
// Part 0 is a red cross: what the composer draws for a part number past the
// sheet.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "tools/kit.h"

namespace kit {

namespace {

constexpr int FW = 64, FH = 96, HW = 2, HH = 6;
constexpr double PI = 3.14159265358979323846;

// Continuous-coordinate shapes (pixel centres tested), so that a figure built
// from points mirrored about x = 32 is exactly symmetric in pixels.
void fdisc(Image& img, double cx, double cy, double r, uint8_t c) {
    for (int y = static_cast<int>(cy - r - 1); y <= static_cast<int>(cy + r + 1); ++y)
        for (int x = static_cast<int>(cx - r - 1); x <= static_cast<int>(cx + r + 1); ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= r * r) img.set(x, y, c);
        }
}

void capsule(Image& img, double x0, double y0, double x1, double y1, double r, uint8_t c) {
    double vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
    for (int y = static_cast<int>(std::min(y0, y1) - r - 1); y <= static_cast<int>(std::max(y0, y1) + r + 1); ++y)
        for (int x = static_cast<int>(std::min(x0, x1) - r - 1); x <= static_cast<int>(std::max(x0, x1) + r + 1); ++x) {
            double px = x + 0.5 - x0, py = y + 0.5 - y0;
            double t = len2 > 0 ? std::clamp((px * vx + py * vy) / len2, 0.0, 1.0) : 0.0;
            double dx = px - t * vx, dy = py - t * vy;
            if (dx * dx + dy * dy <= r * r) img.set(x, y, c);
        }
}

struct Pose {
    double arm_l, arm_r;  // degrees from straight down, outward positive
    double leg_l, leg_r;
    double lift;          // pixels up
    bool staff;
};

// A little figure: legs, dress, arms, head with hair and crown.
Image draw_figure(const Pose& p, uint8_t main, uint8_t second) {
    Image img(FW, FH, KEY);
    const double F = 96 - p.lift, cx = 32;
    auto limb_end = [](double x, double y, double len, double deg, int side) {
        double a = deg * PI / 180.0;
        return std::pair<double, double>{x + side * len * std::sin(a), y + len * std::cos(a)};
    };
    for (int side : {-1, 1}) {  // legs
        double hx = cx + side * 4, hy = F - 20;
        auto [fx, fy] = limb_end(hx, hy, 17, side < 0 ? p.leg_l : p.leg_r, side);
        capsule(img, hx, hy, fx, fy, 2.2, DGREY);
        capsule(img, fx, fy - 0.5, fx + side * 2.5, fy - 0.5, 1.8, BROWN);
    }
    img.polygon({{cx - 7, F - 46}, {cx + 7, F - 46}, {cx + 13, F - 18}, {cx - 13, F - 18}}, main);
    img.polygon({{cx - 12.3, F - 22}, {cx + 12.3, F - 22}, {cx + 13, F - 18}, {cx - 13, F - 18}}, second);
    img.polygon({{cx - 9, F - 37}, {cx + 9, F - 37}, {cx + 9.4, F - 35}, {cx - 9.4, F - 35}}, second);
    for (int side : {-1, 1}) {  // arms
        double sx = cx + side * 8, sy = F - 44;
        double deg = side < 0 ? p.arm_l : p.arm_r;
        auto [mx, my] = limb_end(sx, sy, 8, deg, side);
        auto [hx, hy] = limb_end(sx, sy, 17, deg, side);
        capsule(img, sx, sy, hx, hy, 2.0, PEACH);
        capsule(img, sx, sy, mx, my, 3.0, main);
        if (p.staff && side > 0) {
            auto [tx, ty] = limb_end(hx, hy, 14, deg + 25, side);
            auto [bx, by] = limb_end(hx, hy, -10, deg + 25, side);
            capsule(img, bx, by, tx, ty, 1.3, BROWN);
            fdisc(img, tx, ty, 3.2, CREAM);
            fdisc(img, tx, ty, 1.5, WHITE);
        }
    }
    capsule(img, cx, F - 50, cx, F - 45, 2.5, PEACH);  // neck
    fdisc(img, cx, F - 56, 7.5, PEACH);                 // head
    for (int y = 0; y < FH; ++y)         // hair cap
        for (int x = 0; x < FW; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - (F - 57);
            if (dx * dx + dy * dy <= 8.5 * 8.5 && y + 0.5 < F - 58.5) img.set(x, y, TAN);
        }
    for (int side : {-1, 1}) capsule(img, cx + side * 7, F - 58, cx + side * 8, F - 48, 1.8, TAN);
    img.set(28, static_cast<int>(F - 56), BLACK);  // eyes, mirrored about 32
    img.set(35, static_cast<int>(F - 56), BLACK);
    img.polygon({{cx - 6, F - 61}, {cx - 6, F - 67}, {cx - 3, F - 63.5}, {cx, F - 68}, {cx + 3, F - 63.5}, {cx + 6, F - 67}, {cx + 6, F - 61}},
                ORANGE);
    fdisc(img, cx, F - 63, 1.2, CREAM);
    img.outline(BLACK);
    return img;
}

Pose fighter_pose(int f, bool staff) {
    static const Pose kPoses[24] = {
        {20, 20, 4, 4, 0, false},      {24, 24, 4, 4, 1, false},     {28, 28, 4, 4, 2, false},
        {150, 150, 10, 10, 0, false},  {170, 170, 12, 12, 3, false}, {100, 100, 30, 30, 6, false},
        {60, 60, 14, 14, 3, false},    {125, 40, 22, 0, 0, false},   {20, 20, 4, 4, 0, false},
        {30, 175, 8, 8, 0, true},      {30, 150, 8, 12, 0, true},    {30, 120, 8, 16, 0, true},
        {30, 90, 8, 20, 0, true},      {30, 60, 8, 24, 0, true},     {30, 35, 8, 24, 0, true},
        {30, 15, 8, 20, 0, true},      {135, 135, 6, 6, 2, false},   {145, 145, 6, 6, 3, false},
        {155, 155, 6, 6, 4, false},    {35, 10, 25, -10, 0, false},  {25, 20, 12, -2, 1, false},
        {15, 30, -2, 12, 1, false},    {10, 35, -10, 25, 0, false},  {20, 20, 4, 4, 2, false},
    };
    Pose p = kPoses[f % 24];
    if (staff) p.staff = true;
    return p;
}

// A burst of rays (hit sparks, sparkles).
void burst(Image& img, double cx, double cy, int rays, double len, uint8_t c1, uint8_t c2, double turn) {
    for (int i = 0; i < rays; ++i) {
        double a = turn + i * 2 * PI / rays;
        double l = (i % 2) ? len * 0.6 : len;
        capsule(img, cx, cy, cx + l * std::cos(a), cy + l * std::sin(a), 1.4, i % 2 ? c2 : c1);
    }
    fdisc(img, cx, cy, 2.5, WHITE);
}

Image draw_effect(int f) {
    Image img(FW, FH, KEY);
    switch (f) {
        case 0:
        case 1:
        case 15:
        case 16: {  // ground shadows, on the foot line
            int rx = f == 0 ? 14 : f == 1 ? 18 : f == 15 ? 11 : 21;
            img.ellipse(32, 92, rx, 3, DGREY);
            break;
        }
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 10:
        case 11: {  // water splashes of growing size
            int k = f < 8 ? f - 2 : f - 4;
            for (int i = 0; i < 7; ++i) {
                double a = PI * (0.1 + 0.8 * i / 6.0);
                double r = 8 + 3 * k;
                fdisc(img, 32 - r * std::cos(a), 92 - r * 0.9 * std::sin(a), 2.0 + (i % 2), i % 2 ? WHITE : SILVER);
            }
            img.ellipse(32, 93, 10 + 2 * k, 2, SILVER);
            break;
        }
        case 17:  // an empty frame: its badge only
            break;
        case 18: {  // a dust puff
            fdisc(img, 26, 86, 6, SILVER);
            fdisc(img, 38, 86, 6, SILVER);
            fdisc(img, 32, 80, 7, TAUPE);
            break;
        }
        default: {  // sparks
            static const uint8_t c1[] = {CREAM, ORANGE, WHITE, LIME, PEACH, RED};
            static const uint8_t c2[] = {ORANGE, RED, SILVER, OLIVE, TAN, CREAM};
            burst(img, 32, 60, 6 + 2 * (f % 3), 10 + (f % 5) * 3, c1[f % 6], c2[f % 6], f * 0.37);
            break;
        }
    }
    img.outline(BLACK);
    return img;
}

Image draw_sparkle(int f) {
    Image img(FW, FH, KEY);
    burst(img, 32, 56, 8, 9 + 4 * (f - 16), CREAM, LIME, f * 0.4);
    fdisc(img, 32, 56, 4, WHITE);
    img.outline(BLACK);
    return img;
}

// The frame's badge: its number on a colour of its own.
Image badge(const Bytes& fnt, int f) {
    static const uint8_t kBadge[] = {ORANGE, LIME, PEACH, SILVER, CREAM, TAN, WHITE, TAUPE};
    Image b(16, 16, kBadge[f % 8]);
    b.set(0, 0, KEY);
    b.set(15, 0, KEY);
    b.set(0, 15, KEY);
    b.set(15, 15, KEY);
    char num[8];
    std::snprintf(num, sizeof num, "%02d", f % 100);
    font_text(b, fnt, 0, 0, num, BLACK);
    return b;
}

struct SheetBuilder {
    std::vector<Image> parts;
    std::map<std::string, std::pair<int, int>> index;  // pixels -> (part, mirror bits 6/7)

    static std::string key(const Bytes& px) { return std::string(px.begin(), px.end()); }

    // Returns the part number and the mirror bits (0x40 left-right, 0x80
    // top-bottom) that draw `p`.
    std::pair<int, int> add(const Image& p, bool share = true) {
        if (share) {
            auto it = index.find(key(p.px));
            if (it != index.end()) return it->second;
        }
        int n = static_cast<int>(parts.size());
        if (n >= 1024) throw std::runtime_error("a parts sheet holds at most 1024 parts");
        parts.push_back(p);
        if (share) {
            // Register the mirrored forms first, so that the plain form wins
            // where a part is its own mirror image.
            Image mx = p.mirrored_x(), my = p.mirrored_y(), mxy = mx.mirrored_y();
            index.emplace(key(mxy.px), std::pair<int, int>{n, 0xC0});
            index[key(my.px)] = {n, 0x80};
            index[key(mx.px)] = {n, 0x40};
            index[key(p.px)] = {n, 0};
        }
        return {n, 0};
    }
};

}  // namespace

void make_sprite_set(const Kit& kit, const std::string& name, SpriteKind kind, int frames, uint8_t main_colour,
                     uint8_t second_colour) {
    SheetBuilder sb;
    Image missing(16, 16, KEY);
    missing.rect(0, 0, 15, 15, RED);
    missing.line(0, 0, 15, 15, RED);
    missing.line(15, 0, 0, 15, RED);
    sb.add(missing, false);

    std::vector<Bytes> frame_data;
    for (int f = 0; f < frames; ++f) {
        Image img;
        if (kind == SpriteKind::Effects)
            img = draw_effect(f);
        else if (kind == SpriteKind::Move && f >= 16 && f <= 18)
            img = draw_sparkle(f);
        else if (f == 8 && kind == SpriteKind::Fighter)
            img = draw_figure(fighter_pose(0, false), main_colour, second_colour).mirrored_y();  // downed
        else
            img = draw_figure(fighter_pose(f, kind == SpriteKind::Move), main_colour, second_colour);
        Bytes fr = {0, HW, HH};
        int n = 0;
        auto put_part = [&](int cx, int cy, std::pair<int, int> pm) {
            fr.push_back(static_cast<uint8_t>((cx & 63) | pm.second));
            fr.push_back(static_cast<uint8_t>(((cy & 63) << 2) | ((pm.first >> 8) & 3)));
            fr.push_back(static_cast<uint8_t>(pm.first & 0xFF));
            ++n;
        };
        for (int cy = 0; cy < FH / 16; ++cy)
            for (int cx = 0; cx < FW / 16; ++cx) {
                Image p = img.crop(cx * 16, cy * 16, 16, 16);
                bool empty = true;
                for (uint8_t c : p.px)
                    if (c != KEY) empty = false;
                if (!empty) put_part(cx, cy, sb.add(p));
            }
        put_part(0, 0, sb.add(badge(kit.font, f)));  // top left, clear of the figure
        fr[0] = static_cast<uint8_t>(n);
        frame_data.push_back(fr);
    }

    // The sheet: the parts, then a row with the sheet's name (never drawn
    // as a part).
    int rows = (static_cast<int>(sb.parts.size()) + 39) / 40;
    Image sheet(640, (rows + 1) * 16, KEY);
    for (size_t p = 0; p < sb.parts.size(); ++p) sheet.blit(sb.parts[p], static_cast<int>(p % 40) * 16, static_cast<int>(p / 40) * 16);
    sheet.fill(0, rows * 16, 16 * 8 - 1, rows * 16 + 15, BLACK);
    font_text(sheet, kit.font, 4, rows * 16, name.c_str(), WHITE);
    write_file(kit.bmp(name + ".BMP"), bmp_encode(sheet));

    Bytes spz(32, 0);
    std::string head = "SPZ " + name + " (sample kit)";
    std::memcpy(spz.data(), head.data(), std::min<size_t>(head.size(), 31));
    size_t at = 32 + 2 * frame_data.size();
    for (const Bytes& fr : frame_data) {
        if (at > 0xFFFF) throw std::runtime_error("sprite file too large: " + name);
        put16(spz, static_cast<uint32_t>(at));
        at += fr.size();
    }
    for (const Bytes& fr : frame_data) spz.insert(spz.end(), fr.begin(), fr.end());
    write_file(kit.dat(name + ".SPZ"), spz);
}

void gen_sprites(const Kit& kit) {
    // Class 0's fighter sheet and move sheet, and the common
    // effect sheet 99 (shadows, splashes, sparks).
    make_sprite_set(kit, "CHAR_00A", SpriteKind::Fighter, 24, RED, CREAM);
    make_sprite_set(kit, "CHAR_00B", SpriteKind::Move, 24, RED, CREAM);
    make_sprite_set(kit, "CHAR_99", SpriteKind::Effects, 24, WHITE, SILVER);
}

}  // namespace kit
