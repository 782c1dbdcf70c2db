// The battle entries and the scene flow: the set-up and tear-down of a
// battle, the exchange of the attacker's move and the defender's counter,
// experience, the move choice by class and the protocol by which the engine
// calls the fighters' class scripts. The animated battle draws the side view
// with its backdrop, sprites and camera; the plain battle runs the same
// scripts for the same number of frames and shows only the message box, the
// status panel and the HP bars over the map picture.
#include <cstdio>
#include <cstring>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sprite.h"
#include "platform/text.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/settings.h"
#include "tactics/units.h"

namespace {
int16_t g_spare_status = 0;
}  // namespace

std::array<BattleActor, BTL_ACTORS> g_btl_actor{};
int32_t g_btl_next_actor = 0;
int32_t g_btl_spark_actor = 2;
UnitStats* g_btl_combatant[2] = {nullptr, nullptr};
uint16_t g_btl_attacker_side = 0;
uint16_t g_btl_range_mode = 0;
uint16_t g_btl_animated = 0;
uint16_t g_btl_move[2] = {0, 0};
uint16_t g_btl_boss_move = 0;
int16_t g_btl_terrain[2] = {0, 0};
uint16_t g_btl_hit_phase[2] = {0, 0};
uint16_t g_btl_counter_flag = 0;
uint16_t g_btl_ghost_step = 0;
uint16_t g_btl_ghost_target = 0;
uint16_t g_btl_ghost_first = 0;
uint16_t g_btl_last_damage = 0;
uint16_t g_btl_hp_before = 0;
uint16_t g_btl_pending_heal = 0;
uint16_t g_btl_damage_total = 0;
uint16_t g_btl_crit_shown = 0;
SavedRect* g_btl_msgbox_store = nullptr;
uint16_t g_btl_result = 0;
uint16_t g_unit_charge_flag = 0;
int16_t* g_btl_target_status_ptr = &g_spare_status;
UnitRecord* g_btl_attacker_unit = nullptr;
const std::array<std::array<uint8_t, 3>, 3> g_btl_ghost_colours = {{{11, 8, 14}, {10, 9, 7}, {15, 13, 12}}};

namespace {

constexpr int32_t WARM_UP_FRAMES = 6;
constexpr int32_t FADE_TRIES = 600;
constexpr int16_t GHOST_FLAGS = 2560;

// Frames the last move took, up to its end frame (the fall after it not counted).
int32_t g_last_move_frames = 0;

BattleActor& actor(int32_t i) { return g_btl_actor[static_cast<size_t>(i)]; }
bool present(int32_t s) { return actor(s).present[0] != BTL_ABSENT; }
bool party_side(const UnitStats* u) { return !ai_mode_is_computer(u->ai_mode); }
bool absent_stats(const UnitStats* u) { return !u || u->char_id == CHAR_NONE; }

// Frees the scene on every way out of a battle entry, the unwinding of a
// quit included.
struct SceneOwner {
    ~SceneOwner() { btl_free_scene(); }
};

// Steps 1 to 3 of both entries: the globals of a new battle.
void entry_setup(const int16_t terrain[2], int32_t side, int32_t range, UnitStats* s0, UnitStats* s1) {
    btl_free_scene_pictures();
    g_btl_sheet_count = 0;
    g_btl_next_actor = 0;
    g_btl_damage_total = 0;
    g_btl_result = 0;
    g_btl_ghost_step = 0;
    g_btl_page = g_btl_saved_page;
    g_btl_animated = 0;
    g_btl_pending_heal = 0;
    g_btl_jolt = 0;
    g_btl_actor = {};
    for (int32_t s = 0; s < 2; ++s) {
        // A terrain kind of 0 counts as 1.
        const int32_t kind = terrain[s] < 1 ? 1 : terrain[s];
        g_btl_terrain[s] = static_cast<int16_t>(kind - 1);
    }
    g_btl_attacker_side = static_cast<uint16_t>(side & 1);
    g_btl_range_mode = static_cast<uint16_t>(range < 0 ? 0 : range);
    g_btl_boss_move = 0;
    g_btl_combatant[0] = s0;
    g_btl_combatant[1] = s1;
}

void run_battle() {
    btl_scene_init(g_btl_attacker_side);
    btl_scene_run();
}

void shout(int32_t s) {
    char text[96];
    std::snprintf(text, sizeof text, "%s의 공격", unit_display_name(g_btl_combatant[s]));
    txt_draw_string(26, 15, text, 15);
}

bool support_move(int32_t s, uint16_t move) {
    const int32_t cls = g_btl_combatant[s]->class_id;
    if (cls == CLASS_RISING_FORM) return true;
    if (move != 12) return false;
    return cls == CLASS_PRINCESS || cls == CLASS_HOLY_COMMANDO || cls == CLASS_SIREN || cls == CLASS_VALKYRIE ||
           cls == CLASS_SHAMAN || cls == CLASS_PRIEST || cls == CLASS_MONK;
}

// Calls each present fighter's handler once, each with a scratch done flag.
void call_present_handlers() {
    for (int32_t s = 0; s < 2; ++s) {
        uint16_t scratch = 0;
        if (present(s)) btl_call_handler(s, &scratch);
    }
}

// One frame of a move: the animated scene draws and presents it; the plain
// battle, and an animated one whose backdrop never loaded, wait one unit.
void fall_frame() {
    if (g_btl_animated && g_btl_bmap_image)
        btl_draw_actors_and_flip(0);
    else
        win_wait_units(1);
}

// The first after-image actor repeats the leader's place of the frame before
// as a flat silhouette; the other two stay out of the picture.
void update_after_image() {
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t n = g_btl_ghost_first + i;
        if (n < 2 || n >= BTL_ACTORS) continue;
        btl_actor_set_present(n, false);
        actor(n).y = 0;
    }
    const int32_t first = g_btl_ghost_first, target = g_btl_ghost_target;
    if (g_btl_ghost_step == 0 || g_btl_ghost_step > 3 || first < 2 || first >= BTL_ACTORS || target >= BTL_ACTORS)
        return;
    BattleActor& g = actor(first);
    const BattleActor& t = actor(target);
    const size_t p = static_cast<size_t>(g_btl_page & 1);
    g.x = t.drawn_x[p];
    g.y = t.drawn_y[p];
    g.frame = t.drawn_frame[p];
    g.slot = t.drawn_slot[p];
    const int32_t colour = g_btl_ghost_colours[g_btl_ghost_step - 1u][0];
    g.flags = static_cast<int16_t>(colour * 256 + (t.flags & 0xFF));
    btl_actor_set_present(first, true);
}

// Fades toward p one wait apart until the colours match (bounded, so that a
// fade that never settles cannot hold the battle).
void fade_by_steps(const Palette16* p, int32_t wait) {
    for (int32_t i = 0; i < FADE_TRIES; ++i) {
        win_wait_units(wait);
        if (gfx_fade_start(p, 1) == 1) return;
    }
}

void black_out_top() { gfx_fill_rect(0, 0, SCREEN_W - 1, 31, 0); }

}  // namespace

int32_t btl_last_move_frames() { return g_last_move_frames; }

void btl_frame() {
    if (g_btl_animated)
        btl_draw_actors_and_flip(0);
    else
        win_wait_units(1);
}

void btl_call_handler(int32_t s, uint16_t* done) {
    const int32_t cls = btl_script_class(actor(s).class_id);
    g_class_script_table[static_cast<size_t>(cls)](static_cast<int16_t>(s), done);
}

int32_t btl_plain_battle(const int16_t terrain[2], int32_t side, int32_t range, UnitStats* s0, UnitStats* s1) {
    SceneOwner owner;
    entry_setup(terrain, side, range, s0, s1);
    run_battle();
    return g_btl_result;
}

int32_t btl_animated_battle(const int16_t terrain[2], int32_t side, int32_t range, UnitStats* s0, UnitStats* s1) {
    SceneOwner owner;
    entry_setup(terrain, side, range, s0, s1);
    g_btl_animated = 1;
    const int32_t defender = 1 - (side & 1);
    g_btl_backdrop_kind = btl_choose_backdrop_kind(g_stage_index, g_btl_terrain[defender] + 1);
    btl_alloc_background();
    run_battle();
    return g_btl_result;
}

int32_t btl_forecast(const int16_t terrain[2], uint32_t* result, int32_t range, UnitStats* a, UnitStats* d) {
    entry_setup(terrain, 0, range, a, d);
    g_btl_counter_flag = 0;
    btl_forecast_damage_one(result);
    btl_free_scene();
    return g_btl_damage_total;
}

void btl_scene_init(int32_t side) {
    delete g_btl_msgbox_store;
    g_btl_msgbox_store = nullptr;
    for (int32_t i = 0; i < BTL_ACTORS; ++i) btl_free_slot(i);
    for (auto& pair : g_btl_sheet_list) pair = {0xFFFF, 0xFFFF};
    btl_set_view_scroll(g_btl_side_scroll[static_cast<size_t>(side & 1)]);

    // The move choice runs once for its random draws and class 46's move.
    const uint16_t saved_side = g_btl_attacker_side;
    const uint16_t saved_moves[2] = {g_btl_move[0], g_btl_move[1]};
    btl_choose_moves(side);

    g_btl_next_actor = 0;
    for (int32_t s = 0; s < 2; ++s) {
        BattleActor& f = actor(s);
        const UnitStats* u = g_btl_combatant[s];
        if (absent_stats(u)) {
            btl_actor_set_present(s, false);
            continue;
        }
        // A class without a script of its own fights with the soldier's
        // script, moves and sheets; the unit keeps its own class.
        const int32_t cls = btl_script_class(u->class_id);
        if (g_btl_animated) {
            btl_load_actor_sprite(s, cls, 0);
        } else {
            // Nothing is loaded; the numbers advance as if it were.
            f.slot = static_cast<int16_t>(btl_take_actor());
            ++g_btl_sheet_count;
        }
        f.layer = 0;
        btl_actor_set_present(s, true);
        f.class_id = static_cast<int16_t>(cls);
        f.state = u->hp == 0 ? 8 : 0;
        f.x = f.y = f.frame = 0;
        f.step = f.w21 = f.companion = f.first_effect = f.w24 = f.ground_y = f.show_zero_damage = f.w27 = f.w28 = 0;
        f.recoil = 2;
        f.w30[0] = 0;
    }
    // The spark is never given a fighter's number.
    if (g_btl_next_actor < 2) g_btl_next_actor = 2;
    g_btl_spark_actor = g_btl_next_actor;
    if (g_btl_animated) {
        btl_load_actor_sprite(COMMON_SHEET_ACTOR, BTL_COMMON_SHEET, 0);
    } else {
        actor(COMMON_SHEET_ACTOR).slot = static_cast<int16_t>(btl_take_actor());
        ++g_btl_sheet_count;
    }
    BattleActor& spark = actor(g_btl_spark_actor);
    spark.frame = spark.x = spark.y = 0;
    spark.slot = actor(COMMON_SHEET_ACTOR).slot;

    g_btl_attacker_side = saved_side;
    g_btl_move[0] = saved_moves[0];
    g_btl_move[1] = saved_moves[1];

    if (g_btl_animated) {
        const int32_t d = 1 - (side & 1);
        const UnitStats* right = g_btl_combatant[1];
        const int32_t kind = btl_scene_backdrop_kind(g_btl_backdrop_kind, g_stage_index, g_btl_terrain[d] + 1,
                                                     g_btl_terrain[side & 1] + 1, right ? right->class_id : -1);
        btl_load_bmap(kind);
    }
    btl_place_actors();
    g_btl_view_scroll_prev = g_btl_view_scroll;
}

void btl_open_message_box() {
    menu_draw_window(26, 15, 28, 3);
    g_btl_msgbox_store = gfx_save_rect(26, 300, 28, 60);
    if (!g_btl_msgbox_store) util_memory_error();
}

void btl_screen_wipe() {
    const bool wipe = g_opt_battle_speed >= 2;
    if (wipe) {
        g_tick_counter = 0;
        for (int32_t n = 8; n <= 120; n += 4) {
            gfx_band_wipe(0, 0, n);
            win_wait_ms();  // one 16-ms wait
        }
        g_btl_saved_page ^= 1;
    }
    if (g_back_dib && g_background_dib)
        std::memcpy(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_background_dib), SCREEN_IMAGE_SIZE);
    // After the copy, so that the line and the black strip stay for the
    // whole scene (the band is drawn between them every frame).
    if (!wipe) gfx_fill_rect(0, 272, SCREEN_W - 1, 272, 0);
    if (g_game_opt4 != 0) black_out_top();
}

void btl_scene_begin() {
    g_btl_ghost_first = static_cast<uint16_t>(g_btl_next_actor);
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t n = btl_take_actor();
        BattleActor& g = actor(n);
        g.x = actor(0).x;
        g.y = actor(0).y;
        g.frame = actor(0).frame;
        g.slot = actor(0).slot;
        g.flags = static_cast<int16_t>(actor(0).flags + GHOST_FLAGS);
        g.layer = 2;
        btl_actor_set_present(n, false);
        g.class_id = g.state = g.step = g.w21 = g.companion = g.first_effect = 0;
    }
    call_present_handlers();
    if (g_btl_animated) {
        btl_draw_actors_and_flip(1);
        if (g_game_opt4 != 0) black_out_top();
        g_btl_saved_page = g_btl_page;
        gfx_set_palette16(&g_btl_palette);
        btl_screen_wipe();
        g_btl_page = g_btl_saved_page;
    } else if (g_back_dib && g_background_dib) {
        std::memcpy(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_background_dib), SCREEN_IMAGE_SIZE);
    }
    btl_open_message_box();
}

void btl_scene_run() {
    btl_scene_begin();
    g_tick_counter = 0;
    btl_exchange(g_btl_attacker_side, 1 - g_btl_attacker_side);
    g_btl_next_actor = g_btl_ghost_first;
}

void btl_free_scene_pictures() {
    delete g_btl_msgbox_store;
    g_btl_msgbox_store = nullptr;
    for (int32_t i = 0; i < BTL_ACTORS; ++i) btl_free_slot(i);
    g_btl_bmap_image.reset();
    g_btl_bmap_grid.reset();
}

void btl_free_scene() {
    btl_free_scene_pictures();
    g_btl_saved_page = g_btl_page;
}

void btl_exchange(int32_t a, int32_t d) {
    UnitStats* sa = g_btl_combatant[a];
    UnitStats* sd = g_btl_combatant[d];
    g_btl_hp_before = static_cast<uint16_t>(sd->hp);
    btl_choose_moves(a);
    btl_scene_enter(a);
    g_btl_counter_flag = 0;
    g_btl_ghost_step = 0;
    g_btl_pending_heal = 0;
    btl_run_move(a, 0);
    g_unit_charge_flag = 0;
    g_btl_ghost_step = 0;
    g_btl_pending_heal = 0;

    const bool countered = g_btl_move[1] != BTL_NO_MOVE && sd->hp >= 1 && g_btl_result == 0;
    if (countered) {
        win_wait_units(40);
        if (g_btl_animated) fade_by_steps(nullptr, 1);
        btl_scene_enter(d);
        if (g_btl_animated) fade_by_steps(&g_btl_palette, 0);
        g_btl_hp_before = static_cast<uint16_t>(sa->hp);
        g_btl_counter_flag = 1;
        btl_run_move(d, 1);
    }

    const bool a_party = party_side(sa), d_party = party_side(sd);
    if (a_party && sa->hp == 0) return;
    if (a_party && d_party) {
        const int32_t cls = sa->class_id;
        if (cls == CLASS_PRINCESS || cls == CLASS_HOLY_COMMANDO || cls == CLASS_SIREN || cls == CLASS_VALKYRIE ||
            cls == CLASS_SHAMAN || cls == CLASS_PRIEST) {
            g_btl_damage_total = 8;
            btl_award_experience(a, 2);
        }
        return;
    }
    if (!a_party && !d_party) return;
    if (a_party) {
        if (sd->hp > 0) {
            if (g_btl_damage_total > 0) btl_award_experience(a, 0);
        } else if (g_btl_damage_total > 0 && sd->class_id != CLASS_FIRST_FORM) {
            btl_award_experience(a, 1);
        }
        return;
    }
    if (sa->hp > 0 && countered && g_btl_damage_total > 0)
        btl_award_experience(d, 0);
    else if (sa->hp == 0 && g_btl_damage_total > 0 && sa->class_id != CLASS_FIRST_FORM)
        btl_award_experience(d, 1);
}

void btl_choose_moves(int32_t a) {
    g_btl_move[1] = g_btl_move[0];
    btl_choose_move_for_class(a, 0);
    if (g_btl_move[1] == BTL_NO_MOVE) return;
    const int32_t d = 1 - a;
    const uint32_t flags = item_get(g_btl_combatant[d]->weapon).flags;
    const uint32_t reach = g_btl_range_mode == 0 ? ITEM_DIRECT : ITEM_NEAR;
    if (flags & reach)
        btl_choose_move_for_class(d, 1);
    else
        g_btl_move[1] = BTL_NO_MOVE;
}

void btl_choose_move_for_class(int32_t s, int32_t slot) {
    const UnitStats* u = g_btl_combatant[s];
    const UnitStats* o = g_btl_combatant[1 - s];
    const int32_t item = u->weapon;
    const int32_t r = g_btl_range_mode;
    const bool charged = g_unit_charge_flag != 0;
    const bool opp_party = o->ai_mode == AI_MODE_PLAYER;
    int32_t m = 12;
    bool no_counter = false;
    auto support = [&](int32_t base) {
        if (opp_party) {
            m = 12;
            no_counter = true;
        } else {
            m = base;
        }
    };
    // One case per class id, like the class script table; each class's
    // script file points here.
    switch (btl_script_class(u->class_id)) {
        case 0: support(item == ITEM_IRON_KNUCKLE ? 14 : 13); break;
        case 1:
            support(13);
            if (!opp_party && (item == ITEM_GAIA_WRIST || item == ITEM_STILL_WATER_FIST)) {
                if (r > 0) m = 14;
                if (charged) m = 15;
            }
            break;
        case 2: m = item == ITEM_CHAMMADO ? 13 : 12; break;
        case 3: m = charged ? 14 : (item == ITEM_KING_SWORD || item == ITEM_KAISER_SWORD) ? 13 : 12; break;
        case 4: support(item == ITEM_LONG_SPEAR ? 14 : 13); break;
        case 5: support(item == ITEM_TORNADO_SPEAR ? 14 : 13); break;
        case 6: m = item == ITEM_CHOCHI ? 13 : 12; break;
        case 7: m = charged ? 14 : (item == ITEM_EAGLE_CLAW_BLADE || item == ITEM_LION_ROAR_BLADE) ? 13 : 12; break;
        case 8: m = item == ITEM_GLADIUS ? 13 : 12; break;
        case 9: m = charged ? 14 : ((item == ITEM_SPARK_EDGE || item == ITEM_SHINE_RAPIER) && r > 0) ? 13 : 12; break;
        case 10: support(item == ITEM_EXORCISM_ROD ? 14 : 13); break;
        case 11:
            support(13);
            if (!opp_party) {
                if (r > 0) m = 14;
                if (charged) m = 15;
            }
            break;
        case 12: m = item == ITEM_OGRE_HORSESHOE ? 13 : 12; break;
        case 13: m = item == ITEM_ORB_STAFF ? 13 : item == ITEM_VOLCANO_ROD ? 14 : 12; break;
        case 14: {
            // The random number is drawn whatever the distance.
            const int32_t pick = 12 + util_random() % 2;
            m = r > 0 ? 14 : pick;
            break;
        }
        case 15: m = item == ITEM_BASALT ? 13 : 12; break;
        case 16:
        case 22:
            if (party_side(u) == party_side(o)) {
                m = 12;
                no_counter = true;
            } else {
                m = 13;
            }
            break;
        case 17: m = item == ITEM_PASSION_FLAME ? 13 : 12; break;
        case 18: m = item == ITEM_TASTY_WATER ? 13 : 12; break;
        case 19: m = item == ITEM_LUCERNE_HAMMER ? (r > 0 ? 15 : 14) : r > 0 ? 13 : 12; break;
        case 20:
        case 21:
        case 26: m = item == ITEM_RAGING_DEMON_RING ? 13 : 12; break;
        case 23:
        case 48:
        case 29:
        case 30:
        case 31:
        case 33:
        case 39:
        case 42: m = r > 0 ? 13 : 12; break;
        case 24:
        case 27: m = 12 + util_random() % 2; break;
        case 25:
        case 37: m = item == ITEM_BROADSWORD ? 13 : 12; break;
        case 28: m = 12 + util_random() % 4; break;
        case 32: m = item == ITEM_SOLVENT ? 13 : 12; break;
        case 34: m = item == ITEM_LOG ? 13 : 12; break;
        case 35: m = item == ITEM_MACE ? 13 : 12; break;
        case 36: m = item == ITEM_SILVER_PLATING ? 13 : 12; break;
        case 38:
        case 44: m = item == ITEM_INRYEOLJO ? 13 : 12; break;
        case 40:
            if (item == ITEM_VERY_HARD_BANDAGE) {
                m = 13;
                if (r == 2) no_counter = true;
            } else {
                m = r > 0 ? 12 : 13;
            }
            break;
        case 41: m = item == ITEM_TEN_MILLION_POWER_HORN ? 13 : 12; break;
        case 43: m = item == ITEM_KING_COBRA ? 13 : 12; break;
        case 45: m = item == ITEM_CALCIUM_RICH_BONE ? 13 : 12; break;
        case 46:
            if (r > 0) {
                m = 14;
            } else {
                if (g_btl_boss_move == 0) g_btl_boss_move = static_cast<uint16_t>(12 + util_random() % 2);
                m = g_btl_boss_move;
            }
            break;
        case 47:
            m = 12;
            no_counter = true;
            break;
        default: break;
    }
    g_btl_move[slot] = static_cast<uint16_t>(m);
    if (no_counter) g_btl_move[1] = BTL_NO_MOVE;
}

void btl_scene_enter(int32_t s) {
    for (int32_t i = 0; i < 2; ++i) {
        BattleActor& f = actor(i);
        const UnitStats* u = g_btl_combatant[i];
        if (!present(i)) continue;
        f.x = static_cast<int16_t>(i == 0 ? 20 : 60);
        f.flags = static_cast<int16_t>(i == 0 ? 1 : 0);
        if (u->hp > 0)
            f.state = 0;
        else
            f.state = static_cast<int16_t>(*g_btl_target_status_ptr == -1 ? 9 : 8);
        f.y = static_cast<int16_t>(u->class_id == CLASS_FIRST_FORM ? 224 : BTL_GROUND_Y);
        f.step = f.w21 = 0;
        if (f.companion > 1 && f.companion < BTL_ACTORS) actor(f.companion).state = 1;
        if (u->class_id == CLASS_FIRST_FORM && f.first_effect >= 2 && f.first_effect + 1 < BTL_ACTORS) {
            actor(f.first_effect).frame = 1;
            actor(f.first_effect + 1).frame = 2;
        }
    }
    btl_set_view_scroll(g_btl_side_scroll[static_cast<size_t>(s & 1)]);
    g_btl_ghost_step = 0;
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t n = g_btl_ghost_first + i;
        if (n < 2 || n >= BTL_ACTORS) continue;
        BattleActor& g = actor(n);
        g.x = 100;
        g.y = 0;
        g.layer = 2;
        btl_actor_set_present(n, false);
        g.frame = 0;
        g.class_id = g.state = g.step = g.w21 = g.companion = g.first_effect = g.w24 = 0;
        g.slot = actor(1).slot;
        g.flags = static_cast<int16_t>(actor(1).flags + GHOST_FLAGS);
    }
    call_present_handlers();
    btl_msgbox_clear();
    btl_draw_status_panel();
    btl_frame();
    if (g_btl_animated) btl_set_view_scroll(g_btl_side_scroll[static_cast<size_t>(s & 1)]);
    btl_msgbox_clear();
    btl_draw_status_panel();
    BattleActor& spark = actor(g_btl_spark_actor);
    spark.slot = actor(COMMON_SHEET_ACTOR).slot;
    spark.frame = 0;
    btl_actor_stash_position(g_btl_spark_actor);
    btl_frame();
    g_btl_last_damage = 0;
    actor(1).stash_y = 0;
}

void btl_begin_move(int32_t s, uint16_t move) {
    BattleActor& f = actor(s);
    f.state = static_cast<int16_t>(move);
    f.step = 0;
    f.w24 = f.ground_y = f.show_zero_damage = f.w27 = f.w28 = f.recoil = 0;
    for (int16_t& w : f.w30) w = 0;
    f.w42 = f.saved_slot = f.timer = f.stash_x = f.stash_y = f.hit_count = 0;
    g_btl_hit_phase[0] = g_btl_hit_phase[1] = 0;
}

void btl_run_move(int32_t s, int32_t k) {
    const int32_t o = 1 - s;
    const uint16_t move = g_btl_move[k];
    const bool shouted = !support_move(s, move);
    if (shouted) shout(s);
    uint16_t done = 0;
    for (int32_t i = 0; i < WARM_UP_FRAMES; ++i) {
        for (int32_t side = 0; side < 2; ++side)
            if (present(side)) btl_call_handler(side, &done);
        btl_msgbox_clear();
        if (shouted) shout(s);
        btl_frame();
    }
    btl_begin_move(s, move);
    BattleActor& f = actor(s);
    // The mover's handler runs before the done flag is tested, and a move
    // that never ends is stopped, so that no move can hang a battle.
    done = 0;
    int32_t frames = 0;
    for (;;) {
        update_after_image();
        btl_call_handler(s, &done);
        uint16_t scratch = 0;
        if (btl_actor_present(o, g_btl_page ^ 1)) btl_call_handler(o, &scratch);
        btl_frame();
        if (done) break;
        if (++frames >= BTL_MOVE_FRAME_LIMIT) {
            std::fprintf(stderr, "battle: the move %d of class %d was stopped after %d frames\n", move,
                         static_cast<int>(f.class_id), BTL_MOVE_FRAME_LIMIT);
            break;
        }
    }
    g_last_move_frames = frames + 1;
    g_btl_counter_flag = static_cast<uint16_t>(k + 1);
    g_btl_hit_phase[s] = 0;
    if (g_btl_combatant[o]->class_id == CLASS_LAST_FORM && g_btl_combatant[o]->hp == 0) {
        g_btl_hit_phase[o] = 1;
        actor(o).down_flag = 1;
    }
    if (actor(o).state != 7) return;
    frames = 0;
    while (g_btl_hit_phase[o] != 0 && frames++ < BTL_MOVE_FRAME_LIMIT) {
        call_present_handlers();
        fall_frame();
    }
}

void btl_reset() {
    btl_free_scene();
    g_btl_actor = {};
    g_btl_next_actor = 0;
    g_btl_spark_actor = 2;
    g_btl_combatant[0] = g_btl_combatant[1] = nullptr;
    g_btl_attacker_side = g_btl_range_mode = g_btl_animated = 0;
    g_btl_move[0] = g_btl_move[1] = 0;
    g_btl_boss_move = 0;
    g_btl_terrain[0] = g_btl_terrain[1] = 0;
    g_btl_hit_phase[0] = g_btl_hit_phase[1] = 0;
    g_btl_counter_flag = g_btl_ghost_step = g_btl_ghost_target = g_btl_ghost_first = 0;
    g_btl_last_damage = g_btl_hp_before = g_btl_pending_heal = g_btl_damage_total = g_btl_crit_shown = 0;
    g_btl_result = 0;
    g_unit_charge_flag = 0;
    g_spare_status = 0;
    g_btl_target_status_ptr = &g_spare_status;
    g_btl_attacker_unit = nullptr;
    g_btl_sheet_count = 0;
    g_btl_page = g_btl_saved_page = 0;
    g_btl_view_scroll = g_btl_view_scroll_prev = 0;
    g_btl_backdrop_kind = 0;
    g_btl_jolt = 0;
}
