// Title screen.
#include "story/title.h"

#include <cstdlib>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"

// PENDING: the title menu, opening and ending (title issue). This temporary
// title fades in the first picture with a line of text, plays the first
// track, and ends the program at the first left click.
void title_run() {
    snd_stop_music_b();
    g_music_track = -1;
    uint8_t* picture = file_load_data("a:Presents.gem");
    if (!picture) {
        util_memory_error();
        g_chapter = 6;
        return;
    }
    Palette16 colours{};
    Palette16 black{};
    gfx_get_palette16(picture, &colours);
    gfx_set_scene_palettes(&colours, nullptr, &black);
    gfx_clear_screen();
    gfx_blit_image(0, 0, picture);
    std::free(picture);
    txt_draw_string(22, 17, "/f로웬벨/*에 오신 것을 환영합니다. /e클릭/*하면 끝납니다.", 7);
    gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
    snd_play_music(0);
    gfx_fade_to_wait(&colours, 4);
    win_set_cursor_shape(0);
    win_cursor_flag_on();
    int32_t x, y;
    while (win_poll_click(0, 0, &x, &y) == 0) {
    }
    snd_play_effect(13);
    win_cursor_flag_off();
    gfx_fade_to_wait(&black, 4);
    snd_stop_music_b();
    g_chapter = 6;
}
