// The class battle scripts: one handler per class id 0..48, each class's
// moves in its own file under battle/classes/.
#pragma once

#include <cstdlib>

#include "battle/script.h"

void cls00_handler(int16_t side, uint16_t* done);
void cls01_handler(int16_t side, uint16_t* done);
void cls02_handler(int16_t side, uint16_t* done);
void cls03_handler(int16_t side, uint16_t* done);
void cls04_handler(int16_t side, uint16_t* done);
void cls05_handler(int16_t side, uint16_t* done);
void cls06_handler(int16_t side, uint16_t* done);
void cls07_handler(int16_t side, uint16_t* done);
void cls08_handler(int16_t side, uint16_t* done);
void cls09_handler(int16_t side, uint16_t* done);
void cls10_handler(int16_t side, uint16_t* done);
void cls11_handler(int16_t side, uint16_t* done);
void cls12_handler(int16_t side, uint16_t* done);
void cls13_handler(int16_t side, uint16_t* done);
void cls14_handler(int16_t side, uint16_t* done);
void cls15_handler(int16_t side, uint16_t* done);
void cls16_handler(int16_t side, uint16_t* done);
void cls17_handler(int16_t side, uint16_t* done);
void cls18_handler(int16_t side, uint16_t* done);
void cls19_handler(int16_t side, uint16_t* done);
void cls20_handler(int16_t side, uint16_t* done);
void cls21_handler(int16_t side, uint16_t* done);
void cls22_handler(int16_t side, uint16_t* done);
void cls23_handler(int16_t side, uint16_t* done);
void cls24_handler(int16_t side, uint16_t* done);
void cls25_handler(int16_t side, uint16_t* done);
void cls26_handler(int16_t side, uint16_t* done);
void cls27_handler(int16_t side, uint16_t* done);
void cls28_handler(int16_t side, uint16_t* done);
void cls29_handler(int16_t side, uint16_t* done);
void cls30_handler(int16_t side, uint16_t* done);
void cls31_handler(int16_t side, uint16_t* done);
void cls32_handler(int16_t side, uint16_t* done);
void cls33_handler(int16_t side, uint16_t* done);
void cls34_handler(int16_t side, uint16_t* done);
void cls35_handler(int16_t side, uint16_t* done);
void cls36_handler(int16_t side, uint16_t* done);
void cls37_handler(int16_t side, uint16_t* done);
void cls38_handler(int16_t side, uint16_t* done);
void cls39_handler(int16_t side, uint16_t* done);
void cls40_handler(int16_t side, uint16_t* done);
void cls41_handler(int16_t side, uint16_t* done);
void cls42_handler(int16_t side, uint16_t* done);
void cls43_handler(int16_t side, uint16_t* done);
void cls44_handler(int16_t side, uint16_t* done);
void cls45_handler(int16_t side, uint16_t* done);
void cls46_handler(int16_t side, uint16_t* done);
void cls47_handler(int16_t side, uint16_t* done);
void cls48_handler(int16_t side, uint16_t* done);

// The wizard's moves.
uint16_t cls13_move12(int16_t side);
uint16_t cls13_move13(int16_t side);
uint16_t cls13_move14(int16_t side);

// The sparkle frames of the princess's and the commando's support sprite.
extern const std::array<int16_t, 4> g_btl_sparkle_frames;
// The priest's bouncing orbs: start offsets from the opponent and speeds
// (dx, dy, x speed, y speed); each cast rewrites the x speeds.
extern std::array<std::array<int16_t, 4>, 4> g_btl_orb_starts;

// The shaman's handler facts, shared by the priest and the white horse:
// the shadow on the ground at stand, pose 5 in the air and 6 on the ground,
// the second downed pose on frame 0.
inline constexpr ClassHandlerFacts CLS10_FACTS = [] {
    ClassHandlerFacts f = BTL_COMMON_FACTS;
    f.pose[0] = 2;
    f.pose_ground = 6;
    f.pose_air = 5;
    f.frames[9] = {0, 0};
    return f;
}();

// The song of classes 4 and 5, and its closing message.
uint16_t cls04_move12(int16_t side);
void cls04_msg_power_up(int16_t side);
