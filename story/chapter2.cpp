// Chapter 2 (stages 2 to 15): the stage scenes and where the party starts,
// the turn-start events, the goal cells, the bosses and their ends.
#include <cstdlib>
#include <memory>

#include "platform/draw.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/chapters.h"
#include "story/hooks.h"
#include "story/message.h"
#include "story/scene_steps.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/settings.h"
#include "tactics/turn.h"
#include "tactics/units.h"

namespace {

// --- placement lists -----------------------------------------------------------------

const PlacementEntry STAGE_2[] = {{1, 4, 17}, {2, 3, 17}, {-1, 0, 0}};
const PlacementEntry STAGE_3_SCENE[] = {{1, 8, 5}, {2, 9, 5}, {3, 10, 5}, {-1, 0, 0}};
const PlacementEntry STAGE_3[] = {{1, 6, 28}, {2, 5, 28}, {3, 5, 27}, {-1, 0, 0}};
const PlacementEntry STAGE_4[] = {{1, 19, 4}, {2, 20, 4}, {3, 38, 20}, {4, 37, 20}, {-1, 0, 0}};
const PlacementEntry STAGE_5_SCENE[] = {{1, 19, 30}, {2, 20, 30}, {3, 20, 29}, {4, 21, 30}, {-1, 0, 0}};
const PlacementEntry STAGE_5_SCENE_2[] = {{1, 8, 5}, {2, 9, 5}, {3, 10, 5}, {4, 9, 6}, {-1, 0, 0}};
const PlacementEntry STAGE_5[] = {{1, 3, 1}, {2, 4, 1}, {3, 3, 0}, {4, 2, 1}, {-1, 0, 0}};
const PlacementEntry STAGE_6[] = {{1, 33, 15}, {2, 34, 15}, {3, 34, 14}, {4, 34, 16}, {-1, 0, 0}};
const PlacementEntry STAGE_7[] = {{1, 5, 21}, {2, 4, 21}, {3, 5, 20}, {4, 6, 21}, {-1, 0, 0}};
const PlacementEntry STAGE_8_SCENE[] = {{1, 9, 8}, {2, 8, 8}, {3, 10, 8}, {4, 9, 9}, {-1, 0, 0}};
const PlacementEntry STAGE_8[] = {{1, 18, 28}, {2, 17, 28}, {3, 19, 28}, {4, 18, 29}, {-1, 0, 0}};
const PlacementEntry STAGE_9_SCENE[] = {{1, 9, 9}, {2, 8, 9}, {3, 10, 9}, {4, 9, 10}, {-1, 0, 0}};
const PlacementEntry STAGE_9[] = {{1, 9, 22}, {2, 10, 22}, {3, 8, 22}, {4, 9, 21}, {-1, 0, 0}};
const PlacementEntry STAGE_10_SCENE[] = {{1, 21, 4}, {2, 19, 4}, {3, 20, 5}, {4, 20, 4}, {-1, 0, 0}};
const PlacementEntry STAGE_10[] = {{1, 19, 20}, {2, 20, 20}, {3, 18, 20}, {4, 19, 21}, {-1, 0, 0}};
const PlacementEntry STAGE_11[] = {{1, 19, 23}, {2, 20, 23}, {3, 19, 22}, {4, 18, 23}, {5, 17, 23}, {-1, 0, 0}};
const PlacementEntry STAGE_12[] = {{1, 8, 29}, {2, 9, 29}, {3, 9, 30}, {4, 10, 29}, {5, 10, 30}, {-1, 0, 0}};
const PlacementEntry STAGE_13[] = {{1, 5, 15}, {2, 4, 15}, {3, 4, 14}, {4, 4, 16}, {5, 3, 15}, {-1, 0, 0}};
const PlacementEntry STAGE_14_SCENE[] = {{1, 8, 5}, {2, 7, 6}, {3, 9, 7}, {4, 10, 6}, {5, 9, 5}, {-1, 0, 0}};
const PlacementEntry STAGE_14[] = {{1, 25, 20}, {2, 24, 20}, {3, 24, 19}, {4, 24, 21}, {5, 23, 20}, {-1, 0, 0}};
const PlacementEntry STAGE_15[] = {{1, 36, 27}, {2, 37, 27}, {3, 35, 27}, {4, 37, 28}, {5, 36, 28}, {-1, 0, 0}};

// --- helpers --------------------------------------------------------------------------

void poses(std::initializer_list<int32_t> classes, int32_t frame) {
    for (int32_t c : classes) map_apply_walk_sprite(c, frame);
    map_redraw_view();
}

UnitRecord* member(int32_t char_id) { return unit_find_by_char_id(char_id); }

// One step of a party member, then the pose of its class.
void dance_step(int32_t char_id, int32_t direction, int32_t frame) {
    UnitRecord* u = member(char_id);
    if (!u) return;
    scn_walk(u, direction, 1);
    scn_pose(u->stats.class_id, frame);
}

// A walk-on unit appears with the vanishing sound, then a pause.
UnitRecord* appear(int32_t class_id, int32_t x, int32_t y) {
    snd_play_effect(SFX_VANISH);
    UnitRecord* u = scn_extra(class_id, x, y);
    scn_wait(30);
    return u;
}

void vanish(UnitRecord*& unit) {
    snd_play_effect(SFX_VANISH);
    scn_leave(unit);
}

// A story still, or nothing after "Memory Error".
HeapBlock load_still(const char* name) { return scn_load_story_picture(name, 1, 1); }

constexpr int32_t STILL_X = 160;
constexpr int32_t STILL_Y = 100;

void draw_still(const uint8_t* picture) { gfx_blit_image(STILL_X / 8, STILL_Y, picture); }

// Waits for a click of either button, one wait unit between polls; the
// clicks made before are dropped.
void wait_click() {
    win_discard_clicks();
    win_wait_click_either(1);
}

// --- stage scenes ---------------------------------------------------------------------

void stage2() {
    scn_stage_map(1, STAGE_2);
    scn_centre_on_char(CHAR_LEADER);
    snd_play_music(8);
    scn_fade_in(2);
    scn_message(48);
    scn_wait(30);
    scn_message(49);
    dance_step(2, 3, 4);
    dance_step(1, 1, 7);
    dance_step(2, 2, 1);
    dance_step(1, 0, 10);
    dance_step(2, 1, 7);
    dance_step(1, 3, 4);
    dance_step(2, 1, 7);
    dance_step(2, 0, 10);
    snd_play_music(9);
    UnitRecord* visitor = scn_extra(61, 4, 10);
    scn_walk(visitor, 2, 4);
    scn_wait(60);
    scn_message(50);
    scn_walk(member(CHAR_LEADER), 0, 1);
    scn_message(51);
    scn_scene_close(STAGE_2);
}

void stage3() {
    scn_scene_map(52, 4, STAGE_3_SCENE);
    scn_extra(61, 9, 2);
    poses({0, 2, 4}, 10);
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    UnitRecord* caller = scn_extra(6, 9, 12);
    scn_walk(caller, 0, 4);
    scn_message(49);
    scn_scene_close(STAGE_3);
}

void stage4() {
    scn_play_stage_music();
    scn_message(48);
    scn_fade_out(2);
    scn_wait(30);
    scn_message(49);
    scn_fade_out(2);
    scn_scene_map(51, g_stage_tileset[3], STAGE_4);
    poses({0, 2}, 10);
    UnitRecord* stranger = scn_extra(54, 19, 1);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(50);
    UnitRecord* demon = appear(21, 19, 0);
    scn_message(51);
    vanish(demon);
    scn_wait(30);
    scn_message(52);
    // It changes shape, slower and slower, and ends as class 20.
    for (int32_t n = 20; n >= 0; --n) {
        if (stranger) {
            stranger->stats.class_id = static_cast<int16_t>(n % 2 ? 54 : 20);
            map_redraw_cell_abs(stranger->x, stranger->y);
        }
        scn_wait(n / 2);
    }
    scn_wait(30);
    scn_message(53);
    scn_scene_close(STAGE_4);
}

void stage5() {
    scn_scene_map(3, g_stage_tileset[3], STAGE_5_SCENE);
    UnitRecord* ghost = scn_extra(60, 20, 31);
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(55);
    scn_blink_out(ghost);
    scn_wait(60);
    scn_message(56);
    scn_fade_out(2);
    scn_scene_map(52, 4, STAGE_5_SCENE_2);
    scn_extra(61, 9, 2);
    g_view_x = 0;
    g_view_y = 0;
    poses({0, 2, 4, 6}, 10);
    scn_play_stage_music();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    scn_wait(120);
    scn_message(49);
    UnitRecord* second = member(CHAR_SECOND_LEADER);
    scn_walk(second, 0, 2);
    scn_walk(second, 3, 1);
    scn_walk(second, 0, 1);
    scn_wait(120);
    scn_message(50);
    scn_scene_close(STAGE_5);
}

void stage7() {
    scn_stage_map(6, STAGE_7);
    scn_play_stage_music();
    scn_message(48, "???");
    scn_fade_out(2);
    UnitRecord* elder = scn_extra(27, 5, 24);
    scn_pose(27, 10);
    scn_centre_on_char(CHAR_LEADER);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(49);
    scn_wait(30);
    scn_message(50);
    scn_walk(member(CHAR_LEADER), 2, 1);
    scn_message(51);
    scn_walk(member(CHAR_BACCHUS), 2, 1);
    scn_wait(30);
    scn_message(52);
    scn_walk(elder, 2, 1);
    scn_leave(elder);
    scn_wait(60);
    scn_message(53);
    scn_scene_close(STAGE_7);
}

void stage8() {
    scn_message(97);
    scn_fade_out(2);
    scn_scene_map(53, 1, STAGE_8_SCENE);
    poses({0, 2, 4, 6}, 10);
    scn_extra(64, 9, 5);
    scn_fade_in(2);
    snd_play_music(8);
    scn_message(98, "모친");
    scn_fade_out(2);
    scn_stage_map(7, STAGE_8);
    scn_play_stage_music();
    scn_extra(55, 19, 5);
    if (const UnitRecord* lord = scn_extra(31, 19, 4)) map_center_view_on(lord->x, lord->y);
    scn_fade_in(2);
    scn_message(48, g_class_names[CLASS_VAMPIRE]);
    scn_scroll_view(SCN_SCROLL_DOWN, MAP_SIDE);
    scn_wait(30);
    scn_message(49);
    scn_scene_close(STAGE_8);
}

void stage9() {
    scn_scene_map(53, 1, STAGE_9_SCENE);
    poses({0, 2, 4, 6}, 10);
    scn_extra(56, 10, 5);
    scn_extra(64, 9, 5);
    UnitRecord* child = scn_extra(55, 9, 8);
    snd_play_music(10);
    scn_fade_in(2);
    scn_message(97, "아이");
    scn_walk(child, 0, 2);
    scn_message(98, "모친");
    scn_message(99);
    scn_scene_close(STAGE_9);
}

void stage10() {
    const int32_t prev = g_stage_index - 1;
    scn_scene_map(prev, g_stage_tileset[static_cast<size_t>(prev)], STAGE_10_SCENE);
    scn_pose_party(10);
    scn_centre_on_char(CHAR_BACCHUS);
    snd_play_music(g_stage_music[static_cast<size_t>(prev)]);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    UnitRecord* fourth = member(CHAR_BACCHUS);
    scn_step_quietly(fourth, 0);
    scn_step_quietly(fourth, 0);
    scn_white_flash(1);
    scn_wait(60);
    scn_walk(fourth, 2, 1);
    scn_message(49);
    if (scn_extra(8, 20, 2)) {
        uint8_t& cell = g_map.cells[2 * MAP_SIDE + 20];
        cell = static_cast<uint8_t>((cell & MAP_MARK) | (((cell & MAP_TILE_MASK) + 1) & MAP_TILE_MASK));
        map_redraw_cell_abs(20, 2);
    }
    scn_wait(30);
    scn_message(50);
    scn_wait(60);
    scn_message(51);
    scn_fade_out(2);

    scn_stage_map(9, STAGE_10);
    UnitRecord* sage = scn_extra(8, 19, 19);
    map_apply_walk_sprite(8, 10);
    scn_pose_party(10);
    scn_centre_on_char(CHAR_LEADER);
    scn_play_stage_music();
    scn_fade_in(2);
    scn_message(52);
    UnitRecord* knight = appear(50, 19, 16);
    UnitRecord* shade = appear(49, 20, 16);
    scn_message(53);
    vanish(shade);
    scn_wait(30);
    scn_message(54);
    // The sage strikes: a flash while the knight is thrown back.
    scn_step_quietly(sage, 0);
    scn_step_quietly(sage, 0);
    gfx_set_palette16(&g_white_palette);
    gfx_fade_to(&g_default_palette, 1);
    scn_step_quietly(knight, 0);
    scn_step_quietly(sage, 2);
    scn_step_quietly(sage, 2);
    while (g_fade_running) win_wait_units(1);
    scn_wait(30);
    scn_message(55);
    scn_scene_close(STAGE_10);
}

void stage11() {
    scn_stage_map(10, STAGE_11);
    snd_play_music(9);
    scn_message(48);
    scn_fade_out(2);
    scn_extra(35, 18, 16);
    scn_extra(35, 19, 16);
    map_apply_walk_sprite(35, 10);
    scn_pose_party(10);
    scn_centre_on_char(CHAR_WINIA);
    scn_fade_in(2);
    scn_wait(60);
    txt_show_message(49, {"오크A", "오크B"});
    snd_play_music(-1);  // music off
    scn_wait(60);
    txt_show_message(50, {"오크A", "오크B"});
    scn_message(51);
    scn_fade_out(1);
    map_free_map_graphics();
    scn_clear_occupancy();
    scn_place_list(STAGE_11);
}

void stage14() {
    scn_scene_map(54, 1, STAGE_14_SCENE);
    map_apply_walk_sprite(2, 7);
    map_apply_walk_sprite(6, 4);
    map_apply_walk_sprite(4, 10);
    UnitRecord* barkeeper = scn_extra(58, 9, 2);
    map_redraw_view();
    snd_play_music(10);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    scn_walk(barkeeper, 1, 3);
    scn_walk(barkeeper, 2, 3);
    scn_walk(barkeeper, 3, 2);
    scn_message(49, "바텐");
    scn_scene_close(STAGE_14);
}

// --- turn-start events ------------------------------------------------------------------

// The vision of stage 3: the still on black, then the story text.
void vision3() {
    const Palette16 kept_base = g_scene_base_palette;
    const Palette16 kept_second = g_scene_second_palette;
    g_colour_cycle_block = 1;
    scn_fade_out(2);
    gfx_clear_screen();
    gfx_set_palette16(&g_default_palette);
    scn_message(52);
    scn_fade_out(2);
    snd_play_music(-1);  // music off
    if (HeapBlock still = load_still("c:vis03.gem")) {
        gfx_clear_screen();
        draw_still(still.get());
        const Palette16 colours = scn_picture_colours(still.get());
        gfx_set_scene_palettes(&colours, nullptr, &g_scene_palette);
        snd_play_music(8);
        scn_fade_in(2);
        scn_wait(240);
        scn_fade_out(2);
    }
    gfx_set_scene_palettes(&g_story_palette, nullptr, &g_scene_palette);
    gfx_clear_screen();
    scn_message(53);
    scn_fade_out(2);
    gfx_set_scene_palettes(&kept_base, &kept_second, &g_scene_palette);
    map_redraw_view();
    scn_fade_in(2);
    g_colour_cycle_block = 0;
    scn_play_stage_music();
    scn_message(54);
}

// --- the end of stage 15 ----------------------------------------------------------------

constexpr int32_t WIPE_STEPS = 10;
constexpr int32_t WIPE_STEP_W = 32;
constexpr int32_t WIPE_RIGHT = 608;
constexpr int32_t WIPE_CENTRE = 320;

void black_span(int32_t x, int32_t w) {
    if (w > 0) gfx_fill_rect(x, 0, x + w - 1, SCREEN_H - 1, 0);
}

void vision15() {
    scn_fade_out(8);
    g_colour_cycle_block = 1;
    HeapBlock behind = load_still("c:vis15b.gem");
    HeapBlock front = load_still("c:vis15a.gem");
    if (behind && front) {
        gfx_clear_screen();
        draw_still(behind.get());
        gfx_copy_rect(g_background_dib, 0, 0, g_back_dib, 0, 0, SCREEN_W, SCREEN_H);
        draw_still(front.get());
        const Palette16 colours = scn_picture_colours(front.get());
        gfx_set_scene_palettes(&colours, nullptr, &g_scene_palette);
        scn_fade_in(2);
        wait_click();
        // Close in from both sides.
        for (int32_t step = 1; step <= WIPE_STEPS; ++step) {
            black_span(0, WIPE_STEP_W * step);
            black_span(WIPE_RIGHT - WIPE_STEP_W * step, WIPE_STEP_W * step);
            sys_invalidate(g_hwnd_game);
            win_wait_units(1);
        }
        gfx_fade_start(&colours, 0);
        // Open out from the middle onto the picture behind.
        for (int32_t step = 1; step <= WIPE_STEPS; ++step) {
            const int32_t w = WIPE_STEP_W * step;
            gfx_copy_rect(g_back_dib, WIPE_CENTRE - w / 2, 0, g_background_dib, WIPE_CENTRE - w / 2, 0, w, SCREEN_H);
            sys_invalidate(g_hwnd_game);
            win_wait_units(1);
        }
        wait_click();
        scn_fade_out(2);
    }
    g_stage_end = 1;
    g_colour_cycle_block = 0;
}

}  // namespace

void scn_ch2_stage_start() {
    static constexpr StageScene stages[] = {
        {2, stage2, nullptr},   {3, stage3, nullptr},    {4, stage4, nullptr},    {5, stage5, nullptr},
        {6, nullptr, STAGE_6},  {7, stage7, nullptr},    {8, stage8, nullptr},    {9, stage9, nullptr},
        {10, stage10, nullptr}, {11, stage11, nullptr},  {12, nullptr, STAGE_12}, {13, nullptr, STAGE_13},
        {14, stage14, nullptr}, {15, nullptr, STAGE_15},
    };
    scn_stage_start(stages);
}

void scn_ch2_turn_start() {
    const int32_t stage = scn_stage_no();
    if (stage == 3 && g_turn == 3) {
        vision3();
        return;
    }
    if (g_turn != 0) return;
    switch (stage) {
        case 2: scn_message(52); break;
        case 3: scn_message(50); break;
        case 4: {
            const UnitRecord* a = member(CHAR_LEADER);
            const UnitRecord* b = member(CHAR_BACCHUS);
            if (a && b) {
                const int32_t dx = b->x - a->x, dy = b->y - a->y;
                scn_scroll_view(dx >= 0 ? SCN_SCROLL_RIGHT : SCN_SCROLL_LEFT, dx >= 0 ? dx : -dx);
                scn_scroll_view(dy >= 0 ? SCN_SCROLL_DOWN : SCN_SCROLL_UP, dy >= 0 ? dy : -dy);
            }
            scn_message(54);
            break;
        }
        case 5:
        case 14: scn_message(51); break;
        case 6:
            scn_message(48);
            scn_wake_hidden_enemies(SCN_SCROLL_LEFT);
            scn_wait(60);
            scn_message(49);
            break;
        case 9:
        case 12:
        case 15: scn_message(48); break;
        case 13:
            scn_message(48);
            scn_wake_hidden_enemies(SCN_SCROLL_RIGHT);
            scn_wait(60);
            scn_message(49);
            break;
        default: break;
    }
}

int32_t scn_ch2_unit_moved(UnitRecord* unit, int32_t, int32_t) {
    if (!unit) return 0;
    switch (scn_stage_no()) {
        case 2: return scn_goal_reached(unit, 37, 17, 38, 18, 53);
        case 3: return scn_goal_reached(unit, 34, 4, 34, 4, 51);
        case 4: {
            // The first move calls the stranger down to the south gate.
            UnitRecord* stranger = member(CHAR_HENRY);
            if (!stranger || stranger->stats.ai_mode != AI_MODE_BOSS_UNMET) return 0;
            snd_play_effect(SFX_VANISH);
            scn_off_grid(stranger);
            scn_wait(60);
            map_center_view_on(20, 31);
            scn_put_at(stranger, 20, 31);
            map_redraw_view();
            snd_play_effect(SFX_VANISH);
            scn_wait(60);
            stranger->stats.ai_mode = AI_MODE_BOSS;
            return 0;
        }
        case 5: return scn_goal_reached(unit, 36, 15, 36, 15, 52);
        case 7: return scn_goal_reached(unit, 24, 0, 24, 0, 54);
        case 12: return scn_goal_reached(unit, 12, 1, 12, 1, 49);
        default: return 0;
    }
}

int32_t scn_ch2_before_battle(UnitRecord*, UnitRecord* second) {
    if (!second) return 0;
    const bool contact = second->stats.ai_mode == AI_MODE_BOSS_UNMET;
    switch (scn_stage_no()) {
        case 8: return scn_boss_first_contact(second, 50, nullptr);
        case 9: return scn_boss_first_contact(second, 49, g_class_names[CLASS_ORC]);
        case 10:
            if (!contact) break;
            // The sage takes the knight away before any blow.
            scn_message(56);
            snd_play_effect(SFX_VANISH);
            map_move_unit_step(second, 6);
            scn_wait(60);
            scn_message(57);
            scn_white_flash(1);
            scn_message(97);
            scn_message(98);
            g_stage_end = 1;
            return 1;
        case 14: return scn_boss_first_contact(second, 52, "병사");
        case 15:
            if (contact) {
                scn_message(49, g_class_names[CLASS_WYVERN]);
                scn_wait(60);
            }
            return scn_boss_first_contact(second, 50, nullptr);
        default: break;
    }
    scn_boss_music(second);
    return 0;
}

void scn_ch2_after_battle(UnitRecord*, UnitRecord* second) {
    const int32_t stage = scn_stage_no();
    if (stage == 11) {
        if (unit_count_live_enemies() != 0) return;
        unit_remove_enemies();
        map_redraw_view();
        scn_message(52);
        g_stage_end = 1;
        return;
    }
    if (!scn_boss_beaten(second)) return;
    switch (stage) {
        case 4: g_stage_end = 1; break;
        case 6: scn_boss_aftermath(SCN_MUSIC_STAGE, 50, nullptr); break;
        case 8: {
            // The lord's body stays a moment, then fades in the light.
            const UnitStats body_stats = second->stats;
            UnitRecord* body = unit_place_new(second->x, second->y, &body_stats);
            unit_remove_enemies();
            map_redraw_view();
            snd_play_music(8);
            scn_message(51);
            gfx_fade_to(&g_white_palette, 4);
            if (body) map_move_unit_step(body, 6);
            while (g_fade_running) win_wait_units(1);
            map_redraw_view();
            scn_fade_in(4);
            scn_wait(60);
            scn_message(52);
            g_stage_end = 1;
            break;
        }
        case 9: scn_boss_aftermath(SCN_MUSIC_KEEP, 50, nullptr); break;
        case 13: scn_boss_aftermath(SCN_MUSIC_STAGE, 50, nullptr); break;
        case 14:
            snd_play_music(9);
            unit_remove_enemies();
            map_redraw_view();
            scn_wait(30);
            scn_extra(12, 6, 3);
            map_redraw_view();
            scn_wait(30);
            scn_message(53);
            g_stage_end = 1;
            break;
        case 15: {
            scn_play_stage_music();
            unit_remove_enemies();
            map_redraw_view();
            scn_message(51, g_class_names[CLASS_WYVERN]);
            scn_fade_out(2);
            if (UnitRecord* ally = member(CHAR_FOAL)) {
                scn_off_grid(ally);
                ally->stats.char_id = CHAR_AARON;
                scn_put_at(ally, 3, 11);
            }
            map_redraw_view();
            scn_fade_in(2);
            scn_white_flash(4);
            scn_wait(30);
            scn_white_flash(4);
            scn_wait(60);
            scn_message(52);
            vision15();
            break;
        }
        default: break;
    }
}
