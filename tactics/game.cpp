// Game loop.
#include "tactics/game.h"

// PENDING: the game loop over chapters and stages (game loop issue); until
// then a chapter goes straight back to the title.
int32_t turn_run_game() { return 0; }
