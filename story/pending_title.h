// The load chooser that the title's continue entry calls, until saving and
// loading land (then this header gives way to theirs).
#pragma once

#include <cstdint>

// 1 loaded into the save buffer with g_stage_index set, 0 cancelled; the
// title passes -1 (ask with the chooser).
int32_t save_load_game(int32_t slot);

// PENDING: what the stand-in load answers (0 cancelled, the default; 1
// loaded) and the stage index a load reports; tests set them to stand for a
// chosen slot.
extern int32_t g_pending_load_result;
extern int32_t g_pending_load_stage;
