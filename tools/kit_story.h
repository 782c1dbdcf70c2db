// Sample data kit: the message scripts, the face pictures, the game-over
// picture and the backdrop of the full-screen item and list screens.
#pragma once

#include <string>

#include "tools/kit.h"

namespace kit {

// Writes dat/stage01.msg..stage40.msg, stage51.msg, stage52.msg and
// bmp/face??.BMP, gameover.BMP, back1.BMP (the font must be built first).
void gen_story(const Kit& kit);

// A 320 x 200 still: in the marked kit a plain field of one colour, a
// silver frame and the label, so a pixel tells which still is on the
// screen; in the plain kit a painted scene in that colour.
Image chapter_still(const Kit& kit, const std::string& label, uint8_t fill);

// Writes bmp/vis03.BMP, vis15a.BMP and vis15b.BMP, the stills of chapter 2.
void gen_chapter12_stills(const Kit& kit);

// Writes bmp/vis40a.BMP, the still of the closing scene of chapter 5.
void gen_chapter5_stills(const Kit& kit);

// Writes bmp/vis21b.BMP .. vis21e.BMP, the pictures of the stage-21 vision
// (vis21a is written with the opening's pictures).
void gen_chapter3_stills(const Kit& kit);

}  // namespace kit
