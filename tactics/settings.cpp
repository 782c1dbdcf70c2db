// System menu and settings.
#include "tactics/settings.h"

#include <cstring>

#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/text.h"
#include "tactics/game.h"
#include "tactics/map_view.h"
#include "tactics/save.h"
#include "tactics/turn.h"

int32_t g_opt_move_anim = 1;
int32_t g_opt_battle_real = 1;
int32_t g_opt_battle_speed = 3;
int32_t g_opt_side_marks = 1;

const std::array<SettingRow, SETTING_ROWS> g_setting_rows = {{
    {"이동화면", {"고속모드", "리얼모드", nullptr, nullptr, nullptr}, 4, &g_opt_move_anim},
    {"전투화면", {"간이모드", "리얼모드", nullptr, nullptr, nullptr}, 4, &g_opt_battle_real},
    {"전투애니메이션 속도", {"고속모드", nullptr, nullptr, "보통모드", nullptr}, 4, &g_opt_battle_speed},
    {"적아군 식별", {"표시 안 한다", "표시한다", nullptr, nullptr, nullptr}, 4, &g_opt_side_marks},
}};

const std::array<const char*, 5> g_system_menu_names = {
    " 게임 불러오기 ", " 게임 저장하기 ", " 환경설정 ", " 게임 종료 ", nullptr,
};

namespace {

enum SystemCommand { SYS_LOAD, SYS_SAVE, SYS_SETTINGS, SYS_QUIT };

constexpr int32_t FIRST_ROW = 6;
constexpr int32_t FIRST_CHOICE_COL = 37;

void keep_scene_palettes() {
    g_menu_saved_base_palette = g_scene_base_palette;
    g_menu_saved_second_palette = g_scene_second_palette;
}

// Back from a full-screen chooser: the scene palettes as they were, the map
// and the fade in.
void back_to_map() {
    gfx_set_scene_palettes(&g_menu_saved_base_palette, &g_menu_saved_second_palette, &g_scene_palette);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
}

// Redraws the text of one choice where its hit rect stands; a position
// without a choice (an option value read from elsewhere) draws nothing.
void draw_choice(int32_t row, int32_t position, int32_t colour) {
    if (row < 0 || row >= SETTING_ROWS || position < 0 || position >= SETTING_CHOICES) return;
    const char* text = g_setting_rows[static_cast<size_t>(row)].choices[position];
    const HitRect& hit = g_hit_rects[row * SETTING_CHOICES + position];
    if (!text || hit.id == HIT_RECT_FREE) return;
    txt_draw_string(hit.x1 / 8 + 1, hit.y1 / MENU_ROW_H, text, colour);
}

}  // namespace

int32_t menu_system_menu() {
    int32_t x = 0, y = 0;
    win_get_mouse_pos(&x, &y);
    switch (menu_list_select(x / 8 + 2, y / MENU_ROW_H, g_system_menu_names.data(), -1, 1)) {
        case SYS_LOAD:
            keep_scene_palettes();
            if (save_load_game(-1)) {
                g_stage_end = 1;
                return 1;
            }
            back_to_map();
            return 0;
        case SYS_SAVE:
            keep_scene_palettes();
            save_save_game(-1);
            back_to_map();
            return 0;
        case SYS_SETTINGS: menu_settings_dialog(); return 0;
        case SYS_QUIT: return menu_prompt(-1, -1, "정말로 종료해도 좋습니까? { 예 }{ 아니오 }", 1) == 0 ? 1 : 0;
        default: return 0;
    }
}

void menu_settings_dialog() {
    menu_draw_window(-1, -1, 60, 7);
    menu_clear_hit_rects();
    for (int32_t r = 0; r < SETTING_ROWS; ++r) {
        const SettingRow& row = g_setting_rows[static_cast<size_t>(r)];
        const int32_t text_row = FIRST_ROW + 2 * r;
        txt_draw_string(12, text_row, row.label, 6);
        int32_t c = FIRST_CHOICE_COL;
        for (int32_t j = 0; j < SETTING_CHOICES; ++j) {
            const char* text = row.choices[j];
            if (!text) continue;
            const int32_t length = static_cast<int32_t>(std::strlen(text));
            menu_set_hit_rect(r * SETTING_CHOICES + j, c * 8, text_row * MENU_ROW_H, 8 * length + 16, MENU_ROW_H,
                              menu_hover_box_dark);
            txt_draw_string(c + 1, text_row, text, j == *row.option ? 15 : 5);
            c += length + 2 + row.gap;
        }
    }
    for (;;) {
        const int32_t k = menu_run(1, g_hit_rects, SETTING_ROWS * SETTING_CHOICES);
        if (k < 0) break;
        const int32_t r = k / SETTING_CHOICES, j = k % SETTING_CHOICES;
        if (r >= SETTING_ROWS) continue;
        int32_t* option = g_setting_rows[static_cast<size_t>(r)].option;
        draw_choice(r, *option, 5);
        *option = j;
        draw_choice(r, j, 15);
    }
    map_redraw_view();
    GameState& gs = *g_game_state;
    gs.word[GS_MUSIC_DEVICE] = static_cast<uint32_t>(g_music_device);
    gs.word[GS_OPT3] = static_cast<uint32_t>(g_game_opt3);
    gs.word[GS_OPT4] = static_cast<uint32_t>(g_game_opt4);
}

void settings_reset() {
    g_opt_move_anim = 1;
    g_opt_battle_real = 1;
    g_opt_battle_speed = 3;
    g_opt_side_marks = 1;
}
