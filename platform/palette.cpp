// Palettes, fades and colour cycling.
#include "platform/palette.h"

#include "platform/screen.h"

int32_t g_fade_state = 0;
int32_t g_fade_running = 0;

// PENDING: colour-14 cycling (palettes and fades issue).
void gfx_colour_cycle_step() {}

// PENDING: five-step fades (palettes and fades issue); until then a running
// fade simply becomes steady.
void gfx_fade_paint_step(SysWnd window) {
    gfx_present_view(window);
    g_fade_state = FADE_STEADY;
}
