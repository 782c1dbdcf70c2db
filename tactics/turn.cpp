// Stage turn loop.
#include "tactics/turn.h"

#include <cstdio>

#include "platform/input.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "story/message.h"
#include "tactics/ai.h"
#include "tactics/command.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/pick.h"
#include "tactics/settings.h"
#include "tactics/status.h"
#include "tactics/units.h"

int32_t g_turn = 0;
int32_t g_stage_end = 0;
int32_t g_enemy_phase = 0;
Palette16 g_menu_saved_base_palette{};
Palette16 g_menu_saved_second_palette{};

const std::array<const char*, 7> g_map_command_names = {
    " 턴 종료 ", " 확대맵 ", " 축소맵 ", " 유닛 일람 ", " 클리어 조건 ", " 시스템 ", nullptr,
};

namespace {

constexpr int32_t CURSOR_HIDDEN = 7;
constexpr int32_t BANNER_TICKS = 120;
constexpr int32_t CLEAR_CONDITION_MESSAGE = 64;
constexpr int32_t PHASE_STATUS = 90;

enum MapCommand { CMD_END_TURN, CMD_ZOOM_IN, CMD_ZOOM_OUT, CMD_UNIT_LIST, CMD_GOAL, CMD_SYSTEM };

UnitRecord& slot(int32_t s) { return g_units[static_cast<size_t>(s)]; }

// The first record in use, searched from slot 0 to the table's end.
UnitRecord* first_in_use() {
    for (UnitRecord& u : g_units)
        if (u.number != 0) return &u;
    return nullptr;
}

void center_on_first_unit() {
    if (UnitRecord* u = first_in_use()) map_center_view_on(u->x, u->y);
}

// Shows a banner window (no wait) and keeps it for the given ticks or until
// a click; the view redrawn afterwards erases it.
void show_banner(const char* text) {
    menu_prompt(-1, -1, text, 0);
    turn_wait_ticks_or_click(BANNER_TICKS);
    map_redraw_view();
}

// The first turn's offer to save before the stage begins.
void save_prompt() {
    if (menu_prompt(-1, -1, "저장하겠습니까? { 예 }{ 아니오 }", 1) != 0) return;
    g_menu_saved_base_palette = g_scene_base_palette;
    g_menu_saved_second_palette = g_scene_second_palette;
    save_save_game(-1);
    gfx_set_scene_palettes(&g_menu_saved_base_palette, &g_menu_saved_second_palette, &g_scene_palette);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, 1);
}

void turn_start() {
    unit_clear_acted_flags();
    scn_turn_start();
    center_on_first_unit();
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) turn_unit_regen(&slot(s));
    if (g_stage_index >= 1 && g_turn == 0) save_prompt();
}

// Phase bookkeeping: when one side's phase starts, the other side's records
// in use and not knocked out get status 90.
void mark_phase_status(int32_t from, int32_t to) {
    for (int32_t s = from; s < to; ++s) {
        UnitRecord& u = slot(s);
        if (u.number != 0 && u.status >= 0) u.status = PHASE_STATUS;
    }
}

enum class PlayerEnd { EndTurn, StageEnd, Defeat, Leave };

// The map command menu at the pointer. true when the system menu leaves the
// stage (GameState word 0 set); *end_turn when the turn is given up.
bool map_command_menu(bool* end_turn) {
    int32_t mx = 0, my = 0;
    win_get_mouse_pos(&mx, &my);
    snd_play_effect(SFX_CLICK);
    const int32_t choice = menu_list_select(mx / 8 + 2, my / MENU_ROW_H, g_map_command_names.data(), -1, 1);
    switch (choice) {
        case CMD_END_TURN:
            if (menu_prompt(-1, -1, "적의 턴으로 이동해도 좋습니까? {  예  }{ 아니오 }", 1) == 0) *end_turn = true;
            break;
        case CMD_ZOOM_IN:
            map_set_zoom(1);
            map_redraw_view();
            break;
        case CMD_ZOOM_OUT:
            map_set_zoom(2);
            map_redraw_view();
            break;
        case CMD_UNIT_LIST: menu_party_list(); break;
        case CMD_GOAL: txt_show_message(CLEAR_CONDITION_MESSAGE); break;
        case CMD_SYSTEM:
            if (menu_system_menu()) {
                GameState& gs = *g_game_state;
                if (g_stage_end) {
                    // A game was loaded: go on with its chapter from the save.
                    const int32_t chapter = scn_part_of_stage(g_stage_index);
                    gs.word[GS_CHAPTER] = static_cast<uint32_t>(chapter <= 5 ? chapter : 0);
                    gs.word[GS_RESUME] = 1;
                } else {
                    gs.word[GS_CHAPTER] = 0;
                }
                return true;
            }
            break;
        default: break;  // cancelled
    }
    return false;
}

// The player phase: picks and orders until the turn is given up, the stage
// ends, the leaders fall or the system menu leaves the stage.
PlayerEnd player_phase() {
    bool end_turn = false;
    while (!g_stage_end && !end_turn) {
        int32_t x = 0, y = 0;
        if (map_pick_cell(&x, &y, PICK_ANY) != 1) {
            if (map_command_menu(&end_turn)) return PlayerEnd::Leave;
            continue;
        }
        if (!map_on_map(x, y)) continue;  // a pick outside the stage names no cell
        if (UnitRecord* u = unit_at_cell(x, y)) {
            snd_play_effect(SFX_CLICK);
            menu_unit_command(u->number - 1);
            if (turn_leaders_fallen()) return PlayerEnd::Defeat;
        } else {
            map_show_terrain_info(x, y);
            gfx_restore_screen();
        }
    }
    return g_stage_end ? PlayerEnd::StageEnd : PlayerEnd::EndTurn;
}

// The spirit acts first, toward the unit that summoned it (no goal when that
// unit is gone).
void spirit_act() {
    UnitRecord* spirit = unit_find_spirit();
    if (!spirit || spirit->acted != 0) return;
    win_set_cursor_shape(CURSOR_HIDDEN);
    win_cursor_flag_on();
    const UnitRecord* summoner = unit_find_by_char_id(CHAR_SUMMONER);
    ai_unit_act(spirit, summoner ? summoner->x : -1, summoner ? summoner->y : -1);
    win_cursor_flag_off();
    win_set_cursor_shape(0);
    // Not after a blow that started the ending: the map is gone.
    if (map_view_available()) map_redraw_view();
}

bool can_act(const UnitRecord& u) { return u.number != 0 && u.stats.hp != 0; }

}  // namespace

void turn_wait_ticks_or_click(int32_t ticks) {
    win_discard_clicks();
    win_wait_click_or_ticks(ticks);
}

void turn_unit_regen(UnitRecord* unit) {
    if (!unit || unit->number == 0) return;
    UnitStats& s = unit->stats;
    if (s.ai_mode == AI_MODE_PLAYER && s.hp == 0 && unit->status < 0) {
        ++unit->status;
        if (unit->status == 0) s.hp = s.max_hp;
    }
    if (s.hp == 0 || s.hp == s.max_hp) return;
    // max HP x 30 / 100 is max HP x 3 / 10 (and x 20 / 100 x 2 / 10) to the
    // last integer.
    const int32_t gain = s.max_hp * map_terrain_heal_percent(map_terrain_class_at(unit->x, unit->y)) / 100;
    const int32_t hp = s.hp + gain;
    s.hp = static_cast<int16_t>(hp < s.max_hp ? hp : s.max_hp);
}

void turn_enemy_phase() {
    win_set_cursor_shape(CURSOR_HIDDEN);
    win_cursor_flag_on();
    for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        // Once a hook has ended the stage nobody else moves.
        if (g_stage_end) break;
        UnitRecord& u = slot(s);
        if (!can_act(u) || u.stats.ai_mode == AI_MODE_IDLE || u.acted != 0) continue;
        scn_enemy_act(&u);
        if (turn_leaders_fallen() || g_stage_end) break;
        // A unit of AI_MODE_ACTS_TWICE acts a second time, if it is still standing.
        if (u.stats.ai_mode == AI_MODE_ACTS_TWICE && can_act(u)) {
            scn_enemy_act(&u);
            if (turn_leaders_fallen()) break;
        }
    }
    win_cursor_flag_off();
    win_set_cursor_shape(0);
}

int32_t turn_run_stage_battle(int32_t resuming) {
    char banner[96];
    for (;;) {
        if (!resuming) turn_start();
        resuming = 0;
        mark_phase_status(UNIT_PARTY_SLOTS, UNIT_SLOTS);

        g_tick_counter = 0;
        map_redraw_view();
        std::snprintf(banner, sizeof banner, "*턴%d：%s일행의 행동", g_turn + 1, g_char_names[1]);
        snd_play_effect(SFX_DRUM);
        show_banner(banner);

        switch (player_phase()) {
            case PlayerEnd::Defeat: return 2;
            case PlayerEnd::Leave: return 0;
            case PlayerEnd::StageEnd: return 1;
            case PlayerEnd::EndTurn: break;
        }

        mark_phase_status(0, UNIT_PARTY_SLOTS);
        for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) turn_unit_regen(&slot(s));
        g_tick_counter = 0;
        g_enemy_phase = 1;

        spirit_act();
        if (g_stage_end) {
            g_enemy_phase = 0;
            return 1;
        }

        g_tick_counter = 0;
        map_redraw_view();
        show_banner("*적의 행동");

        for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s)
            if (slot(s).number != 0) slot(s).acted = 1;
        turn_enemy_phase();
        g_enemy_phase = 0;

        if (turn_leaders_fallen()) return 2;
        if (g_stage_end) return 1;
        ++g_turn;
    }
}

void turn_reset() {
    g_turn = 0;
    g_stage_end = 0;
    g_enemy_phase = 0;
    g_menu_saved_base_palette = {};
    g_menu_saved_second_palette = {};
}
