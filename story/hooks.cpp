// Chapter hooks.
#include "story/hooks.h"

#include "platform/input.h"
#include "platform/shell.h"

// PENDING: the chapter tick routines with their palette effects (chapter hooks
// issue); until then a frame tick only advances the tick counter while a
// chapter runs.
void scn_tick() {
    if (g_chapter >= 1 && g_chapter <= 5) ++g_tick_counter;
}
