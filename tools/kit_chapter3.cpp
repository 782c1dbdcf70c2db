// Sample data kit: the pictures of the stage-21 vision. vis21b, vis21d and
// vis21e are 640 x 400 frame sheets (four 320 x 200 frames), vis21c two
// 320 x 200 frames one above the other. In the marked kit each frame is a
// plain field of its own colour with its name, so a pixel tells which frame
// is on the screen; the plain kit paints a scene in that colour.
#include <string>

#include "tools/kit_story.h"

namespace kit {

namespace {

constexpr int FRAME_W = 320, FRAME_H = 200;

void frame(const Kit& kit, Image& img, int q, uint8_t fill, const std::string& label) {
    const int x0 = (q % 2) * FRAME_W, y0 = (q / 2) * FRAME_H;
    if (!kit.marked) {
        story_scene(img, x0, y0, FRAME_W, FRAME_H, fill, q + static_cast<int>(label.size()));
        return;
    }
    img.fill(x0, y0, x0 + FRAME_W - 1, y0 + FRAME_H - 1, fill);
    img.rect(x0 + 2, y0 + 2, x0 + FRAME_W - 3, y0 + FRAME_H - 3, SILVER);
    const int scale = 5;
    tiny_label(img, x0 + FRAME_W / 2 - tiny_width(label) * scale / 2, y0 + 70, label, WHITE, BLACK, scale);
}

Image sheet(const Kit& kit, const std::string& name, const uint8_t (&fills)[4]) {
    static const char* const QUARTER[4] = {" TL", " TR", " BL", " BR"};
    Image img(2 * FRAME_W, 2 * FRAME_H, BLACK);
    for (int q = 0; q < 4; ++q) frame(kit, img, q, fills[q], name + QUARTER[q]);
    return img;
}

}  // namespace

void gen_chapter3_stills(const Kit& kit) {
    const uint8_t b[4] = {NAVY, BROWN, OLIVE, DGREY};
    const uint8_t d[4] = {TAUPE, RED, ORANGE, LIME};
    const uint8_t e[4] = {BLUE, TAN, PEACH, CREAM};
    write_file(kit.bmp("vis21b.BMP"), bmp_encode(sheet(kit, "VIS21B", b)));
    write_file(kit.bmp("vis21d.BMP"), bmp_encode(sheet(kit, "VIS21D", d)));
    write_file(kit.bmp("vis21e.BMP"), bmp_encode(sheet(kit, "VIS21E", e)));
    Image rise(FRAME_W, 2 * FRAME_H, BLACK);
    frame(kit, rise, 0, NAVY, "VIS21C UP");
    frame(kit, rise, 2, BROWN, "VIS21C DOWN");
    write_file(kit.bmp("vis21c.BMP"), bmp_encode(rise));
}

}  // namespace kit
