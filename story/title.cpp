// Title screen.
#include "story/title.h"

#include <cstdlib>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"

// PENDING: the title menu, opening and ending (title issue). This temporary
// title fades in the first picture with a line of text and plays the first
// track; a click asks whether to start a new game, and "아니오" or a right
// click ends the program.
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
    txt_draw_string(28, 17, "/f로웬벨/*에 오신 것을 환영합니다. /e클릭/*하세요.", 7);
    gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
    snd_play_music(0);
    gfx_fade_to_wait(&colours, 4);
    win_set_cursor_shape(0);
    win_cursor_flag_on();
    win_wait_click_blink();
    win_cursor_flag_on();
    int32_t choice = menu_prompt(-1, -1, "/f새 게임/*을 시작할까요? { 예 }{ 아니오 }", 0);
    win_cursor_flag_off();
    gfx_fade_to_wait(&black, 4);
    snd_stop_music_b();
    g_chapter = choice == 0 ? 1 : 6;
}
