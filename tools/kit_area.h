// Sample data kit: the pictures of the map-screen area attacks.
#pragma once

#include "tools/kit.h"

namespace kit {

// Writes bmp/volcano.BMP (the eruption frames) and bmp/angel.BMP.
void gen_area_pictures(const Kit& kit);

}  // namespace kit
