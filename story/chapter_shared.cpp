// Steps that every chapter module's scripted events share.
#include "story/chapter_shared.h"

#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "story/message.h"
#include "story/scene_steps.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

namespace {

int32_t g_saved_side_marks = 1;
int32_t g_saved_move_anim = 1;
int32_t g_saved_zoom = -1;

constexpr int32_t BOSS_MUSIC = 12;

}  // namespace

void scn_cutscene_begin() {
    g_saved_side_marks = g_opt_side_marks;
    g_saved_move_anim = g_opt_move_anim;
    g_saved_zoom = g_zoom;
    g_opt_side_marks = 0;
    g_opt_move_anim = 1;
    g_zoom = -1;
    map_set_zoom(1);
}

void scn_cutscene_end() {
    g_opt_side_marks = g_saved_side_marks;
    g_opt_move_anim = g_saved_move_anim;
    // A saved zoom of -1 (before any view was set up) leaves the zoom as it is.
    map_set_zoom(g_saved_zoom);
}

void scn_stage_start_prologue() {
    scn_cutscene_begin();
    scn_clear_occupancy();
    g_view_x = 0;
    g_view_y = 0;
}

void scn_stage_start(std::span<const StageScene> stages) {
    scn_stage_start_prologue();
    for (const StageScene& s : stages) {
        if (s.stage != scn_stage_no()) continue;
        if (s.scene)
            s.scene();
        else
            scn_place_list(s.list);
        break;
    }
    scn_cutscene_end();
}

void scn_clear_occupancy() { std::memset(&g_occupancy, 0, sizeof g_occupancy); }

void scn_fade_out(int32_t delay) { gfx_fade_to_scene_wait(delay); }
void scn_fade_in(int32_t delay) { gfx_fade_to_wait(&g_default_palette, delay); }

void scn_white_flash(int32_t delay) {
    gfx_set_palette16(&g_white_palette);
    map_redraw_view();
    gfx_fade_to_wait(&g_default_palette, delay);
}

void scn_scroll_view(int32_t direction, int32_t steps) {
    for (int32_t i = 0; i < steps; ++i) {
        int32_t moved = 0;
        switch (direction) {
            case SCN_SCROLL_UP: moved = map_scroll_up(0); break;
            case SCN_SCROLL_RIGHT: moved = map_scroll_right(); break;
            case SCN_SCROLL_DOWN: moved = map_scroll_down(0); break;
            case SCN_SCROLL_LEFT: moved = map_scroll_left(); break;
            default: break;
        }
        if (!moved) return;
    }
}

void scn_wake_hidden_enemies(int32_t direction) {
    scn_scroll_view(direction, 10 / (g_zoom >= 1 ? g_zoom : 1));
    for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number == 0 || u.stats.ai_mode != AI_MODE_DORMANT) continue;
        u.stats.ai_mode =
            static_cast<int16_t>(u.stats.char_id == CHAR_SUMMONER_PARTNER ? AI_MODE_ADVANCE : AI_MODE_BOSS);
        map_move_unit_step(&u, 5);
    }
}

void scn_boss_music(const UnitRecord* target) {
    if (target && target->stats.ai_mode == AI_MODE_BOSS) snd_play_music(BOSS_MUSIC);
}

int32_t scn_boss_first_contact(UnitRecord* target, int32_t message, const char* speaker) {
    if (!target) return 0;
    if (target->stats.ai_mode == AI_MODE_BOSS_UNMET) {
        if (message >= 0) scn_message(message, speaker);
        target->stats.ai_mode = AI_MODE_BOSS;
    }
    scn_boss_music(target);
    return 0;
}

int32_t scn_boss_beaten(const UnitRecord* target) {
    return target && target->stats.ai_mode == AI_MODE_BOSS && target->stats.hp == 0 ? 1 : 0;
}

void scn_boss_aftermath(int32_t music, int32_t message, const char* speaker) {
    unit_remove_enemies();
    map_redraw_view();
    if (music == SCN_MUSIC_STAGE)
        scn_play_stage_music();
    else if (music >= 0)
        snd_play_music(music);
    if (message >= 0) scn_message(message, speaker);
    g_stage_end = 1;
}

int32_t scn_goal_reached(const UnitRecord* unit, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t message) {
    if (!unit || unit->x < x1 || unit->x > x2 || unit->y < y1 || unit->y > y2) return 0;
    if (message >= 0) scn_message(message);
    g_stage_end = 1;
    return 1;
}

void scn_message(int32_t id, const char* speaker) {
    if (speaker)
        txt_show_message(id, {speaker});
    else
        txt_show_message(id);
}

void scn_wait(int32_t n) { win_wait_units(n); }

void scn_place_list(const PlacementEntry* list) { unit_place_list(list); }

void scn_play_stage_music() {
    if (g_stage_index >= 0 && g_stage_index < static_cast<int32_t>(g_stage_music.size()))
        snd_play_music(g_stage_music[static_cast<size_t>(g_stage_index)]);
}

void scn_stage_map(int32_t stage, const PlacementEntry* list) {
    const bool known = stage >= 0 && stage < static_cast<int32_t>(g_stage_tileset.size());
    scn_scene_map(stage, known ? g_stage_tileset[static_cast<size_t>(stage)] : 0, list);
}

void scn_set_tile(int32_t x, int32_t y, uint8_t tile) {
    if (!map_on_map(x, y)) return;
    uint8_t& cell = g_map.cells[y * MAP_SIDE + x];
    cell = static_cast<uint8_t>((cell & MAP_MARK) | (tile & MAP_TILE_MASK));
    map_redraw_cell_abs(x, y);
}

void scn_colours_at_once(const Palette16* p) { gfx_fade_start(p, 0); }

HeapBlock scn_load_story_picture(const char* name, int32_t min_w, int32_t min_h) {
    HeapBlock picture(file_load_data(name));
    int32_t w = 0, h = 0;
    if (picture && gfx_picture_bits(picture.get(), &w, &h) && w >= min_w && h >= min_h) return picture;
    picture.reset();
    util_memory_error();
    return nullptr;
}

Palette16 scn_picture_colours(const uint8_t* picture) {
    Palette16 p{};
    gfx_get_palette16(picture, &p);
    return p;
}
