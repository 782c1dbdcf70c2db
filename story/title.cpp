// Title screen.
#include "story/title.h"

#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"

namespace {

// Shows stage 1's map with its units until a click.
void show_first_stage_map() {
    Palette16 black{};
    gfx_fade_to_wait(&black, 2);
    g_chapter = 1;
    g_module_index = 1;
    g_stage_index = 0;
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    g_units = {};
    map_load_stage_map(0);
    map_load_map_graphics(g_stage_tileset[0]);
    unit_load_stage_units(0, 1);
    g_zoom = -1;
    map_set_zoom(1);
    map_center_view_on(g_units[0].x, g_units[0].y);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 2);
    win_wait_click_blink();
    gfx_fade_to_wait(&black, 2);
    map_free_map_graphics();
    g_chapter = 0;
    g_module_index = 0;
    g_stage_index = -1;
}

}  // namespace

// PENDING: the title menu, opening and ending (title issue). This temporary
// title fades in the first picture with a line of text and plays the first
// track; a click asks whether to look at stage 1's map, and the program ends
// after that.
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
    if (menu_prompt(-1, -1, "/f스테이지 1/*의 지도를 볼까요? { 예 }{ 아니오 }", 0) == 0) show_first_stage_map();
    win_cursor_flag_off();
    gfx_fade_to_wait(&black, 4);
    snd_stop_music_b();
    g_chapter = 6;
}
