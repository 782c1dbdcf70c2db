// Battle sprites: parts sheets (640 wide, 16 x 16 parts, part p at column
// p mod 40, row p / 40) and their sprite files (.SPZ: a 32-byte header, u16
// frame offsets, frames of {n, hw, hh, n x 3 part bytes}).
//
// Every frame is a box six cells wide (hw 3) centred on the actor's x. Its
// top cell row is the frame's label, in the marked kit only: the code part in
// cells 0 and 5, the frame number (black on white) in cell 2 and the sheet
// number (white on the variant's colour) in cell 3. The code part is four
// 4-pixel stripes, top to bottom in the colours of the digits frame / 10,
// frame % 10, sheet / 10, sheet % 10 (digit d is palette colour d), so a
// pixel read tells which frame of which sheet was drawn, mirrored or not. The
// plain kit leaves that row empty. Below the label lies the picture:
// figures and most effects stand on the actor's y (the foot line); the hit
// sparks of sheet 99 are centred on it.
//
// Figures and effects are drawn once per look in stand-in colours and
// recoloured per class; each frame is cut into 16 x 16 parts and a part that
// equals an earlier one (also mirrored left to right or top to bottom) is
// drawn from it with the part's mirror bits. Part 0 is a red cross: what the
// composer draws for a part number past the sheet.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <unordered_map>

#include "tools/kit.h"

namespace kit {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int BOX_W = 96, HW = 3;
// Stand-in colours of the figures and effects, replaced per class.
constexpr uint8_t MAIN = 16, SECOND = 17, ACCENT = 18;

// ---- shapes ----------------------------------------------------------------------
// Continuous-coordinate shapes (pixel centres tested), so that a figure built
// from points mirrored about the canvas centre is exactly symmetric in pixels.
void fdisc(Image& img, double cx, double cy, double r, uint8_t c) {
    for (int y = static_cast<int>(cy - r - 1); y <= static_cast<int>(cy + r + 1); ++y)
        for (int x = static_cast<int>(cx - r - 1); x <= static_cast<int>(cx + r + 1); ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= r * r) img.set(x, y, c);
        }
}

void fellipse(Image& img, double cx, double cy, double rx, double ry, uint8_t c) {
    for (int y = static_cast<int>(cy - ry - 1); y <= static_cast<int>(cy + ry + 1); ++y)
        for (int x = static_cast<int>(cx - rx - 1); x <= static_cast<int>(cx + rx + 1); ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0) img.set(x, y, c);
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

// A burst of rays (hit sparks, bursts).
void burst(Image& img, double cx, double cy, int rays, double len, uint8_t c1, uint8_t c2, double turn) {
    for (int i = 0; i < rays; ++i) {
        double a = turn + i * 2 * PI / rays;
        double l = (i % 2) ? len * 0.6 : len;
        capsule(img, cx, cy, cx + l * std::cos(a), cy + l * std::sin(a), 1.4, i % 2 ? c2 : c1);
    }
    fdisc(img, cx, cy, 2.5, WHITE);
}

Image rotated_ccw(const Image& s) {
    Image r(s.h, s.w, KEY);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) r.px[(s.w - 1 - x) * r.w + y] = s.px[y * s.w + x];
    return r;
}

// Moves the figure so that its lowest pixel lies `gap` rows above the bottom
// and its middle on the canvas centre.
Image settle(const Image& s, int gap) {
    int x0 = s.w, x1 = -1, y1 = -1;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.px[y * s.w + x] != KEY) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    Image r(s.w, s.h, KEY);
    if (y1 < 0) return r;
    r.blit(s, s.w / 2 - (x0 + x1 + 1) / 2, s.h - 1 - gap - y1, KEY);
    return r;
}

// ---- figures ---------------------------------------------------------------------
// A figure is drawn on a 96 x 96 canvas standing on its bottom line, facing
// left (the side-1 fighter's way; side 0 draws it mirrored). Frames use its
// lower 80 lines.
constexpr int CANVAS = 96;

enum class Plan : uint8_t { Human, Beast, Blob };
enum class Prop : uint8_t { None, Staff, Sword };

// clang-format off
enum class Look : uint8_t {
    Stand, Breathe, Hit, Knocked, Airborne, Landed, Kneel, Downed,
    Walk0, Walk1, Walk2, Ready, Strike1, Strike2, Strike3, Cast, Cast2, Leap, Sing1, Sing2,
};
// clang-format on

struct Pose {
    double arm_l, arm_r;  // degrees from straight down, outward positive (left = forward)
    double leg_l, leg_r;
    double lift;  // pixels up (negative: crouched)
};

Pose human_pose(Look k) {
    switch (k) {
        case Look::Breathe: return {24, 24, 4, 4, 1};
        case Look::Hit: return {35, 55, -8, 12, 0};
        case Look::Knocked: return {150, 150, 14, 14, 2};
        case Look::Landed: return {70, 70, 50, 50, -10};
        case Look::Kneel: return {40, 40, 45, 45, -8};
        case Look::Walk0: return {35, 10, 25, -10, 0};
        case Look::Walk1: return {20, 20, 4, 4, 1};
        case Look::Walk2: return {10, 35, -10, 25, 0};
        case Look::Ready: return {70, 30, 15, 5, 0};
        case Look::Strike1: return {125, 20, 20, -5, 0};
        case Look::Strike2: return {90, 20, 28, -10, 0};
        case Look::Strike3: return {50, 25, 32, -14, 0};
        case Look::Cast: return {150, 150, 8, 8, 0};
        case Look::Cast2: return {170, 170, 6, 6, 3};
        case Look::Leap: return {130, 130, 40, 40, 8};
        case Look::Sing1: return {120, 60, 4, 4, 2};
        case Look::Sing2: return {60, 120, 4, 4, 2};
        default: return {20, 20, 4, 4, 0};
    }
}

// A little person: legs, robe, arms, head with hair.
Image draw_human(Look k, Prop prop) {
    const Pose p = human_pose(k);
    Image img(CANVAS, CANVAS, KEY);
    // F: the ground under the figure; B: the base of its body, lower than F
    // when it crouches (its legs then splay to reach the ground).
    const double F = CANVAS - std::max(p.lift, 0.0), B = F + std::max(-p.lift, 0.0), cx = CANVAS / 2.0;
    auto limb_end = [](double x, double y, double len, double deg, int side) {
        double a = deg * PI / 180.0;
        return std::pair<double, double>{x + side * len * std::sin(a), y + len * std::cos(a)};
    };
    for (int side : {-1, 1}) {  // legs
        double hx = cx + side * 4, hy = B - 20;
        auto [fx, fy] = limb_end(hx, hy, 17, side < 0 ? p.leg_l : p.leg_r, side);
        fy = std::min(fy, CANVAS - 2.0);
        capsule(img, hx, hy, fx, fy, 2.2, DGREY);
        capsule(img, fx, fy - 0.5, fx + side * 2.5, fy - 0.5, 1.8, BROWN);
    }
    img.polygon({{cx - 7, B - 46}, {cx + 7, B - 46}, {cx + 13, B - 18}, {cx - 13, B - 18}}, MAIN);
    img.polygon({{cx - 12.3, B - 22}, {cx + 12.3, B - 22}, {cx + 13, B - 18}, {cx - 13, B - 18}}, SECOND);
    img.polygon({{cx - 9, B - 37}, {cx + 9, B - 37}, {cx + 9.4, B - 35}, {cx - 9.4, B - 35}}, SECOND);
    for (int side : {-1, 1}) {  // arms
        double sx = cx + side * 8, sy = B - 44;
        double deg = side < 0 ? p.arm_l : p.arm_r;
        auto [mx, my] = limb_end(sx, sy, 8, deg, side);
        auto [hx, hy] = limb_end(sx, sy, 17, deg, side);
        if (side < 0 && prop == Prop::Sword) {
            auto [tx, ty] = limb_end(hx, hy, 20, deg + 30, side);
            capsule(img, hx, hy, tx, ty, 1.5, SILVER);
            capsule(img, hx, hy, hx + (tx - hx) * 0.15, hy + (ty - hy) * 0.15, 2.0, BROWN);
        }
        capsule(img, sx, sy, hx, hy, 2.0, PEACH);
        capsule(img, sx, sy, mx, my, 3.0, MAIN);
        if (side < 0 && prop == Prop::Staff) {
            auto [tx, ty] = limb_end(hx, hy, 14, deg + 25, side);
            auto [bx, by] = limb_end(hx, hy, -10, deg + 25, side);
            capsule(img, bx, by, tx, ty, 1.3, BROWN);
            fdisc(img, tx, ty, 3.2, ACCENT);
            fdisc(img, tx, ty, 1.5, WHITE);
        }
    }
    capsule(img, cx, B - 50, cx, B - 45, 2.5, PEACH);  // neck
    fdisc(img, cx, B - 56, 7.5, PEACH);                // head
    for (int y = 0; y < CANVAS; ++y)                   // hair cap
        for (int x = 0; x < CANVAS; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - (B - 57);
            if (dx * dx + dy * dy <= 8.5 * 8.5 && y + 0.5 < B - 58.5) img.set(x, y, ACCENT);
        }
    for (int side : {-1, 1}) capsule(img, cx + side * 7, B - 58, cx + side * 8, B - 48, 1.8, ACCENT);
    img.set(static_cast<int>(cx) - 4, static_cast<int>(B - 56), BLACK);  // eyes, mirrored about the centre
    img.set(static_cast<int>(cx) + 3, static_cast<int>(B - 56), BLACK);
    img.polygon({{cx - 5, B - 62},
                 {cx - 5, B - 66},
                 {cx - 2.5, B - 63.5},
                 {cx, B - 67},
                 {cx + 2.5, B - 63.5},
                 {cx + 5, B - 66},
                 {cx + 5, B - 62}},
                SECOND);
    return img;
}

// A four-legged beast facing left: body, neck and head, tail, legs.
Image draw_beast(Look k) {
    Image img(CANVAS, CANVAS, KEY);
    double phase = 0, rear = 0, lift = 0, crouch = 0, head = 0;
    // clang-format off
    switch (k) {
        case Look::Breathe: lift = 1; break;
        case Look::Hit: rear = -10; head = 6; break;
        case Look::Knocked: rear = 20; head = -8; break;
        case Look::Landed:
        case Look::Kneel: crouch = 8; head = 6; break;
        case Look::Walk0: phase = 1; break;
        case Look::Walk1: lift = 1; break;
        case Look::Walk2: phase = -1; break;
        case Look::Ready: crouch = 4; head = 4; break;
        case Look::Strike1: rear = 24; break;
        case Look::Strike2: rear = 12; phase = 1; break;
        case Look::Strike3: rear = -8; head = 8; phase = -1; break;
        case Look::Cast:
        case Look::Sing1: head = -10; lift = 2; break;
        case Look::Cast2:
        case Look::Sing2: head = -12; lift = 4; break;
        case Look::Leap: lift = 12; phase = 2; break;
        default: break;
    }
    // clang-format on
    const double cx = CANVAS / 2.0, ground = CANVAS - lift;
    const double by = ground - 30 + crouch;  // body centre
    const double tilt = rear * PI / 180.0;   // front end up when rearing
    // A body-relative point; rearing lifts the front (its left) end.
    auto at = [&](double dx, double dy) {
        return std::pair<double, double>{cx + dx * std::cos(tilt), by + dy + dx * std::sin(tilt)};
    };
    for (int leg = 0; leg < 4; ++leg) {  // far legs first
        double lx = (leg < 2 ? -16 : 16) + (leg % 2 ? 4 : 0);
        auto [hx, hy] = at(lx, 6);
        double swing = (leg % 2 ? -1 : 1) * phase * 8 + (leg >= 2 ? 0 : rear * 0.3);
        double fy = std::min(ground - 1.0, hy + 24 - crouch);
        capsule(img, hx, hy, hx + swing, fy, 2.6, leg % 2 ? SECOND : MAIN);
        capsule(img, hx + swing - 1.5, fy, hx + swing + 1.5, fy, 2.0, BLACK);
    }
    {
        auto [tx, ty] = at(26, -4);
        capsule(img, tx, ty, tx + 12, ty - 12 + phase * 3, 2.2, ACCENT);  // tail
    }
    fellipse(img, cx, by, 22, 11, MAIN);  // body (tilt shows through the legs and neck)
    fellipse(img, cx + 2, by + 5, 16, 4, SECOND);
    auto [nx, ny] = at(-18, -6);
    double hx = nx - 9, hy = ny - 14 + head;
    capsule(img, nx, ny, hx + 2, hy + 2, 5.0, MAIN);             // neck
    fellipse(img, hx, hy, 9, 7, MAIN);                           // head
    fellipse(img, hx - 8, hy + 3, 5, 3.5, SECOND);               // muzzle
    capsule(img, hx + 3, hy - 6, hx + 6, hy - 12, 1.6, ACCENT);  // ear or horn
    img.set(static_cast<int>(hx - 3), static_cast<int>(hy - 2), BLACK);
    return img;
}

// A round creature (elementals, slimes, spirits): body, belly, eyes.
Image draw_blob(Look k) {
    Image img(CANVAS, CANVAS, KEY);
    double squash = 1.0, lift = 0, arms = 0, lean = 0;
    // clang-format off
    switch (k) {
        case Look::Breathe: squash = 0.94; break;
        case Look::Hit: lean = 5; squash = 1.05; break;
        case Look::Knocked: lean = 9; squash = 1.15; lift = 4; break;
        case Look::Landed:
        case Look::Kneel: squash = 0.7; break;
        case Look::Walk0: squash = 0.92; lean = -3; break;
        case Look::Walk1: squash = 1.04; break;
        case Look::Walk2: squash = 0.92; lean = 3; break;
        case Look::Ready: squash = 0.88; arms = 1; break;
        case Look::Strike1: lean = -6; arms = 2; break;
        case Look::Strike2: lean = -9; arms = 3; break;
        case Look::Strike3: lean = -4; arms = 2; squash = 0.9; break;
        case Look::Cast:
        case Look::Sing1: squash = 1.1; arms = 4; break;
        case Look::Cast2:
        case Look::Sing2: squash = 1.16; arms = 4; lift = 3; break;
        case Look::Leap: lift = 12; squash = 1.1; break;
        default: break;
    }
    // clang-format on
    const double cx = CANVAS / 2.0 + lean, ry = 24 * squash, rx = 24 / std::sqrt(squash);
    const double cy = CANVAS - lift - ry;
    if (arms > 0)  // stubby arms, raised higher with `arms`
        for (int side : {-1, 1})
            capsule(img, cx + side * rx * 0.7, cy, cx + side * (rx + 8), cy - 5 * arms + 6, 3.2, SECOND);
    fellipse(img, cx, cy, rx, ry, MAIN);
    fellipse(img, cx, cy + ry * 0.35, rx * 0.6, ry * 0.45, SECOND);
    for (int side : {-1, 1}) {
        fdisc(img, cx + side * 7 - 3, cy - ry * 0.35, 3.5, WHITE);
        fdisc(img, cx + side * 7 - 4.5, cy - ry * 0.35, 1.6, BLACK);
    }
    capsule(img, cx - 6, cy - ry - 2, cx - 2, cy - ry + 4, 2.0, ACCENT);  // a tuft
    return img;
}

// The look drawn and outlined, once per (plan, look, prop).
const Image& figure(Plan plan, Look look, Prop prop) {
    static std::map<int, Image> cache;
    const int key = (static_cast<int>(plan) * 32 + static_cast<int>(look)) * 4 + static_cast<int>(prop);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    Image img;
    if (look == Look::Downed || look == Look::Airborne) {
        Image base = plan == Plan::Human   ? draw_human(look == Look::Downed ? Look::Stand : Look::Knocked, prop)
                     : plan == Plan::Beast ? draw_beast(Look::Knocked)
                                           : draw_blob(Look::Knocked);
        if (plan == Plan::Blob)
            img = look == Look::Downed ? settle(draw_blob(Look::Landed), 0) : settle(base, 20);
        else if (plan == Plan::Beast && look == Look::Downed)
            img = settle(base.mirrored_y(), 0);  // on its back, legs up
        else
            img = settle(rotated_ccw(base).mirrored_x().mirrored_y(), look == Look::Downed ? 0 : 20);  // head back
    } else {
        img = plan == Plan::Human ? draw_human(look, prop) : plan == Plan::Beast ? draw_beast(look) : draw_blob(look);
    }
    img.outline(BLACK);
    return cache.emplace(key, std::move(img)).first->second;
}

// ---- effects ---------------------------------------------------------------------
enum class Fx : uint8_t { Orb, Burst, Rock, Slash, Spear, Wave, Beast, Pillar, Ring, Sparkle, Note, Claw, Wing };

int fx_rows(Fx fx) {
    switch (fx) {
        case Fx::Burst:
        case Fx::Slash:
        case Fx::Wave:
        case Fx::Beast: return 3;
        case Fx::Claw:
        case Fx::Wing: return 4;
        case Fx::Pillar: return 5;
        default: return 2;
    }
}

// Effect picture v (the animation step) of a kind, standing on its bottom
// line, outlined, in stand-in colours.
const Image& effect(Fx fx, int v) {
    static std::map<int, Image> cache;
    v &= 3;
    const int key = static_cast<int>(fx) * 4 + v;
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    const int h = fx_rows(fx) * 16;
    Image img(BOX_W, h, KEY);
    const double cx = BOX_W / 2.0, b = h;
    switch (fx) {
        case Fx::Orb:
            capsule(img, cx, b - 16, cx + 14 + 3 * v, b - 16, 3.0 + v % 2, SECOND);  // trail (it flies left)
            fdisc(img, cx, b - 16, 7 + v % 3, MAIN);
            fdisc(img, cx, b - 16, 4, SECOND);
            fdisc(img, cx - 2, b - 18, 1.6, WHITE);
            break;
        case Fx::Burst: burst(img, cx, b - 22, 6 + 2 * (v % 2), 10 + 3 * v, MAIN, SECOND, v * 0.4); break;
        case Fx::Rock: {
            std::vector<std::pair<double, double>> pts;
            for (int i = 0; i < 7; ++i) {
                double a = v * 0.5 + i * 2 * PI / 7, r = (i % 2 ? 8.5 : 11.0);
                pts.push_back({cx + r * std::cos(a), b - 13 + r * 0.9 * std::sin(a)});
            }
            img.polygon(pts, MAIN);
            fdisc(img, cx - 2, b - 15, 3.5, SECOND);
            break;
        }
        case Fx::Slash:
            fellipse(img, cx, b - 24, 14 + 2 * v, 20, MAIN);
            fellipse(img, cx + 5, b - 24, 12 + 2 * v, 18, KEY);
            capsule(img, cx - 10 - 2 * v, b - 30, cx - 10 - 2 * v, b - 18, 1.2, WHITE);
            break;
        case Fx::Spear:
            capsule(img, cx - 14, b - 14, cx + 30, b - 14, 1.6, SECOND);
            img.polygon({{cx - 30, b - 14}, {cx - 14, b - 20}, {cx - 14, b - 8}}, MAIN);
            capsule(img, cx + 24, b - 18, cx + 30 + v, b - 10, 1.4, ACCENT);
            break;
        case Fx::Wave:
            for (int x = 0; x < BOX_W; ++x) {
                double top =
                    b - 10 - 18 * std::max(0.0, std::sin((x + 8 * v) * PI / 48.0)) - 6 * std::sin(x * PI / 96.0);
                for (int y = static_cast<int>(top); y < h; ++y) img.set(x, y, y < top + 3 ? SECOND : MAIN);
            }
            break;
        case Fx::Beast: {
            double lift = v % 2 ? 4 : 0;
            for (int leg = 0; leg < 4; ++leg) {
                double lx = cx - 9 + leg * 6, sw = (leg % 2 ? 1 : -1) * (v - 1.5) * 2;
                capsule(img, lx, b - 14 - lift, lx + sw, b - 2 - lift * 0.5, 2.0, SECOND);
            }
            fellipse(img, cx, b - 18 - lift, 13, 8, MAIN);
            fdisc(img, cx - 13, b - 24 - lift, 6, MAIN);
            capsule(img, cx - 2, b - 24 - lift, cx + 6 - 4 * (v % 2), b - 34 - lift, 2.4, ACCENT);  // a wing or a crest
            img.set(static_cast<int>(cx - 16), static_cast<int>(b - 26 - lift), WHITE);
            break;
        }
        case Fx::Pillar:
            for (int y = 0; y < h; ++y) {
                double half = 9 + 3 * std::sin((y + 10 * v) * PI / 12.0) + (h - y) * 0.05;
                for (int x = static_cast<int>(cx - half); x < cx + half; ++x)
                    img.set(x, y, std::abs(x + 0.5 - cx) < half * 0.45 ? SECOND : MAIN);
            }
            break;
        case Fx::Ring:
            fellipse(img, cx, b - 8, 20 + 4 * v, 6, MAIN);
            fellipse(img, cx, b - 8, 15 + 4 * v, 3.5, KEY);
            for (int i = 0; i < 4; ++i) fdisc(img, cx - 18 - 4 * v + i * (12 + 8 * v / 3.0), b - 8, 1.6, ACCENT);
            capsule(img, cx, b - 8, cx, b - 28 + v * 3, 1.2, SECOND);
            break;
        case Fx::Sparkle: {
            double a = v * PI / 8, r = 10 + 2 * (v % 2);
            for (int i = 0; i < 4; ++i)
                capsule(img, cx, b - 16, cx + r * std::cos(a + i * PI / 2), b - 16 + r * std::sin(a + i * PI / 2), 1.6,
                        SECOND);
            fdisc(img, cx, b - 16, 3.5, MAIN);
            fdisc(img, cx, b - 16, 1.5, WHITE);
            break;
        }
        case Fx::Note:
            fellipse(img, cx - 3, b - 8, 5, 3.5, MAIN);
            capsule(img, cx + 1.5, b - 9, cx + 1.5, b - 28, 1.2, MAIN);
            capsule(img, cx + 1.5, b - 28, cx + 8, b - 22 + v, 1.5, SECOND);
            break;
        case Fx::Claw:
            capsule(img, cx + 16, b - 50, cx - 6, b - 14 + 2 * v, 6.0, MAIN);
            for (int i = -1; i <= 1; ++i)
                capsule(img, cx - 6, b - 14 + 2 * v, cx - 16, b - 8 + 6 * i + 2 * v, 1.8, ACCENT);
            fdisc(img, cx + 16, b - 50, 8, SECOND);
            break;
        case Fx::Wing:
            img.polygon({{cx + 8, b - 40},
                         {cx - 26, b - 60 + 6 * v},
                         {cx - 20, b - 30 + 4 * v},
                         {cx - 30, b - 20 + 4 * v},
                         {cx + 4, b - 20}},
                        MAIN);
            for (int i = 0; i < 3; ++i)
                capsule(img, cx + 6, b - 36, cx - 22 - i * 3, b - 54 + 12 * i + 5 * v, 1.0, SECOND);
            break;
    }
    img.outline(BLACK);
    return cache.emplace(key, std::move(img)).first->second;
}

// ---- classes and sheets ------------------------------------------------------------------
struct ClassLook {
    Plan plan;
    uint8_t main, second, accent;
    Prop prop;
    bool floats;        // drawn hovering above its foot line
    int8_t fall, down;  // first frame of the fall, the downed frame
};

// Per class id: body plan, colours and the frames its reactions use.
const ClassLook CLASS_LOOKS[49] = {
    {Plan::Human, RED, CREAM, TAN, Prop::None, false, 2, 6},        // 0
    {Plan::Human, WHITE, BLUE, TAN, Prop::Sword, false, 2, 6},      // 1
    {Plan::Human, BLUE, CREAM, TAN, Prop::Sword, false, 2, 6},      // 2
    {Plan::Human, NAVY, ORANGE, BROWN, Prop::Sword, false, 2, 6},   // 3
    {Plan::Human, LIME, WHITE, ORANGE, Prop::None, true, 4, 8},     // 4
    {Plan::Human, SILVER, RED, CREAM, Prop::Sword, true, 4, 8},     // 5
    {Plan::Human, BROWN, SILVER, TAN, Prop::Sword, false, 2, 6},    // 6
    {Plan::Human, TAUPE, RED, BLACK, Prop::Sword, false, 2, 6},     // 7
    {Plan::Human, OLIVE, CREAM, TAN, Prop::Sword, false, 2, 6},     // 8
    {Plan::Human, ORANGE, NAVY, BROWN, Prop::Sword, false, 2, 6},   // 9
    {Plan::Human, TAN, LIME, BROWN, Prop::Staff, false, 2, 6},      // 10
    {Plan::Human, WHITE, ORANGE, TAN, Prop::Staff, false, 2, 6},    // 11
    {Plan::Beast, WHITE, SILVER, TAN, Prop::None, false, 2, 6},     // 12
    {Plan::Human, NAVY, CREAM, SILVER, Prop::Staff, false, 2, 6},   // 13
    {Plan::Human, LIME, WHITE, CREAM, Prop::Staff, false, 2, 6},    // 14
    {Plan::Blob, BROWN, TAN, ORANGE, Prop::None, true, 2, 5},       // 15
    {Plan::Blob, SILVER, WHITE, BLUE, Prop::None, true, 2, 5},      // 16
    {Plan::Blob, RED, ORANGE, CREAM, Prop::None, true, 2, 5},       // 17
    {Plan::Blob, BLUE, SILVER, WHITE, Prop::None, true, 2, 5},      // 18
    {Plan::Human, DGREY, RED, BLACK, Prop::Sword, false, 2, 5},     // 19
    {Plan::Human, TAUPE, NAVY, LIME, Prop::Staff, true, 2, 5},      // 20
    {Plan::Human, NAVY, RED, TAUPE, Prop::Staff, false, 2, 5},      // 21
    {Plan::Human, ORANGE, BROWN, TAN, Prop::None, false, 2, 5},     // 22
    {Plan::Beast, RED, OLIVE, ORANGE, Prop::None, true, 2, 5},      // 23
    {Plan::Beast, ORANGE, BROWN, RED, Prop::None, false, 2, 5},     // 24
    {Plan::Human, SILVER, BLUE, TAN, Prop::Sword, false, 2, 5},     // 25
    {Plan::Human, OLIVE, ORANGE, BROWN, Prop::Sword, false, 2, 5},  // 26
    {Plan::Human, DGREY, NAVY, RED, Prop::Sword, false, 2, 5},      // 27
    {Plan::Human, NAVY, RED, SILVER, Prop::Staff, false, 2, 6},     // 28
    {Plan::Human, RED, BLACK, ORANGE, Prop::None, true, 3, 6},      // 29
    {Plan::Beast, DGREY, RED, ORANGE, Prop::None, false, 2, 5},     // 30
    {Plan::Human, NAVY, RED, WHITE, Prop::None, true, 2, 5},        // 31
    {Plan::Blob, LIME, OLIVE, WHITE, Prop::None, false, 2, 5},      // 32
    {Plan::Blob, WHITE, SILVER, BLUE, Prop::None, true, 4, 7},      // 33
    {Plan::Human, BROWN, OLIVE, TAN, Prop::Sword, false, 2, 5},     // 34
    {Plan::Human, OLIVE, BROWN, TAN, Prop::Sword, false, 2, 5},     // 35
    {Plan::Beast, TAUPE, DGREY, RED, Prop::None, false, 2, 5},      // 36
    {Plan::Human, TAN, BROWN, RED, Prop::Sword, false, 2, 4},       // 37
    {Plan::Beast, CREAM, TAN, ORANGE, Prop::None, false, 2, 5},     // 38
    {Plan::Human, DGREY, SILVER, RED, Prop::Sword, false, 2, 5},    // 39
    {Plan::Human, CREAM, TAN, BROWN, Prop::None, false, 2, 5},      // 40
    {Plan::Human, BROWN, RED, CREAM, Prop::Sword, false, 2, 5},     // 41
    {Plan::Beast, LIME, OLIVE, RED, Prop::None, true, 5, 7},        // 42
    {Plan::Blob, NAVY, LIME, RED, Prop::None, false, 2, 5},         // 43
    {Plan::Human, OLIVE, TAUPE, LIME, Prop::None, false, 2, 5},     // 44
    {Plan::Human, WHITE, SILVER, DGREY, Prop::Sword, false, 2, 5},  // 45
    {Plan::Blob, DGREY, RED, ORANGE, Prop::None, false, 2, 2},      // 46: body, then its two parts
    {Plan::Human, NAVY, RED, WHITE, Prop::None, false, 2, 2},       // 47: stands only, then its move
    {Plan::Human, DGREY, RED, ORANGE, Prop::None, false, 3, 4},     // 48
};

}  // namespace

FigureLook figure_look(int cls) {
    if (cls < 0 || cls >= 49) {  // the people of the story scenes
        static const uint8_t CLOTH[6] = {BROWN, OLIVE, NAVY, TAUPE, RED, BLUE};
        static const uint8_t HAIR[4] = {BLACK, BROWN, TAN, DGREY};
        const int n = cls < 0 ? 0 : cls;
        return {Body::Person, CLOTH[n % 6], CREAM, HAIR[n / 6 % 4], false, false};
    }
    const ClassLook& c = CLASS_LOOKS[cls];
    const Body body = c.plan == Plan::Human ? Body::Person : c.plan == Plan::Beast ? Body::Beast : Body::Round;
    return {body, c.main, c.second, c.accent, c.prop == Prop::Staff, c.prop == Prop::Sword};
}

namespace {

// What a frame shows: a figure look or an effect (its step within its run).
struct FrameLook {
    bool is_fx = false;
    Look look = Look::Stand;
    Fx fx = Fx::Orb;
    int step = 0;
};

FrameLook fig(Look k) { return FrameLook{false, k, Fx::Orb, 0}; }
FrameLook fx_at(Fx fx, int step) { return FrameLook{true, Look::Stand, fx, step & 3}; }

// One number per distinct look, so that frames of one look share a cut.
int look_key(const FrameLook& l) {
    return l.is_fx ? 1000 + static_cast<int>(l.fx) * 4 + l.step : static_cast<int>(l.look);
}
FrameLook key_look(int k) {
    return k >= 1000 ? fx_at(static_cast<Fx>((k - 1000) / 4), (k - 1000) % 4) : fig(static_cast<Look>(k));
}

struct FxRange {
    int first, last;
    Fx fx;
};

// A sheet the class scripts load: sheet number, letter, the highest frame
// its moves use and the frames that are effects (the others are the
// mover's poses: 0 to 2 walk, then strikes and casts).
struct MoveSheet {
    int sheet;
    char letter;
    int highest;
    std::vector<FxRange> fx;
};

const std::vector<MoveSheet>& move_sheets() {
    // clang-format off
    static const std::vector<MoveSheet> t = {
        {0, 'B', 18, {{16, 18, Fx::Sparkle}}},
        {1, 'B', 23, {{19, 20, Fx::Orb}, {21, 23, Fx::Sparkle}}},
        {2, 'B', 8, {}},
        {3, 'B', 20, {{17, 20, Fx::Wave}}},
        {4, 'B', 9, {}},
        {5, 'B', 12, {{9, 9, Fx::Spear}, {10, 12, Fx::Burst}}},
        {6, 'B', 7, {}},
        {7, 'B', 23, {{19, 23, Fx::Slash}}},
        {8, 'B', 12, {}},
        {9, 'B', 21, {{17, 21, Fx::Slash}}},
        {10, 'B', 24, {{10, 11, Fx::Sparkle}, {12, 21, Fx::Beast}, {22, 24, Fx::Burst}}},
        {11, 'B', 31,
         {{8, 9, Fx::Sparkle}, {10, 12, Fx::Rock}, {13, 15, Fx::Burst}, {16, 19, Fx::Orb}, {20, 25, Fx::Sparkle},
          {26, 29, Fx::Burst}, {30, 31, Fx::Orb}}},
        {12, 'B', 12, {}},
        {13, 'B', 29, {{7, 12, Fx::Rock}, {13, 15, Fx::Beast}, {16, 21, Fx::Pillar}, {22, 26, Fx::Burst}, {27, 29, Fx::Orb}}},
        {14, 'B', 45, {{4, 17, Fx::Ring}, {18, 24, Fx::Beast}, {25, 43, Fx::Pillar}, {44, 45, Fx::Burst}}},
        {14, 'C', 19, {{4, 7, Fx::Ring}, {8, 8, Fx::Rock}, {9, 15, Fx::Burst}, {16, 19, Fx::Beast}}},
        {15, 'B', 21, {{4, 10, Fx::Orb}, {11, 12, Fx::Rock}, {13, 21, Fx::Wave}}},
        {16, 'B', 12, {{4, 12, Fx::Orb}}},
        {17, 'B', 15, {{5, 11, Fx::Orb}, {12, 15, Fx::Pillar}}},
        {18, 'B', 17, {{2, 4, Fx::Orb}, {5, 7, Fx::Burst}, {8, 10, Fx::Pillar}, {11, 17, Fx::Burst}}},
        {19, 'B', 10, {}},
        {19, 'C', 15, {{15, 15, Fx::Wave}}},
        {20, 'B', 12, {{4, 12, Fx::Beast}}},
        {21, 'B', 23, {{4, 12, Fx::Slash}, {13, 23, Fx::Beast}}},
        {22, 'B', 10, {{5, 7, Fx::Burst}, {9, 10, Fx::Sparkle}}},
        {23, 'B', 12, {{11, 12, Fx::Pillar}}},
        {24, 'B', 13, {{11, 11, Fx::Spear}, {12, 13, Fx::Beast}}},
        {25, 'B', 9, {}},
        {26, 'B', 20, {{3, 9, Fx::Burst}, {10, 20, Fx::Orb}}},
        {27, 'B', 8, {{8, 8, Fx::Wave}}},
        {28, 'B', 40, {{3, 25, Fx::Ring}, {26, 29, Fx::Rock}, {30, 37, Fx::Beast}, {38, 40, Fx::Pillar}}},
        {29, 'B', 11, {{8, 11, Fx::Orb}}},
        {30, 'B', 19, {{15, 19, Fx::Beast}}},
        {31, 'B', 10, {{9, 10, Fx::Beast}}},
        {32, 'B', 13, {}},
        {33, 'B', 12, {{5, 12, Fx::Orb}}},
        {34, 'B', 7, {}},
        {35, 'B', 11, {}},
        {36, 'B', 8, {}},
        {37, 'B', 10, {{7, 10, Fx::Spear}}},
        {38, 'B', 11, {{8, 9, Fx::Rock}}},
        {39, 'B', 16, {{9, 16, Fx::Orb}}},
        // The coffin's lid counts up while its hand reaches for the opponent.
        {40, 'B', 40, {{12, 13, Fx::Claw}, {14, 14, Fx::Ring}, {15, 40, Fx::Pillar}}},
        {41, 'B', 4, {}},
        {42, 'B', 9, {{7, 9, Fx::Orb}}},
        // The tentacle counts up while its tip reaches for the opponent.
        {43, 'B', 31, {{3, 9, Fx::Beast}, {13, 22, Fx::Claw}, {26, 27, Fx::Spear}}},
        {44, 'B', 11, {}},
        {45, 'B', 28, {{13, 28, Fx::Rock}}},
        {46, 'B', 13, {{5, 13, Fx::Orb}}},
        {46, 'C', 16, {{0, 7, Fx::Wing}, {8, 9, Fx::Orb}, {10, 15, Fx::Burst}, {16, 16, Fx::Claw}}},
        {46, 'D', 21, {{0, 10, Fx::Ring}, {11, 21, Fx::Wave}}},
        {48, 'B', 26, {{15, 26, Fx::Wave}}},
        {48, 'C', 6, {}},
    };
    // clang-format on
    return t;
}

// Frames of a sheet: room past the highest frame used, in steps of 16.
int frame_count(int highest) { return std::max(16, (highest + 5 + 15) / 16 * 16); }

FrameLook fighter_look(int cls, int f) {
    const ClassLook& c = CLASS_LOOKS[cls];
    if (cls == 46) {  // the body, then its two parts
        static const FrameLook k46[8] = {fig(Look::Stand),   fig(Look::Hit),     fig(Look::Knocked),
                                         fx_at(Fx::Claw, 0), fx_at(Fx::Claw, 1), fx_at(Fx::Claw, 2),
                                         fx_at(Fx::Wing, 0), fx_at(Fx::Wing, 1)};
        return f < 8 ? k46[f] : fig(Look::Stand);
    }
    if (cls == 47) {  // the transformation plays on its own sheet
        if (f == 0 || f == 38) return fig(f ? Look::Cast2 : Look::Stand);
        if (f <= 7) return fx_at(Fx::Ring, f);
        if (f >= 32 && f <= 37) return fx_at(Fx::Sparkle, f);
        static const Look grow[] = {Look::Cast, Look::Cast2, Look::Kneel, Look::Landed, Look::Knocked, Look::Leap};
        return f < 32 ? fig(grow[(f - 8) / 4]) : fig(Look::Stand);
    }
    if (cls == 48) {  // its own reaction and defeat frames
        static const Look k48[5] = {Look::Stand, Look::Hit, Look::Knocked, Look::Kneel, Look::Downed};
        return fig(f < 5 ? k48[f] : Look::Stand);
    }
    if (cls == 4 || cls == 5) {  // the song
        if (f == 9) return fig(Look::Sing1);
        if (f == 10) return fig(Look::Sing2);
        if (f == 11) return fx_at(Fx::Note, 0);
    }
    if (f == c.down) return fig(Look::Downed);
    if (f > c.down) return fig(Look::Stand);
    if (f == c.fall) return fig(Look::Knocked);
    if (f == c.fall + 1) return fig(Look::Airborne);
    if (f == c.fall + 2) return fig(Look::Landed);
    if (f > c.fall) return fig(Look::Kneel);
    if (f == c.fall - 1 && f > 0) return fig(Look::Hit);
    return fig(f == 0 ? Look::Stand : Look::Breathe);
}

FrameLook move_look(const MoveSheet& s, int f) {
    for (const FxRange& r : s.fx)
        if (f >= r.first && f <= r.last) return fx_at(r.fx, f - r.first);
    static const Look walk[3] = {Look::Walk0, Look::Walk1, Look::Walk2};
    static const Look moves[8] = {Look::Ready, Look::Strike1, Look::Strike2, Look::Strike3,
                                  Look::Cast,  Look::Cast2,   Look::Leap,    Look::Landed};
    return fig(f < 3 ? walk[f] : moves[(f - 3) % 8]);
}

// ---- frames ---------------------------------------------------------------------------
// A frame's picture below its label row and how many of its cell rows lie
// below the actor's y.
struct Picture {
    Image img;  // 96 wide, a multiple of 16 high
    int below = 0;
};

// Lines [top, top + h) of src moved up by `up` lines, in the class's colours.
Image recoloured(const Image& src, int top, int h, int up, const ClassLook& c) {
    const uint8_t map[19] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, c.main, c.second, c.accent};
    Image r(src.w, h, KEY);
    for (int y = 0; y + up < h; ++y) {
        const uint8_t* from = src.px.data() + static_cast<size_t>(top + y + up) * src.w;
        uint8_t* to = r.px.data() + static_cast<size_t>(y) * src.w;
        for (int x = 0; x < src.w; ++x) to[x] = map[from[x]];
    }
    return r;
}

Picture class_picture(int cls, const FrameLook& l) {
    const ClassLook& c = CLASS_LOOKS[cls];
    if (l.is_fx) {
        const Image& e = effect(l.fx, l.step);
        return {recoloured(e, 0, e.h, 0, c), 0};
    }
    const bool lying = l.look == Look::Downed || l.look == Look::Landed || l.look == Look::Kneel;
    return {recoloured(figure(c.plan, l.look, c.prop), CANVAS - 80, 80, c.floats && !lying ? 10 : 0, c), 0};
}

Image number_part(const Bytes& fnt, int n, uint8_t paper, uint8_t ink) {
    Image p(16, 16, paper);
    char num[8];
    std::snprintf(num, sizeof num, "%02d", n % 100);
    font_text(p, fnt, 0, 0, num, ink);
    return p;
}

struct SheetBuilder {
    std::vector<Image> parts;
    std::unordered_map<uint64_t, std::pair<int, int>> index;  // pixel hash -> (part, mirror bits 6/7)

    // The hash of the 16 x 16 pixels that the part pixels px show when drawn
    // with the mirror bits.
    static uint64_t hash(const uint8_t* px, int bits) {
        uint64_t h = 1469598103934665603ull;
        for (int y = 0; y < 16; ++y) {
            uint64_t a, b;
            std::memcpy(&a, px + (bits & 0x80 ? 15 - y : y) * 16, 8);
            std::memcpy(&b, px + (bits & 0x80 ? 15 - y : y) * 16 + 8, 8);
            if (bits & 0x40) {
                const uint64_t t = __builtin_bswap64(a);
                a = __builtin_bswap64(b);
                b = t;
            }
            h = (h ^ a) * 1099511628211ull;
            h = (h ^ b) * 1099511628211ull;
        }
        return h;
    }
    // Whether part n drawn with the mirror bits shows exactly p.
    bool shows(int n, int bits, const Image& p) const {
        const Image& q = parts[static_cast<size_t>(n)];
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (p.px[y * 16 + x] != q.px[(bits & 0x80 ? 15 - y : y) * 16 + (bits & 0x40 ? 15 - x : x)])
                    return false;
        return true;
    }

    // Returns the part number and the mirror bits (0x40 left-right, 0x80
    // top-bottom) that draw the 16 x 16 `p`.
    std::pair<int, int> add(const Image& p, bool share = true) {
        if (share) {
            auto it = index.find(hash(p.px.data(), 0));
            if (it != index.end() && shows(it->second.first, it->second.second, p)) return it->second;
        }
        int n = static_cast<int>(parts.size());
        if (n >= 1024) throw std::runtime_error("a parts sheet holds at most 1024 parts");
        parts.push_back(p);
        if (share)  // the plain form last, so that it wins where a part is its own mirror image
            for (int bits : {0xC0, 0x80, 0x40, 0}) index[hash(p.px.data(), bits)] = {n, bits};
        return {n, 0};
    }
};

struct Placed {
    int cx, cy;
    std::pair<int, int> part;
};

// A picture cut into parts below the label row, and the frame's hh.
struct Cut {
    uint8_t hh = 0;
    std::vector<Placed> parts;
};

Cut cut(SheetBuilder& sb, const Picture& pic) {
    Cut c;
    const int rows = pic.img.h / 16;
    c.hh = static_cast<uint8_t>(rows + 1 - pic.below);
    Image p(16, 16, KEY);
    for (int cy = 0; cy < rows; ++cy)
        for (int cx = 0; cx < 2 * HW; ++cx) {
            bool empty = true;
            for (int y = 0; y < 16; ++y) {
                const uint8_t* from = pic.img.px.data() + static_cast<size_t>(cy * 16 + y) * pic.img.w + cx * 16;
                std::memcpy(p.px.data() + y * 16, from, 16);
                for (int x = 0; x < 16 && empty; ++x) empty = from[x] == KEY;
            }
            if (!empty) c.parts.push_back({cx, cy + 1, sb.add(p)});
        }
    return c;
}

// Writes bmp/<name>.BMP and dat/<name>.SPZ with `frames` frames, frame f
// showing the picture `picture(look_of(f))` under its label. Frames of one
// look share its parts, so each look is drawn and cut once.
template <class K, class P>
void write_sheet(const Kit& kit, const std::string& name, int sheet, char letter, int frames, K look_of, P picture) {
    SheetBuilder sb;
    Image missing(16, 16, KEY);
    missing.rect(0, 0, 15, 15, RED);
    missing.line(0, 0, 15, 15, RED);
    missing.line(15, 0, 0, 15, RED);
    sb.add(missing, false);

    const uint8_t paper = letter == 'A'   ? NAVY
                          : letter == 'B' ? RED
                          : letter == 'C' ? BLUE
                          : letter == 'D' ? OLIVE
                                          : BLACK;
    const auto sheet_label = kit.marked ? sb.add(number_part(kit.font, sheet, paper, WHITE)) : std::pair<int, int>{};
    std::map<int, Cut> cuts;
    std::vector<Bytes> frame_data;
    for (int f = 0; f < frames; ++f) {
        const int look = look_of(f);
        auto it = cuts.find(look);
        if (it == cuts.end()) it = cuts.emplace(look, cut(sb, picture(look))).first;
        const Cut& c = it->second;
        Bytes fr = {0, HW, c.hh};
        int n = 0;
        auto put_part = [&](int cx, int cy, std::pair<int, int> pm) {
            fr.push_back(static_cast<uint8_t>((cx & 63) | pm.second));
            fr.push_back(static_cast<uint8_t>(((cy & 63) << 2) | ((pm.first >> 8) & 3)));
            fr.push_back(static_cast<uint8_t>(pm.first & 0xFF));
            ++n;
        };
        // The frame's own label parts (marked kit): no other part looks
        // like them.
        if (kit.marked) {
            const auto code = sb.add(code_part(f, sheet), false);
            put_part(0, 0, code);
            put_part(HW - 1, 0, sb.add(number_part(kit.font, f, WHITE, BLACK), false));
            put_part(HW, 0, sheet_label);
            put_part(2 * HW - 1, 0, code);
        }
        for (const Placed& pl : c.parts) put_part(pl.cx, pl.cy, pl.part);
        fr[0] = static_cast<uint8_t>(n);
        frame_data.push_back(fr);
    }

    // The sheet: the parts, then a row with the sheet's name (never drawn
    // as a part).
    int rows = (static_cast<int>(sb.parts.size()) + 39) / 40;
    Image img(640, (rows + 1) * 16, KEY);
    for (size_t p = 0; p < sb.parts.size(); ++p)
        img.blit(sb.parts[p], static_cast<int>(p % 40) * 16, static_cast<int>(p / 40) * 16);
    img.fill(0, rows * 16, 16 * 8 - 1, rows * 16 + 15, BLACK);
    font_text(img, kit.font, 4, rows * 16, name.c_str(), WHITE);
    write_file(kit.bmp(name + ".BMP"), bmp_encode(img));

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

// ---- the common effect sheet --------------------------------------------------------------
// Shadows (0, 1, 15 in the air, 18 under a downed fighter; 17 shows none),
// water splashes (2..7, 10, 11, 16), the hit spark (8, 9) and the critical
// spark (19, 20).
Picture common_picture(int f) {
    const double cx = BOX_W / 2.0;
    Picture pic;
    switch (f) {
        case 0:
        case 1:
        case 15:
        case 18: {  // on the foot line
            const double rx = f == 0 ? 15 : f == 1 ? 19 : f == 15 ? 10 : 36;
            pic.img = Image(BOX_W, 16, KEY);
            fellipse(pic.img, cx, 13, rx, 3, DGREY);
            break;
        }
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 10:
        case 11:
        case 16: {
            const int k = f < 8 ? f - 2 : f < 12 ? f - 4 : 8;  // a growing splash, 0..8
            pic.img = Image(BOX_W, 32, KEY);
            fellipse(pic.img, cx, 28, 12 + 2 * k, 2.5, SILVER);
            for (int i = 0; i < 7; ++i) {
                double a = PI * (0.1 + 0.8 * i / 6.0), r = 8 + 2 * k;
                fdisc(pic.img, cx - r * std::cos(a), 27 - r * 0.9 * std::sin(a), 1.8 + (i % 2), i % 2 ? WHITE : BLUE);
            }
            break;
        }
        case 8:
        case 9:  // centred on the actor's y
            pic.img = Image(BOX_W, 32, KEY);
            pic.below = 1;
            burst(pic.img, cx, 16, 8, f == 8 ? 8 : 13, CREAM, ORANGE, f * 0.37);
            break;
        case 19:
        case 20:
            pic.img = Image(BOX_W, 32, KEY);
            pic.below = 1;
            burst(pic.img, cx, 16, 12, f == 19 ? 11 : 15, WHITE, RED, f * 0.29);
            fdisc(pic.img, cx, 16, 4, RED);
            fdisc(pic.img, cx, 16, 2, WHITE);
            break;
        default:  // unused, and 17: its label only
            pic.img = Image(BOX_W, 16, KEY);
            break;
    }
    pic.img.outline(BLACK);
    return pic;
}

std::string sheet_name(int sheet, char letter) {
    char name[32];
    if (sheet >= 70)
        std::snprintf(name, sizeof name, "CHAR_%02d", sheet);
    else
        std::snprintf(name, sizeof name, "CHAR_%02d%c", sheet, letter);
    return name;
}

}  // namespace

void gen_sprites(const Kit& kit) {
    for (int cls = 0; cls < 49; ++cls) {
        const int highest = cls == 47 ? 38 : (cls == 4 || cls == 5) ? 11 : 8;
        write_sheet(
            kit, sheet_name(cls, 'A'), cls, 'A', frame_count(highest),
            [&](int f) { return look_key(fighter_look(cls, f)); },
            [&](int k) { return class_picture(cls, key_look(k)); });
    }
    for (const MoveSheet& s : move_sheets())
        write_sheet(
            kit, sheet_name(s.sheet, s.letter), s.sheet, s.letter, frame_count(s.highest),
            [&](int f) { return look_key(move_look(s, f)); },
            [&](int k) { return class_picture(s.sheet, key_look(k)); });
    write_sheet(
        kit, sheet_name(99, 'A'), 99, 0, frame_count(20), [](int f) { return f; }, common_picture);
}

}  // namespace kit
