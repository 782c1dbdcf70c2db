// Sample data kit: the stills of chapters 2 and 5. Each is 320 x 200, drawn
// by the game at (160,100): in the marked kit a plain field of its own
// colour with a silver frame and its name, so a pixel tells which still is
// on the screen; in the plain kit a painted scene.
#include <string>

#include "tools/kit_story.h"

namespace kit {

Image chapter_still(const Kit& kit, const std::string& label, uint8_t fill) {
    constexpr int STILL_W = 320, STILL_H = 200;
    Image img(STILL_W, STILL_H, fill);
    if (!kit.marked) {
        story_scene(img, 0, 0, STILL_W, STILL_H, fill, static_cast<int>(label.size() + fill));
        return img;
    }
    img.rect(2, 2, STILL_W - 3, STILL_H - 3, SILVER);
    const int scale = 6;
    tiny_label(img, STILL_W / 2 - tiny_width(label) * scale / 2, 70, label, WHITE, BLACK, scale);
    return img;
}

void gen_chapter12_stills(const Kit& kit) {
    write_file(kit.bmp("vis03.BMP"), bmp_encode(chapter_still(kit, "VIS03", NAVY)));
    write_file(kit.bmp("vis15a.BMP"), bmp_encode(chapter_still(kit, "VIS15A", BROWN)));
    write_file(kit.bmp("vis15b.BMP"), bmp_encode(chapter_still(kit, "VIS15B", OLIVE)));
}

void gen_chapter5_stills(const Kit& kit) {
    write_file(kit.bmp("vis40a.BMP"), bmp_encode(chapter_still(kit, "VIS40A", TAUPE)));
}

}  // namespace kit
