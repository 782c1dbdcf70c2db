// Targeting and the attack command: the rings of cells a weapon reaches,
// the marks of the unit command menu, and the attack with the chapter's
// hooks around the battle.
#include "battle/battle.h"
#include "platform/palette.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/settings.h"
#include "tactics/turn.h"
#include "tactics/units.h"

std::array<UnitRecord*, UNIT_TARGET_MAX> g_unit_target_list{};

namespace {

uint32_t reach_flags(const UnitRecord* u) {
    uint32_t f = item_get(u->stats.weapon).flags;
    if ((f & ITEM_AREA) && u->charged) f = 7;
    return f;
}

// The attacker has acted unless the stage ended; the charge is spent. The
// target may be null after an area attack.
void finish(UnitRecord* a, UnitRecord* t) {
    if (!g_stage_end) a->acted = 1;
    a->charged = 0;
    if (t && a->stats.char_id == CHAR_WINIA && !ai_mode_is_computer(t->stats.ai_mode)) t->acted = 0;
}

}  // namespace

bool btl_scene_animated(int32_t ai_mode) { return g_opt_battle_real || ai_mode_is_boss(ai_mode); }

void btl_terrain_pair(const UnitRecord* side0, const UnitRecord* side1, int16_t terrain[2]) {
    terrain[0] = static_cast<int16_t>(map_terrain_class_at(side0->x, side0->y));
    terrain[1] = static_cast<int16_t>(map_terrain_class_at(side1->x, side1->y));
    for (int i = 0; i < 2; ++i)
        if (terrain[i] == 0) terrain[i] = 1;
}

void btl_fight_on_map(const int16_t terrain[2], int32_t attacker_side, int32_t range_mode, UnitStats* side0,
                      UnitStats* side1, bool animated) {
    if (animated) {
        g_colour_cycle_block = 1;
        map_free_map_graphics();
        gfx_set_palette16(&g_default_palette);
        btl_animated_battle(terrain, attacker_side, range_mode, side0, side1);
        g_map_gfx_reload = 1;
        map_load_map_graphics(g_map_tile_set);
        g_map_gfx_reload = 0;
    } else {
        // The plain exchange always runs without the scene's top strip.
        const int32_t saved_opt3 = g_game_opt3;
        g_game_opt3 = 0;
        btl_plain_battle(terrain, attacker_side, range_mode, side0, side1);
        g_game_opt3 = saved_opt3;
    }
}

int32_t btl_find_targets(int32_t x, int32_t y, UnitRecord* a, int32_t mode) {
    if (!a) return 0;
    const uint32_t f = reach_flags(a);
    const bool support = unit_is_healer(a);
    static constexpr int32_t STEP[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    int32_t n = 0;
    for (int32_t r = 1; r <= 3; ++r) {
        const bool ring =
            (r == 1 && ((mode & 4) || support || (f & 1))) || (r == 2 && (support || (f & 2))) || (r == 3 && (f & 4));
        if (!ring) continue;
        int32_t cx = x, cy = y - r;
        for (const auto& step : STEP)
            for (int32_t i = 0; i < r; ++i) {
                cx += step[0];
                cy += step[1];
                if (!map_on_map(cx, cy)) continue;
                UnitRecord* u = unit_at_cell(cx, cy);
                if (!u || u == a) continue;
                const int32_t s = u->stats.ai_mode, h = u->stats.hp;
                if (s == AI_MODE_WALK_ON) continue;
                bool target;
                if ((mode & 2) && ai_mode_is_computer(s) && h > 0 && s != AI_MODE_DORMANT && (f & (1u << (r - 1))))
                    target = true;
                else if ((mode & 4) && r <= 2 && !ai_mode_is_computer(s) && h == 0)
                    target = true;
                else if (!(mode & 1) || ai_mode_is_computer(s))
                    target = false;
                else if (r <= 2 && support && !unit_is_summoned_spirit(u))
                    target = h < u->stats.max_hp;
                else
                    target = r <= 2 && a->stats.char_id == CHAR_WINIA && u->acted;
                if (target && n < UNIT_TARGET_MAX) g_unit_target_list[static_cast<size_t>(n++)] = u;
            }
    }
    return n;
}

int32_t btl_mark_targets(UnitRecord* a) {
    const bool support = unit_is_healer(a) || a->stats.char_id == CHAR_WINIA;
    if (map_on_map(a->x, a->y)) g_occupancy.cells[a->y * MAP_SIDE + a->x] |= OCC_MARK_A | OCC_MARK_B;
    const int32_t n = btl_find_targets(a->x, a->y, a, support ? 3 : 2);
    for (int32_t i = 0; i < n; ++i) {
        const UnitRecord* t = g_unit_target_list[static_cast<size_t>(i)];
        const bool enemy = ai_mode_is_computer(t->stats.ai_mode);
        if (a->stats.char_id == CHAR_WINIA && !enemy && !t->acted) continue;
        g_occupancy.cells[t->y * MAP_SIDE + t->x] |= enemy ? OCC_MARK_B : OCC_MARK_A;
    }
    return n;
}

void btl_attack_command(UnitRecord* a, UnitRecord* t) {
    int32_t range = map_manhattan_distance(a->x, a->y, t->x, t->y) - 1;
    snd_play_effect(SFX_DRUM);
    if (t->stats.char_id == CHAR_LAST_ENEMY && !(range - 1 == 0 && !(item_get(a->stats.weapon).flags & ITEM_DIRECT)))
        --range;
    if (range < 0) range = 0;
    int16_t terrain[2];
    btl_terrain_pair(a, t, terrain);
    const bool animated = btl_scene_animated(t->stats.ai_mode);
    if (!ai_mode_is_computer(t->stats.ai_mode)) a->charged = 0;
    g_unit_charge_flag = a->charged;
    g_btl_target_status_ptr = &t->status;
    g_btl_attacker_unit = a;

    if ((item_get(a->stats.weapon).flags & ITEM_AREA) && a->charged) {
        // The area attack replaces the battle; the command's target becomes
        // the unit of several cells it struck, if any.
        btl_map_spell(terrain, a, &t);
        finish(a, t);
        return;
    }
    if (scn_before_battle(a, t) != 0) return;
    btl_fight_on_map(terrain, 0, range, &a->stats, &t->stats, animated);
    if (!animated) {
        map_redraw_view();
    } else if (!(t->stats.char_id == CHAR_LAST_ENEMY && t->stats.hp == 0)) {
        gfx_fade_to_scene_wait(1);
        map_redraw_view();
        gfx_fade_to_wait(&g_default_palette, 1);
    }
    if (t->stats.hp == 0) ++a->victories;
    if (t->stats.hp == 0 && ai_mode_is_computer(t->stats.ai_mode) && t->stats.char_id != CHAR_LAST_ENEMY)
        map_move_unit_step(t, 6);
    if (unit_is_summoned_spirit(a) && a->stats.hp == 0) map_move_unit_step(a, 6);
    g_colour_cycle_block = 0;
    scn_after_battle(a, t);
    finish(a, t);
}
