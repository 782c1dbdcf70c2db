// Sample data kit: the message scripts, the face pictures, the game-over
// picture and the backdrop of the full-screen item and list screens.
#pragma once

#include "tools/kit.h"

namespace kit {

// Writes dat/stage01.msg..stage40.msg, stage51.msg, stage52.msg and
// bmp/face??.BMP, gameover.BMP, back1.BMP (the font must be built first).
void gen_story(const Kit& kit);

// Writes bmp/vis03.BMP, vis15a.BMP and vis15b.BMP, the stills of chapter 2.
void gen_chapter12_stills(const Kit& kit);

// Writes bmp/vis21b.BMP .. vis21e.BMP, the pictures of the stage-21 vision
// (vis21a is written with the opening's pictures).
void gen_chapter3_stills(const Kit& kit);

}  // namespace kit
