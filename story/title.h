// Title screen.
#pragma once

// Runs the title; leaves its choice in g_chapter (1 new game, the loaded
// game's chapter, 6 quit).
void title_run();
