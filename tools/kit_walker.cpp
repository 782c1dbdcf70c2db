// Sample data kit, plain map figures: a small person, beast or round
// creature per class, in the colours of its battle figure, facing four ways
// in three steps. The map unit sheets show each class facing down; the walk
// sheets hold all twelve frames.
#include "tools/kit.h"

namespace kit {

namespace {

constexpr int S = 32;

// Hair in the accent colour, unless that is near the skin's.
uint8_t hair_of(uint8_t accent) {
    if (accent == TAN) return BROWN;
    return accent == PEACH || accent == CREAM ? uint8_t{ORANGE} : accent;
}

// Facing left; the right is its mirror image.
void person(Image& f, const FigureLook& k, int d, int s) {
    const int swing = s == 0 ? -1 : s == 2 ? 1 : 0;  // the step: which foot leads
    const bool side = d == 1 || d == 2;
    // Legs and feet.
    if (side) {
        f.line(15, 24, 15 + 3 * swing, 29, DGREY);
        f.line(16, 24, 16 + 3 * swing, 29, DGREY);
        f.line(17, 24, 17 - 3 * swing, 29, DGREY);
        f.line(18, 24, 18 - 3 * swing, 29, DGREY);
        f.fill(13 + 3 * swing, 29, 16 + 3 * swing, 30, BROWN);
        f.fill(16 - 3 * swing, 29, 19 - 3 * swing, 30, BROWN);
    } else {
        f.fill(12, 24, 14, 29 - (swing < 0), DGREY);
        f.fill(17, 24, 19, 29 - (swing > 0), DGREY);
        f.fill(11, 29 - (swing < 0), 14, 30 - (swing < 0), BROWN);
        f.fill(17, 29 - (swing > 0), 20, 30 - (swing > 0), BROWN);
    }
    // The body, a belt, the arms with their hands.
    f.polygon({{12, 15}, {20, 15}, {22.5, 25}, {9.5, 25}}, k.main);
    f.fill(10, 21, 21, 22, k.second);
    if (side) {
        f.fill(14 - 2 * swing, 17, 17 - 2 * swing, 22, k.main);
        f.fill(14 - 2 * swing, 23, 16 - 2 * swing, 24, PEACH);
    } else {
        f.fill(8, 16 + swing, 10, 22 + swing, k.main);
        f.fill(21, 16 - swing, 23, 22 - swing, k.main);
        f.fill(8, 23 + swing, 10, 24 + swing, PEACH);
        f.fill(21, 23 - swing, 23, 24 - swing, PEACH);
    }
    // What it carries, in the hand on the left of the picture.
    if (k.sword && d != 3) {
        f.line(side ? 12 : 9, side ? 24 : 22, side ? 5 : 6, side ? 16 : 10, SILVER);
        f.line(side ? 13 : 10, side ? 23 : 23, side ? 11 : 8, side ? 25 : 21, BROWN);
    }
    if (k.staff && d != 3) {
        f.line(side ? 11 : 7, 27, side ? 11 : 7, 6, BROWN);
        f.disc(side ? 11 : 7, 5, 2, k.accent);
    }
    // The head: face, hair.
    f.disc(16, 10, 6, PEACH);
    for (int y = 3; y <= 16; ++y)
        for (int x = 9; x <= 23; ++x) {
            const int dx = x - 16, dy = y - 10;
            if (dx * dx + dy * dy > 44) continue;
            bool hair = y <= 8;
            if (d == 3) hair = y <= 14;  // from behind
            if (d == 0) hair = hair || (y <= 13 && (dx <= -5 || dx >= 5));
            if (side) hair = hair || (dx >= 1 && y <= 14);  // the back of the head
            if (hair) f.set(x, y, hair_of(k.accent));
        }
    if (d == 0) {
        f.set(13, 11, BLACK);
        f.set(18, 11, BLACK);
        f.set(15, 14, RED);
        f.set(16, 14, RED);
    } else if (side) {
        f.set(12, 11, BLACK);
        f.set(10, 12, PEACH);
    }
}

void beast(Image& f, const FigureLook& k, int d, int s) {
    const int swing = s == 0 ? -2 : s == 2 ? 2 : 0;
    if (d == 1 || d == 2) {
        for (int leg = 0; leg < 4; ++leg) {
            const int lx = leg < 2 ? 10 + 3 * leg : 19 + 3 * (leg - 2);
            const int off = (leg % 2 ? 1 : -1) * swing;
            f.line(lx, 21, lx + off, 29, leg % 2 ? k.second : k.main);
            f.line(lx + 1, 21, lx + 1 + off, 29, leg % 2 ? k.second : k.main);
        }
        f.line(25, 17, 30, 11 + swing / 2, k.accent);  // tail
        f.ellipse(17, 19, 10, 6, k.main);
        f.ellipse(17, 22, 7, 2, k.second);
        f.disc(7, 13, 5, k.main);  // head
        f.ellipse(3, 15, 3, 2, k.second);
        f.line(8, 8, 10, 5, k.accent);  // ear or horn
        f.set(6, 12, BLACK);
        return;
    }
    for (int side : {-1, 1}) {
        f.fill(16 + side * 6 - 1, 22, 16 + side * 6 + 1, 29 - (side * swing > 0), k.main);
        f.fill(16 + side * 3 - 1, 23, 16 + side * 3 + 1, 30 - (side * swing < 0), k.second);
    }
    f.ellipse(16, 19, 9, 7, k.main);
    if (d == 3) {
        f.line(16, 14, 16 + swing, 8, k.accent);  // the tail from behind
        f.disc(16, 11, 5, k.main);
        return;
    }
    f.disc(16, 12, 6, k.main);
    f.ellipse(16, 15, 4, 2, k.second);
    f.line(11, 7, 9, 3, k.accent);
    f.line(21, 7, 23, 3, k.accent);
    f.set(13, 11, BLACK);
    f.set(19, 11, BLACK);
}

void round(Image& f, const FigureLook& k, int d, int s) {
    const int lift = s == 1 ? 1 : 0;
    const int ry = s == 1 ? 10 : 9, rx = s == 1 ? 10 : 11;
    const int cy = 29 - ry - lift;
    f.ellipse(16, cy, rx, ry, k.main);
    f.ellipse(16, cy + ry / 2, rx * 3 / 5, ry / 3, k.second);
    f.line(14, cy - ry - 2, 17, cy - ry + 2, k.accent);  // a tuft
    if (d == 3) return;
    const int shift = d == 1 ? -4 : d == 2 ? 4 : 0;
    for (int side : {-1, 1}) {
        if ((d == 1 && side > 0) || (d == 2 && side < 0)) continue;
        f.disc(16 + shift + side * 4, cy - 2, 2, WHITE);
        f.set(16 + shift + side * 4 + (shift > 0) - (shift < 0), cy - 2, BLACK);
    }
}

void airship(Image& f, int s) {
    const int bob = s == 1 ? -1 : 0;
    f.ellipse(16, 11 + bob, 14, 7, TAN);
    f.ellipse(16, 9 + bob, 10, 3, CREAM);
    f.line(2, 11 + bob, 30, 11 + bob, BROWN);
    f.line(10, 17 + bob, 12, 22 + bob, BROWN);
    f.line(22, 17 + bob, 20, 22 + bob, BROWN);
    f.fill(10, 22 + bob, 22, 26 + bob, BROWN);
    f.fill(12, 23 + bob, 20, 24 + bob, ORANGE);
}

}  // namespace

Image walker(int cls, int d, int s) {
    Image f(S, S, KEY);
    const FigureLook k = figure_look(cls);
    if (cls == 52) {
        airship(f, s);
    } else {
        const int facing = d == 2 ? 1 : d;  // the right is drawn as the left, then mirrored
        if (k.body == Body::Person)
            person(f, k, facing, s);
        else if (k.body == Body::Beast)
            beast(f, k, facing, s);
        else
            round(f, k, facing, s);
    }
    f.outline(BLACK);
    return d == 2 ? f.mirrored_x() : f;
}

}  // namespace kit
