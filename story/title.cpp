// Title screen.
#include "story/title.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"

// PENDING: the title menu, opening and ending (title issue). This temporary
// title shows the first picture with the software cursor and ends the
// program at the first left click.
void title_run() {
    std::snprintf(g_load_path, sizeof g_load_path, "%sPresents.bmp", g_bmp_dir);
    if (!gfx_load_dib(g_hwnd_game)) return;
    DibInfoHeader h;
    std::memcpy(&h, g_load_dib.data(), sizeof h);
    const uint8_t* src = g_load_dib.data() + g_dib_bits_offset;
    size_t have = g_load_dib.size() - static_cast<size_t>(g_dib_bits_offset);
    if (h.width == SCREEN_W && h.height > 0) {
        int lines = std::min<int>(h.height, SCREEN_H);
        for (int y = 0; y < lines; ++y) {
            size_t row = static_cast<size_t>(h.height - 1 - y) * SCREEN_W;
            if (row + SCREEN_W > have) break;
            std::memcpy(gfx_screen_pixel(g_back_dib, 0, y), src + row, SCREEN_W);
        }
    }
    std::memcpy(gfx_dib_colours(g_back_dib), g_load_dib.data() + 40, 64);
    std::memcpy(g_background_dib, g_back_dib, SCREEN_DIB_SIZE);
    g_fade_state = FADE_STEADY;
    win_set_cursor_shape(0);
    win_cursor_flag_on();
    sys_invalidate(g_hwnd_game);
    int32_t x, y;
    while (win_poll_click(0, 0, &x, &y) == 0) {
    }
    g_chapter = 6;
}
