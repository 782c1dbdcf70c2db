// Game loop.
#pragma once

#include <cstdint>

// Runs the chapter in g_chapter; returns the next code: 0 back to the title,
// 1..5 the chapter to run next.
int32_t turn_run_game();
