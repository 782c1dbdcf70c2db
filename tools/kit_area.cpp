// Sample data kit: the pictures of the map-screen area attacks. The
// eruption sheet holds six 96 x 96 frames side by side at line 320 (colour
// 14 around them), in the marked kit each with its number; the angel is a
// 216 x 168 figure at line 248 on colour 0, which the game leaves out.
#include "tools/kit_area.h"

#include <string>

namespace kit {

namespace {

constexpr int PIC_W = 640, PIC_H = 416;
constexpr int FRAME = 96, FRAME_ROW = 320;
constexpr int ANGEL_W = 216, ANGEL_H = 168, ANGEL_ROW = 248;

Image volcano(bool marked) {
    Image img(PIC_W, PIC_H, 0);
    for (int k = 0; k < 6; ++k) {
        const int x0 = k * FRAME;
        img.fill(x0, FRAME_ROW, x0 + FRAME - 1, FRAME_ROW + FRAME - 1, KEY);
        // A plume that grows over the first frames and then thins out.
        const int r = 10 + (k < 3 ? k : 5 - k) * 12;
        img.ellipse(x0 + FRAME / 2, FRAME_ROW + FRAME - 1 - r, r, r, ORANGE);
        img.ellipse(x0 + FRAME / 2, FRAME_ROW + FRAME - 1 - r, r / 2, r / 2, RED);
        if (marked) tiny_label(img, x0 + 4, FRAME_ROW + 4, std::to_string(k + 1), WHITE, 0, 3);
    }
    return img;
}

Image angel(bool marked) {
    Image img(PIC_W, PIC_H, 0);
    const int cx = ANGEL_W / 2, top = ANGEL_ROW;
    img.ellipse(cx - 50, top + 70, 48, 30, SILVER);  // wings
    img.ellipse(cx + 50, top + 70, 48, 30, SILVER);
    img.ellipse(cx, top + 100, 26, 60, WHITE);  // robe
    img.disc(cx, top + 30, 16, CREAM);          // head
    img.ellipse(cx, top + 8, 20, 4, LIME);      // halo
    if (marked) tiny_label(img, 4, top + 4, "1", BLUE, WHITE, 3);
    return img;
}

}  // namespace

void gen_area_pictures(const Kit& kit) {
    write_file(kit.bmp("volcano.BMP"), bmp_encode(volcano(kit.marked)));
    write_file(kit.bmp("angel.BMP"), bmp_encode(angel(kit.marked)));
}

}  // namespace kit
