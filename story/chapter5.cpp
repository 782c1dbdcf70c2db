// Chapter 5 (stages 34 to 40): the stage scenes and where the party starts,
// the turn-start events with the reinforcements of stage 40, the goal cells,
// the teleport pads and the ambush of stage 38, the bosses, the three forms
// of the last enemy and the closing scene that hands over to the ending.
#include "story/chapter5.h"

#include <array>
#include <cstdint>
#include <utility>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/heap.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/chapters.h"
#include "story/hooks.h"
#include "story/scene_steps.h"
#include "story/title.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"

const std::array<std::pair<int32_t, int32_t>, 4> g_teleport_pads = {{{5, 8}, {13, 16}, {28, 16}, {36, 8}}};

namespace {

constexpr int32_t AMBUSH_MUSIC = 12;
// The final chamber's 3 x 3 tiles, row by row, as the characters' codes.
constexpr char CHAMBER_TILES[] = "PQRSTUVde";
constexpr int32_t CLEARED_TILE = 4;
constexpr int32_t ALTAR_TILE = 96;
constexpr int32_t STILL_X = 160, STILL_Y = 100, STILL_W = 320, STILL_H = 200;

UnitRecord* member(int32_t char_id) { return unit_find_by_char_id(char_id); }

uint8_t& occ_at(int32_t x, int32_t y) { return g_occupancy.cells[y * MAP_SIDE + x]; }

// The unit stands on the grid: its cell holds its number.
bool on_grid(const UnitRecord* u) {
    return scn_in_use(u) && map_on_map(u->x, u->y) && (occ_at(u->x, u->y) & OCC_UNIT_MASK) == u->number;
}

// --- placement lists -----------------------------------------------------------------

const PlacementEntry STAGE_34[] = {{1, 5, 29}, {2, 6, 29}, {3, 3, 30}, {4, 4, 29}, {5, 3, 29},
                                   {6, 5, 30}, {7, 6, 30}, {8, 4, 30}, {-1, 0, 0}};
const PlacementEntry STAGE_35_SCENE[] = {{1, 22, 6}, {2, 23, 6}, {3, 21, 8}, {4, 23, 7}, {5, 22, 7},
                                         {6, 21, 7}, {7, 23, 8}, {8, 22, 8}, {-1, 0, 0}};
const PlacementEntry STAGE_35[] = {{1, 18, 4}, {2, 19, 4}, {3, 20, 3}, {4, 17, 3}, {5, 18, 3},
                                   {6, 20, 4}, {7, 17, 4}, {8, 19, 3}, {-1, 0, 0}};
const PlacementEntry STAGE_36[] = {{1, 20, 9},  {2, 21, 9},  {3, 19, 11}, {4, 19, 10}, {5, 20, 10},
                                   {6, 21, 10}, {7, 21, 11}, {8, 20, 11}, {-1, 0, 0}};
const PlacementEntry STAGE_37[] = {{1, 21, 22}, {2, 22, 22}, {3, 19, 23}, {4, 19, 22}, {5, 20, 22},
                                   {6, 21, 23}, {7, 22, 23}, {8, 20, 23}, {-1, 0, 0}};
const PlacementEntry STAGE_38[] = {{1, 21, 30}, {2, 22, 30}, {3, 19, 31}, {4, 19, 30}, {5, 20, 30},
                                   {6, 21, 31}, {7, 22, 31}, {8, 20, 31}, {-1, 0, 0}};
const PlacementEntry AMBUSH[] = {{1, 20, 9},  {2, 21, 9},  {3, 19, 10}, {4, 22, 9}, {5, 19, 9},
                                 {6, 21, 10}, {7, 22, 10}, {8, 20, 10}, {-1, 0, 0}};
const PlacementEntry STAGE_39_SCENE[] = {{1, 21, 6}, {2, 20, 7}, {3, 22, 4}, {4, 22, 5}, {5, 21, 5},
                                         {6, 20, 4}, {7, 20, 5}, {8, 20, 6}, {-1, 0, 0}};
const PlacementEntry STAGE_39[] = {{1, 19, 20}, {2, 20, 20}, {3, 17, 21}, {4, 17, 20}, {5, 18, 20},
                                   {6, 19, 21}, {7, 20, 21}, {8, 18, 21}, {-1, 0, 0}};
// Stage 40's first scene, and the closing scene, on stage 39's map.
const PlacementEntry ALTAR[] = {{1, 19, 7}, {2, 20, 7}, {3, 17, 8}, {4, 17, 7}, {5, 18, 7},
                                {6, 19, 8}, {7, 20, 8}, {8, 18, 8}, {-1, 0, 0}};
const PlacementEntry STAGE_40[] = {{1, 19, 15}, {2, 20, 15}, {3, 18, 17}, {4, 18, 16}, {5, 19, 16},
                                   {6, 20, 16}, {7, 20, 17}, {8, 19, 17}, {-1, 0, 0}};

// --- scene helpers --------------------------------------------------------------------

void previous_stage_map(const PlacementEntry* list) { scn_stage_map(g_stage_index - 1, list); }

void centre_on(const UnitRecord* u) {
    if (u) map_center_view_on(u->x, u->y);
    map_redraw_view();
}

void fade_to_white() { gfx_fade_to_wait(&g_white_palette, 4); }

// A walk-on unit appears or leaves with the vanishing sound.
UnitRecord* appear(int32_t class_id, int32_t x, int32_t y) {
    snd_play_effect(SFX_VANISH);
    return scn_extra(class_id, x, y);
}
void vanish(UnitRecord*& unit) {
    snd_play_effect(SFX_VANISH);
    scn_leave(unit);
}

// Cells x 18..20, y 0..2 of the last chamber all become one tile.
void clear_chamber() {
    for (int32_t y = 0; y <= 2; ++y)
        for (int32_t x = 18; x <= 20; ++x) scn_set_tile(x, y, CLEARED_TILE);
}

// Walks a unit up until its y is below 5, then sideways to column 21.
void walk_to_the_door(UnitRecord* u) {
    constexpr int32_t DOOR_X = 21, DOOR_Y = 5;
    scn_walk_while(u, 0, [](const UnitRecord& r) { return r.y >= DOOR_Y; });
    if (!scn_in_use(u)) return;
    const int32_t side = u->x < DOOR_X ? 1 : 3;
    scn_walk_while(u, side, [](const UnitRecord& r) { return r.x != DOOR_X; });
}

// --- stage scenes ---------------------------------------------------------------------

void stage35() {
    const int32_t prev = g_stage_index - 1;
    previous_stage_map(STAGE_35_SCENE);
    snd_play_music(g_stage_music[static_cast<size_t>(prev)]);
    scn_pose_party(10);
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    for (int32_t i = 0; i < 2; ++i) {
        scn_fade_out(1);
        scn_fade_in(1);
    }
    scn_wait(30);
    scn_fade_out(2);
    scn_wait(60);
    scn_colours_at_once(&g_default_palette);
    scn_message(98);
    scn_fade_out(2);
    UnitRecord* elder = scn_extra(27, 22, 3);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(99);
    scn_set_tile(22, 4, 108);
    scn_wait(60);
    scn_walk(elder, 0, 1);
    scn_leave(elder);
    snd_play_music(8);
    scn_wait(120);
    scn_message(100);
    scn_scene_close(STAGE_35);
}

void stage36() {
    scn_stage_map(g_stage_index, STAGE_36);
    scn_pose_party(10);
    UnitRecord* knight = scn_extra(50, 20, 7);
    centre_on(knight);
    scn_play_stage_music();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(48);
    vanish(knight);
    scn_wait(120);
    scn_message(49);
    appear(50, 15, 3);
    scn_wait(60);
    scn_message(50);
    scn_scene_close(STAGE_36);
}

void stage39() {
    previous_stage_map(STAGE_39_SCENE);
    scn_pose_char(CHAR_SECOND_LEADER, 7);
    UnitRecord* sage = scn_extra(66, 21, 7);
    centre_on(sage);
    snd_play_music(8);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    // Everyone on the grid from slot 2 on goes through the door, in slot
    // order; a member no list placed keeps its old position and stays out.
    for (int32_t s = 2; s < UNIT_SLOTS; ++s) {
        UnitRecord* u = &g_units[static_cast<size_t>(s)];
        if (!on_grid(u)) continue;
        walk_to_the_door(u);
        scn_off_grid(u);
    }
    scn_wait(60);
    scn_message(98);
    // The two leaders last, each with a last word at the door.
    for (int32_t s : {1, 0}) {
        UnitRecord* u = &g_units[static_cast<size_t>(s)];
        if (!on_grid(u)) continue;
        walk_to_the_door(u);
        map_move_unit_step(u, 5);
        scn_wait(60);
        scn_message(u->stats.char_id == CHAR_SECOND_LEADER ? 99 : 100);
        scn_off_grid(u);
    }
    scn_scene_close(STAGE_39);
}

void stage40() {
    // On the altar: the dark one speaks and the ground shakes.
    const int32_t prev = g_stage_index - 1;
    previous_stage_map(ALTAR);
    snd_play_music(g_stage_music[static_cast<size_t>(prev)]);
    UnitRecord* dark = scn_extra(28, 19, 5);
    centre_on(dark);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    scn_walk(dark, 0, 1);
    scn_wait(60);
    scn_message(98);
    fade_to_white();
    gfx_shake_start(4);
    scn_colours_at_once(&g_default_palette);
    scn_message(99);
    fade_to_white();
    scn_message(100);
    fade_to_white();
    scn_fade_out(2);
    gfx_shake_stop();

    // The stage's own map: the way up to the last chamber.
    scn_stage_map(g_stage_index, STAGE_40);
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    scn_fade_in(2);
    snd_play_music(-1);
    scn_wait(60);
    scn_message(65);
    scn_message(66);
    scn_play_stage_music();
    scn_scroll_view(SCN_SCROLL_UP, MAP_SIDE);
    scn_wait(60);
    scn_message(67);
    scn_scene_close(STAGE_40);
}

// --- stage 38: the pads and the ambush ------------------------------------------------------

// The pad the unit stands on, or -1.
int32_t pad_under(const UnitRecord* u) {
    for (size_t k = 0; k < g_teleport_pads.size(); ++k)
        if (g_teleport_pads[k].first == u->x && g_teleport_pads[k].second == u->y) return static_cast<int32_t>(k);
    return -1;
}

// The unit stands on a pad whose partner is free: it appears on the partner.
int32_t teleport(UnitRecord* u) {
    const int32_t pad = pad_under(u);
    if (pad < 0) return 0;
    const auto [px, py] = g_teleport_pads[static_cast<size_t>(pad ^ 1)];
    if ((occ_at(px, py) & OCC_UNIT_MASK) != 0) return 0;
    scn_off_grid(u);
    u->x = static_cast<int16_t>(px);
    u->y = static_cast<int16_t>(py);
    snd_play_effect(SFX_VANISH);
    map_redraw_view();
    map_center_view_on(px, py);
    map_redraw_view();
    snd_play_effect(SFX_VANISH);
    map_move_unit_step(u, 5);
    return 1;
}

// The party is surrounded in the hall: the traitor leaves, the guard wakes.
int32_t ambush() {
    scn_fade_out(2);
    scn_cutscene_begin();
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) scn_off_grid(&g_units[static_cast<size_t>(s)]);
    unit_remove_enemies();
    scn_place_list(AMBUSH);
    scn_centre_on_char(CHAR_LEADER);
    map_redraw_view();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(97);
    UnitRecord* traitor = member(CHAR_GELDA);
    scn_walk(traitor, 0, 2);
    if (scn_in_use(traitor)) map_move_unit_step(traitor, 6);
    for (int32_t id : {49, 50, 51}) {
        scn_wait(60);
        scn_message(id);
    }
    scn_fade_out(2);
    if (UnitRecord* guard = member(CHAR_AKBAR)) guard->stats.ai_mode = AI_MODE_BOSS;
    scn_cutscene_end();
    snd_play_music(AMBUSH_MUSIC);
    map_redraw_view();
    scn_fade_in(2);
    g_stage_flags[0] = 1;
    return 1;
}

int32_t stage38_moved(UnitRecord* u) {
    if (teleport(u)) return 1;
    if (g_stage_flags[0] != 0 || u->x < 15 || u->x > 26 || u->y < 0 || u->y > 10) return 0;
    return ambush();
}

// --- stages 36 and 37: the boss falls --------------------------------------------------------

// The beaten boss shows its true shape and fades away; the copy on its cell
// is freed with the stage's end.
void true_shape(UnitRecord* boss, int32_t class_id, int32_t last_words) {
    boss->stats.class_id = static_cast<int16_t>(class_id);
    const UnitStats shape = boss->stats;
    UnitRecord* copy = unit_place_new(boss->x, boss->y, &shape);
    unit_remove_enemies();
    map_redraw_view();
    scn_play_stage_music();
    scn_wait(60);
    scn_message(last_words);
    scn_blink_out(copy);
    scn_wait(60);
    scn_message(last_words + 1);
    g_stage_end = 1;
    if (scn_in_use(copy)) map_move_unit_step(copy, 6);
}

// --- stage 40: the last enemy --------------------------------------------------------------

// The five cells of the last enemy's body, its own and the four around it,
// take its unit number; or, emptying, lose it.
void fill_body(const UnitRecord* u, bool empty = false) {
    static const int32_t AROUND[5][2] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : AROUND) {
        const int32_t x = u->x + d[0], y = u->y + d[1];
        if (!map_on_map(x, y)) continue;
        if (!empty)
            occ_at(x, y) = static_cast<uint8_t>(u->number);
        else if ((occ_at(x, y) & OCC_UNIT_MASK) == u->number)
            occ_at(x, y) = 0;
    }
}

// The first form falls: the last enemy rises in its second form, changes
// at once into the third and stands in the rebuilt chamber.
void second_rising(UnitRecord* first, UnitRecord* target) {
    clear_chamber();
    scn_set_tile(19, 1, ALTAR_TILE);
    centre_on(target);
    scn_fade_in(2);
    g_lightning = 1;
    scn_wait(60);
    scn_message(49);
    target->stats.class_id = CLASS_RISING_FORM;
    target->stats.hp = target->stats.max_hp;
    map_free_map_graphics();
    g_lightning = 0;
    scn_colours_at_once(&g_default_palette);
    const int16_t terrain[2] = {1, 1};
    if (first) btl_animated_battle(terrain, 1, 1, &first->stats, &target->stats);
    fade_to_white();
    g_map_gfx_reload = 1;
    map_load_map_graphics(g_map_tile_set);
    g_map_gfx_reload = 0;
    target->stats.class_id = CLASS_LAST_FORM;
    // The third body takes the cells the first held: they are emptied
    // first, then filled again with the new unit's number.
    fill_body(target, true);
    const UnitStats third = target->stats;
    // With no record free the last enemy stays in its own. Otherwise its own
    // record is out of play from now on: it is freed, so it never acts, is
    // never a target or counted, and only the body on the grid can fall.
    // A first form that fell to a counter in the enemy phase was taken off
    // the map, which freed its record: the body is then placed into that
    // same record, which stays in play as the body.
    UnitRecord* body = unit_place_new(target->x, target->y, &third);
    if (body && body != target) target->number = 0;
    fill_body(body ? body : target);
    for (int32_t k = 0; k < 9; ++k)
        scn_set_tile(target->x - 1 + k % 3, target->y - 1 + k / 3, static_cast<uint8_t>(CHAMBER_TILES[k]));
    map_redraw_view();
    scn_fade_in(2);
    scn_wait(60);
    scn_message(50);
}

// Frees what is left of the last enemy (the third body, or its own record
// when no other was free for the body) once the stage is over.
void free_last_enemy() {
    for (int32_t s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0 && u.stats.char_id == CHAR_LAST_ENEMY) u.number = 0;
    }
}

// The third form falls: the chamber crumbles, the party stands on the altar
// once more, the light comes back, and the ending follows.
void the_end(UnitRecord* target) {
    scn_fade_out(2);
    clear_chamber();
    centre_on(target);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(51);
    fade_to_white();
    map_free_map_graphics();
    previous_stage_map(ALTAR);
    scn_pose_party(10);
    UnitRecord* elder = scn_extra(27, 19, 5, AI_MODE_DORMANT);
    centre_on(elder);
    scn_fade_in(2);
    scn_wait(60);
    scn_message(52);
    if (elder) elder->stats.ai_mode = AI_MODE_WALK_ON;
    snd_play_music(17);
    snd_play_effect(SFX_VANISH);
    map_move_unit_step(elder, 5);
    scn_wait(60);
    scn_message(53);
    scn_walk(elder, 0, 1);
    scn_message(54);
    fade_to_white();
    if (HeapBlock still{scn_load_story_picture("f:vis40a.gem", STILL_W, STILL_H)}) {
        gfx_clear_screen();
        gfx_blit_image(STILL_X / 8, STILL_Y, still.get());
        const Palette16 colours = scn_picture_colours(still.get());
        gfx_set_scene_palettes(&colours, &g_white_palette, &g_white_palette);
        scn_fade_in(2);
        scn_wait(120);
        scn_fade_out(2);
    }
    gfx_set_scene_palettes(&g_story_palette, &g_white_palette, &g_scene_palette);
    if (scn_in_use(elder)) elder->stats.class_id = 66;
    map_redraw_view();
    scn_fade_in(2);
    scn_wait(60);
    gfx_shake_start(2);
    scn_message(55);
    gfx_shake_start(4);
    scn_wait(60);
    scn_message(56);
    gfx_shake_stop();
    scn_fade_out(2);
    snd_play_music(-1);
    map_free_map_graphics();
    scn_clear_occupancy();
    title_ending_epilogue();
    g_stage_end = 1;
    free_last_enemy();
}

}  // namespace

// --- the hooks' routines ----------------------------------------------------------------

void scn_ch5_stage_start() {
    static constexpr StageScene stages[] = {
        {34, nullptr, STAGE_34}, {35, stage35, nullptr}, {36, stage36, nullptr}, {37, nullptr, STAGE_37},
        {38, nullptr, STAGE_38}, {39, stage39, nullptr}, {40, stage40, nullptr},
    };
    scn_stage_start(stages);
}

namespace {

// Stage 40's reinforcements from the west or the east, by the turn.
void reinforcements() {
    const int32_t block = (g_turn / 3) % 2 ? 44 : 43;
    unit_load_stage_units(block, 0);
    if (g_zoom == 1) {
        map_center_view_on(5, 11);
        snd_play_effect(SFX_VANISH);
        map_redraw_view();
        scn_wait(30);
        map_center_view_on(33, 11);
    }
    snd_play_effect(SFX_VANISH);
    map_redraw_view();
    scn_wait(30);
}

}  // namespace

void scn_ch5_turn_start() {
    const int32_t stage = scn_stage_no();
    if (stage == 40 && g_turn >= 6 && g_turn % 3 == 0) reinforcements();
    if (g_turn != 0) return;
    switch (stage) {
        case 34:
        case 37:
        case 38:
        case 39: scn_message(48); break;
        case 35:
            scn_message(48);
            scn_wait(60);
            scn_message(49);
            break;
        case 40:
            scn_message(48);
            if (const UnitRecord* last = member(CHAR_LAST_ENEMY)) fill_body(last);
            break;
        default: break;
    }
}

int32_t scn_ch5_unit_moved(UnitRecord* unit, int32_t, int32_t) {
    if (!unit) return 0;
    switch (scn_stage_no()) {
        case 34: return scn_goal_reached(unit, 20, 0, 24, 6, -1);
        case 35:
            if (unit->y != 19 || (unit->x != 10 && unit->x != 27)) return 0;
            scn_message(50);
            g_stage_end = 1;
            return 1;
        case 38: return stage38_moved(unit);
        default: return 0;
    }
}

int32_t scn_ch5_before_battle(UnitRecord*, UnitRecord* second) {
    if (!second) return 0;
    if (second->stats.ai_mode == AI_MODE_BOSS_UNMET) {
        switch (scn_stage_no()) {
            case 36:
                scn_message(51);
                second->stats.class_id = CLASS_MANTICORE;
                second->stats.ai_mode = AI_MODE_BOSS;
                scn_white_flash(4);
                break;
            case 37:
                scn_message(49);
                scn_wait(30);
                scn_message(50);
                scn_wait(60);
                scn_message(51);
                second->stats.class_id = CLASS_TIAMAT;
                second->stats.ai_mode = AI_MODE_BOSS;
                scn_white_flash(4);
                scn_wait(60);
                scn_message(52);
                break;
            case 39: return scn_boss_first_contact(second, 49, nullptr);
            default: break;
        }
    }
    scn_boss_music(second);
    return 0;
}

void scn_ch5_after_battle(UnitRecord* first, UnitRecord* second) {
    if (!second) return;
    const int32_t stage = scn_stage_no();
    if (stage == 40) {
        if (second->stats.hp != 0) return;
        if (second->stats.class_id == CLASS_FIRST_FORM)
            second_rising(first, second);
        else if (second->stats.class_id == CLASS_LAST_FORM && on_grid(second))
            the_end(second);
        return;
    }
    if (!scn_boss_beaten(second)) return;
    switch (stage) {
        case 36: true_shape(second, 50, 52); break;
        case 37: true_shape(second, 49, 53); break;
        case 38:
            scn_message(52);
            scn_colours_at_once(&g_white_palette);
            scn_fade_out(2);
            g_stage_end = 1;
            break;
        case 39:
            scn_message(50);
            scn_fade_out(2);
            g_stage_end = 1;
            break;
        default: break;
    }
}
