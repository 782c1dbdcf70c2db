// What the scripts of classes 29 to 48 share with the rest of the engine and
// with the tests: the skeleton's slope, the last enemy's body parts,
// transformation, reactions and defeats, and the reveal mask.
#pragma once

#include <array>
#include <cstdint>

#include "battle/classes/classes.h"
#include "platform/palette.h"

// The vertical step of a bone flying from (x1, y1) toward (x2, y2).
int32_t cls45_slope_step(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The ground wave of the first and the last form, one frame: it grows to
// `full` frames, then runs 4 forward and tosses the opponent (state 2,
// recoil 1) while it lies less than 20 columns ahead of it, is idle, not
// beaten and has taken fewer than `hits` hits; once the wave is 32 columns
// past the far edge it is hidden and the move's effects are given back
// (true then).
bool cls46_wave_sweep(Move& m, int32_t wave, int32_t full, int32_t hits);

// Class 46, the first form: a body and its parts P0..P2.
void cls46_spawn_parts(int16_t actor);
void cls46_hit_reaction(int16_t actor);
void cls46_defeat(int16_t actor);
uint16_t cls46_move12(int16_t side);
uint16_t cls46_move13(int16_t side);
uint16_t cls46_move14(int16_t side);

// Class 47, the transformation.
void cls47_particle_step(int16_t actor, int16_t i);
uint16_t cls47_move12(int16_t side);

// Class 48, the last form.
void cls48_hit_reaction(int16_t actor);
void cls48_defeat(int16_t actor);
void cls48_load_mask(const char* name);
void cls48_mask_wipe();
uint16_t cls48_move12(int16_t side);
uint16_t cls48_move13(int16_t side);

constexpr int32_t CLS48_MASKS = 8;
constexpr int32_t CLS48_BANDS = 25;
// Eight 16 x 16 patterns: a byte that is not 0 shows the new picture.
extern std::array<std::array<std::array<uint8_t, 16>, 16>, CLS48_MASKS> g_cls48_mask_tiles;
extern std::array<int16_t, CLS48_BANDS> g_cls48_band_levels;
