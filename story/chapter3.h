// The two drawing effects of the stage-21 vision.
#pragma once

#include <cstdint>

// A white shape growing from (cx, cy), its lower half half as high, one
// step a tick, with a fade to white from the 21st step.
void scn_ch3_fx_flash_circle(int32_t cx, int32_t cy);
// A filled ellipse of colour 14 centred on (cx, cy); radii below 1 draw
// nothing.
void scn_ch3_fx_fill_ellipse(int32_t cx, int32_t cy, int32_t rx, int32_t ry);
