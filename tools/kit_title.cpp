// Sample data kit: the pictures of the title, the opening and the ending.
//
// In the marked kit every picture shows its own name and frame sheets fill
// each quarter with a solid colour of its own (the "a" and other sheets: TL
// navy, TR brown, BL olive, BR dark grey; the "b" sheets: TL taupe, TR red,
// BL orange, BR lime), so a pixel tells which frame is on the screen; the
// plain kit paints a scene in each quarter, in its colour. The lower half of
// a "b" sheet carries white and cream stripes for the band that sweeps
// through them; the "c" overlays are blue (their transparent colour) round a
// figure.
#include "tools/kit_title.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace kit {

namespace {

constexpr int SHEET_W = 640, SHEET_H = 400, FRAME_W = 320, FRAME_H = 200;

const uint8_t FIRST_SET[4] = {NAVY, BROWN, OLIVE, DGREY};
const uint8_t SECOND_SET[4] = {TAUPE, RED, ORANGE, LIME};
const uint8_t ENDING[8] = {NAVY, BROWN, OLIVE, DGREY, TAUPE, RED, ORANGE, LIME};

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Whether the pictures carry their names (the marked kit).
bool g_names = true;

// The name centred at line y, scale `scale`, white with a black rim (the
// marked kit only).
void centred_label(Image& img, const std::string& text, int cx, int y, int scale, uint8_t c = WHITE,
                   uint8_t rim = BLACK) {
    if (g_names) tiny_label(img, cx - tiny_width(text) * scale / 2, y, text, c, rim, scale);
}

void write(const Kit& kit, const std::string& name, const Image& img) {
    write_file(kit.bmp(name + ".BMP"), bmp_encode(img));
}

Image frame_sheet(const std::string& name, bool second_set) {
    static const char* const QUARTER[4] = {"TL", "TR", "BL", "BR"};
    Image img(SHEET_W, SHEET_H, BLACK);
    for (int q = 0; q < 4; ++q) {
        const int x0 = (q % 2) * FRAME_W, y0 = (q / 2) * FRAME_H;
        const uint8_t fill = second_set ? SECOND_SET[q] : FIRST_SET[q];
        img.fill(x0, y0, x0 + FRAME_W - 1, y0 + FRAME_H - 1, fill);
        if (g_names)
            img.rect(x0 + 2, y0 + 2, x0 + FRAME_W - 3, y0 + FRAME_H - 3, SILVER);
        else
            story_scene(img, x0, y0, FRAME_W, FRAME_H, fill, static_cast<int>(name.size()) + q);
        if (second_set && q >= 2)
            for (int y = y0 + 150; y < y0 + 190; y += 8) {
                img.fill(x0 + 12, y, x0 + FRAME_W - 13, y + 1, WHITE);
                img.fill(x0 + 12, y + 4, x0 + FRAME_W - 13, y + 5, CREAM);
            }
        centred_label(img, upper(name), x0 + FRAME_W / 2, y0 + 50, 8);
        centred_label(img, QUARTER[q], x0 + FRAME_W / 2, y0 + 110, 6, CREAM);
    }
    return img;
}

// A 640 x 400 overlay: blue (the transparent colour) round a framed figure.
Image overlay(const std::string& name) {
    Image img(SHEET_W, SHEET_H, BLUE);
    img.disc(70, 60, 40, SILVER);
    img.disc(70, 60, 30, PEACH);
    img.rect(20, 20, SHEET_W - 21, SHEET_H - 21, SILVER);
    centred_label(img, upper(name), 160, 140, 6);
    return img;
}

Image still(const std::string& name, uint8_t fill) {
    Image img(FRAME_W, FRAME_H, fill);
    if (!g_names) {
        story_scene(img, 0, 0, FRAME_W, FRAME_H, fill, name.back());
        return img;
    }
    img.rect(2, 2, FRAME_W - 3, FRAME_H - 3, SILVER);
    centred_label(img, upper(name), FRAME_W / 2, 70, 8);
    return img;
}

Image logo(const Kit& kit) {
    Image img(SHEET_W, SHEET_H, BLACK);
    centred_label(img, "QMX", SHEET_W / 2, 120, 24, SILVER, DGREY);
    font_text(img, kit.font, SHEET_W / 2 - font_width("qmx", 2) / 2, 300, "qmx", TAUPE, 2);
    return img;
}

// The title background: colour 14 wherever its own 32 x 32 block at (480,64)
// is to show through, tiled.
Image title_background() {
    Image img(SHEET_W, SHEET_H, KEY);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint8_t c = ((x / 8 + y / 8) % 2) ? NAVY : BLUE;
            if ((x - 15) * (x - 15) + (y - 15) * (y - 15) <= 16) c = CREAM;
            img.set(480 + x, 64 + y, c);
        }
    for (int x = 0; x < SHEET_W; ++x) {
        const int h = static_cast<int>(300 + 14 * std::sin(x * 0.02) + 6 * std::sin(x * 0.07));
        img.fill(x, h, x, SHEET_H - 1, DGREY);
        img.set(x, h, TAUPE);
    }
    img.fill(0, 350, SHEET_W - 1, SHEET_H - 1, BLACK);
    centred_label(img, "OP04_A", 90, 372, 3, SILVER);
    return img;
}

// The title overlay: white (its transparent colour) round the game's name.
Image title_overlay(const Kit& kit) {
    Image img(SHEET_W, SHEET_H, WHITE);
    const char* title = "로웬벨";
    const int scale = 5, tw = font_width(title, scale);
    Image m(SHEET_W, SHEET_H, KEY);
    font_text(m, kit.font, (SHEET_W - tw) / 2, 90, title, ORANGE, scale);
    m.outline(BLACK);
    img.blit(m, 0, 0, KEY);
    centred_label(img, "OP04_B", SHEET_W - 70, 372, 3, CREAM);
    return img;
}

// The vision panned from its lower to its upper rows: a navy upper half, a
// brown lower half, in the marked kit a numbered mark every 20 rows; the
// plain kit paints a night above a land.
Image vision() {
    const int W = 448, H = 520;
    Image img(W, H, NAVY);
    if (!g_names) {
        story_scene(img, 0, 0, W, H, NAVY, 3);
        return img;
    }
    img.fill(0, H / 2, W - 1, H - 1, BROWN);
    for (int y = 0; y < H; y += 20) {
        img.fill(0, y, 15, y, SILVER);
        tiny_text(img, 20, y + 2, std::to_string(y), SILVER, 2);
    }
    centred_label(img, "VIS21A TOP", W / 2, 100, 5);
    centred_label(img, "VIS21A BOTTOM", W / 2, 380, 5);
    return img;
}

// Six 32 x 16 frames of a little runner on colour 14, each with its number.
Image runner_strip() {
    Image img(192, 16, KEY);
    for (int f = 0; f < 6; ++f) {
        const int x0 = f * 32;
        img.disc(x0 + 8, 4, 3, PEACH);
        img.fill(x0 + 6, 7, x0 + 10, 11, RED);
        const int stride = (f % 3) - 1;
        img.line(x0 + 7, 12, x0 + 7 - 2 * stride, 15, BROWN);
        img.line(x0 + 9, 12, x0 + 9 + 2 * stride, 15, BROWN);
        if (g_names) tiny_text(img, x0 + 20, 5, std::to_string(f), WHITE);
    }
    return img;
}

// The blinking vision of the opening: a star in colour 14 (set to white and
// blinked by the opening).
Image blink_still() {
    Image img(FRAME_W, FRAME_H, BLACK);
    std::vector<std::pair<double, double>> star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 28 : 70, a = i * 3.14159265 / 5 - 3.14159265 / 2;
        star.emplace_back(160 + r * std::cos(a), 100 + r * std::sin(a));
    }
    img.polygon(star, KEY);
    centred_label(img, "OP02_A", 60, 180, 2, SILVER);
    return img;
}

Image ending_still(int i) {
    char name[8];
    std::snprintf(name, sizeof name, "ED_0%d", i);
    return still(name, ENDING[i]);
}

Image finale(const Kit& kit) {
    Image img(SHEET_W, SHEET_H, BLACK);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < SHEET_W; ++x) img.set(x, y, bayer4(x, y) < y * 16 / 300 ? PEACH : SILVER);
    img.fill(0, 300, SHEET_W - 1, SHEET_H - 1, OLIVE);
    centred_label(img, "VIS40B", SHEET_W / 2, 120, 12, WHITE);
    font_text(img, kit.font, SHEET_W / 2 - font_width("끝", 3) / 2, 320, "끝", WHITE, 3);
    return img;
}

}  // namespace

void gen_title(const Kit& kit) {
    g_names = kit.marked;
    write(kit, "qmx", logo(kit));
    write(kit, "op04_a", title_background());
    write(kit, "op04_b", title_overlay(kit));
    write(kit, "op01_a", frame_sheet("op01_a", false));
    write(kit, "op02_a", blink_still());
    write(kit, "op03_a", frame_sheet("op03_a", false));
    write(kit, "op03_b", frame_sheet("op03_b", true));
    write(kit, "op03_c", runner_strip());
    for (int n = 5; n <= 9; ++n) {
        char a[8], b[8], c[8];
        std::snprintf(a, sizeof a, "op%02d_a", n);
        std::snprintf(b, sizeof b, "op%02d_b", n);
        std::snprintf(c, sizeof c, "op%02d_c", n);
        write(kit, a, frame_sheet(a, false));
        write(kit, b, frame_sheet(b, true));
        write(kit, c, overlay(c));
    }
    write(kit, "vis21a", vision());
    write(kit, "op10_a", still("op10_a", TAN));
    write(kit, "op10_b", still("op10_b", PEACH));
    write(kit, "op10_c", frame_sheet("op10_c", false));
    for (int i = 0; i < 8; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "ed_0%d", i);
        write(kit, name, ending_still(i));
    }
    write(kit, "vis40b", finale(kit));
}

}  // namespace kit
