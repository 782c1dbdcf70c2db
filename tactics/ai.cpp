// Enemy AI.
#include "tactics/ai.h"

#include <cstdlib>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/units.h"

std::array<AiCandidate, AI_CANDIDATES + 1> g_ai_candidates{};
int32_t g_ai_candidate_count = 0;
int32_t g_ai_move_x = 0, g_ai_move_y = 0;
const std::array<std::array<int16_t, AI_SUMMON_COLS>, AI_SUMMON_ROWS> g_ai_summon_table{};

namespace {

constexpr int32_t WAKE_DISTANCE = 5;  // a party unit closer than this wakes a dormant unit
constexpr int32_t WAKE_TILE_SET = 5;
constexpr uint8_t WAKE_TILE = 88;
constexpr int32_t NO_DISTANCE = 99;
constexpr uint8_t OCC_MARKS = OCC_MARK_A | OCC_MARK_B;

// Ring steps: (right, down), (down, left), (left, up), (up, right).
constexpr int32_t RING_STEP[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};

int32_t slot_of(const UnitRecord* u) { return static_cast<int32_t>(u - g_units.data()); }
bool party_slot(const UnitRecord* u) { return slot_of(u) < UNIT_PARTY_SLOTS; }
// Sides by slot: 0..17 against 18..61.
bool hostile(const UnitRecord* a, const UnitRecord* b) { return party_slot(a) != party_slot(b); }

bool wounded(const UnitRecord* u) { return u->stats.hp < u->stats.max_hp * 5 / 10; }
bool healing_terrain(int32_t t) { return map_terrain_heal_percent(t) > 0; }

uint32_t reach_flags(const UnitRecord* u) { return item_get(u->stats.weapon).flags & 7u; }
bool reaches(uint32_t flags, int32_t d) { return d >= 1 && d <= 3 && (flags & (1u << (d - 1))); }
int32_t probe_extra(const UnitRecord* u) { return u->stats.char_id == CHAR_LAST_ENEMY ? 1 : 0; }

bool marked(int32_t x, int32_t y) { return (g_map.cells[y * MAP_SIDE + x] & MAP_MARK) != 0; }
uint8_t& occ_at(int32_t x, int32_t y) { return g_occupancy.cells[y * MAP_SIDE + x]; }
int32_t damage_at(int32_t x, int32_t y) { return map_terrain_damage_percent(map_terrain_class_at(x, y)); }
int32_t range_points(int32_t x, int32_t y) { return g_move_range ? g_move_range[y * map_width() + x] : 0; }

// Calls f(x, y) for every cell of the ring at distance r around (cx, cy)
// that lies on the map, clockwise from the cell straight above.
template <class F>
void walk_ring(int32_t cx, int32_t cy, int32_t r, F f) {
    int32_t x = cx, y = cy - r;
    for (const auto& step : RING_STEP)
        for (int32_t s = 0; s < r; ++s) {
            x += step[0];
            y += step[1];
            if (map_on_map(x, y)) f(x, y);
        }
}

// Among the distances 1..3 with a choice, the last at which the other unit
// cannot strike back; else the one of lowest damage percentage (the first
// on equal values). 0 when no distance has a choice.
int32_t pick_distance(const bool found[4], const int32_t pct[4], uint32_t other_reach) {
    int32_t pick = 0;
    for (int32_t d = 1; d <= 3; ++d)
        if (found[d] && !reaches(other_reach, d)) pick = d;
    if (pick) return pick;
    for (int32_t d = 1; d <= 3; ++d)
        if (found[d] && (!pick || pct[d] < pct[pick])) pick = d;
    return pick;
}

// The AI mode the unit acts by: the spirit acts as AI_MODE_ADVANCE, the fire
// spirit as AI_MODE_CHASE_NEAR.
int32_t acting_mode(const UnitRecord* u) {
    if (unit_is_summoned_spirit(u))
        return u->stats.class_id == CLASS_FIRE_SPIRIT ? AI_MODE_CHASE_NEAR : AI_MODE_ADVANCE;
    return u->stats.ai_mode;
}

// The modes that try to summon when nothing is in reach.
bool summons(int32_t mode) {
    return mode == AI_MODE_SUMMONER || mode == AI_MODE_SUMMONER_BOSS || mode == AI_MODE_SUMMONER_NEAR;
}

// The modes that attack only from where they stand.
bool stands_still(int32_t mode) {
    return mode == AI_MODE_BOSS_UNMET || mode == AI_MODE_HOLD || mode == AI_MODE_HOLD_B || summons(mode);
}

// A dormant unit wakes when a party unit with HP comes within 4 cells.
void wake_if_near(UnitRecord* u) {
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        const UnitRecord& p = g_units[static_cast<size_t>(s)];
        if (p.number == 0 || p.stats.hp == 0) continue;
        if (map_manhattan_distance(u->x, u->y, p.x, p.y) >= WAKE_DISTANCE) continue;
        if (g_map_tile_set == WAKE_TILE_SET && map_on_map(u->x, u->y)) {
            uint8_t& cell = g_map.cells[u->y * MAP_SIDE + u->x];
            if (cell == 20 || cell == 44 || cell == 60) cell = WAKE_TILE;
        }
        u->stats.ai_mode = AI_MODE_ADVANCE;
        return;
    }
}

// AI_MODE_FLEE: the empty reachable cell farthest from a hostile candidate.
void plan_flight(UnitRecord* u) {
    int32_t best = 0;
    bool found = false;
    for (int32_t y = u->y - AI_PLAN_RADIUS; y < u->y + AI_PLAN_RADIUS; ++y)
        for (int32_t x = u->x - AI_PLAN_RADIUS; x < u->x + AI_PLAN_RADIUS; ++x) {
            if (!map_on_map(x, y) || marked(x, y) || unit_at_cell(x, y)) continue;
            for (int32_t i = 0; i < g_ai_candidate_count; ++i) {
                const AiCandidate& c = g_ai_candidates[static_cast<size_t>(i)];
                if (c.unit < 0 || !hostile(u, &g_units[static_cast<size_t>(c.unit)])) continue;
                const int32_t d = map_manhattan_distance(x, y, c.x, c.y);
                if (d <= best) continue;
                best = d;
                g_ai_move_x = x;
                g_ai_move_y = y;
                found = true;
            }
        }
    if (found) g_ai_candidate_count = 0;
}

// A wounded unit goes for the first empty healing cell among its candidates.
void plan_healing_cell() {
    for (int32_t i = 0; i < g_ai_candidate_count; ++i) {
        const AiCandidate& c = g_ai_candidates[static_cast<size_t>(i)];
        if (c.unit >= 0 || !healing_terrain(c.terrain)) continue;
        g_ai_move_x = c.x;
        g_ai_move_y = c.y;
        g_ai_candidate_count = 0;
        return;
    }
}

// A healer goes next to the first wounded ally among its candidates. (The
// scan lists only unmarked cells, and an ally's cell stays marked, so no
// such candidate is ever listed.)
UnitRecord* plan_patient(UnitRecord* u) {
    for (int32_t i = 0; i < g_ai_candidate_count; ++i) {
        const AiCandidate& c = g_ai_candidates[static_cast<size_t>(i)];
        if (c.unit < 0) continue;
        UnitRecord* p = &g_units[static_cast<size_t>(c.unit)];
        if (p == u || hostile(u, p) || p->stats.hp >= p->stats.max_hp / 2) continue;
        int32_t x = 0, y = 0;
        if (!ai_choose_attack_cell(u, p, &x, &y)) return nullptr;
        g_ai_move_x = x;
        g_ai_move_y = y;
        g_ai_candidate_count = 0;
        return p;
    }
    return nullptr;
}

// The nearest hostile candidate that has a cell to be attacked from (the
// weaker cover on equal distances); its attack cell becomes the move target.
UnitRecord* plan_attack(UnitRecord* u) {
    UnitRecord* best = nullptr;
    int32_t best_d = NO_DISTANCE, best_pct = 0;
    for (int32_t i = 0; i < g_ai_candidate_count; ++i) {
        const AiCandidate& c = g_ai_candidates[static_cast<size_t>(i)];
        if (c.unit < 0) continue;
        UnitRecord* t = &g_units[static_cast<size_t>(c.unit)];
        if (!hostile(u, t) || t->stats.hp <= 0) continue;
        int32_t x = 0, y = 0;
        if (!ai_choose_attack_cell(u, t, &x, &y)) continue;
        const int32_t d = map_manhattan_distance(u->x, u->y, c.x, c.y);
        const int32_t pct = damage_at(c.x, c.y);
        if (d < best_d || (d == best_d && pct > best_pct)) {
            best = t;
            best_d = d;
            best_pct = pct;
            g_ai_move_x = x;
            g_ai_move_y = y;
        }
    }
    return best;
}

// The walk to the planned cell. 1 when the unit stands there afterwards.
bool walk_to_plan(UnitRecord* u) {
    const int32_t tx = g_ai_move_x, ty = g_ai_move_y;
    if (tx == u->x && ty == u->y) return true;
    win_cursor_flag_off();
    map_view_on_cell_toward(tx, ty, u->x, u->y);
    g_opt_side_marks = 0;
    map_redraw_view();
    MovePath path{};
    const int32_t steps = g_move_range ? map_trace_move_path(u, tx, ty, path) : 0;
    if (steps > 0) map_walk_path(u, path, steps);
    win_cursor_flag_on();
    return steps > 0;
}

// 1 when the unit's weapon reaches the target from where the unit stands.
bool in_reach(const UnitRecord* u, const UnitRecord* t) {
    return reaches(reach_flags(u), map_manhattan_distance(u->x, u->y, t->x, t->y) - probe_extra(u));
}

void take_off_map(UnitRecord* u) {
    if (u && u->number != 0) map_move_unit_step(u, 6);
}

// The battle between the acting unit and its target, with the hooks around it.
void fight(UnitRecord* u, UnitRecord* target, int32_t mode) {
    occ_at(u->x, u->y) |= OCC_MARKS;
    occ_at(target->x, target->y) |= hostile(u, target) ? OCC_MARK_B : OCC_MARK_A;
    UnitRecord* first = target;
    UnitRecord* second = u;
    int32_t side = 1;
    if (!ai_mode_is_computer(u->stats.ai_mode)) {
        first = u;
        second = target;
        side = 0;
    }
    int32_t range = map_manhattan_distance(first->x, first->y, second->x, second->y) - 1;
    if (second->stats.char_id == CHAR_LAST_ENEMY) {
        --range;
        if (range == 0 && !(reach_flags(first) & ITEM_DIRECT)) range = 1;
    }
    map_center_view_on(second->x, second->y);
    map_redraw_view();

    bool animated = false;
    if (scn_before_battle(first, second) == 0) {
        map_redraw_view();
        int16_t terrain[2];
        btl_terrain_pair(first, second, terrain);
        animated = btl_scene_animated(mode);
        g_unit_charge_flag = 0;
        g_btl_target_status_ptr = &first->status;
        g_btl_attacker_unit = first;
        btl_fight_on_map(terrain, side, range, &first->stats, &second->stats, animated);
        if (second->stats.hp == 0) ++first->victories;
    }

    occ_at(u->x, u->y) &= OCC_UNIT_MASK;
    occ_at(target->x, target->y) &= OCC_UNIT_MASK;
    const bool last_form_fell = second->stats.hp == 0 && second->stats.class_id == CLASS_LAST_FORM;
    if (animated) {
        gfx_fade_to_scene_wait(1);
        if (!last_form_fell) {
            map_redraw_view();
            gfx_fade_to_wait(&g_default_palette, 1);
        }
    } else {
        map_redraw_view();
    }
    if (first->stats.hp == 0) {
        first->charged = 0;
        const bool spirit = unit_is_summoned_spirit(first);
        const bool summoner = first->stats.char_id == CHAR_SUMMONER;
        if (spirit) take_off_map(first);
        // Character 9 leaves with character 8, when it is still there.
        if (summoner) take_off_map(unit_find_by_char_id(CHAR_SUMMONER_PARTNER));
    }
    if (second->stats.hp == 0 && second->stats.class_id != CLASS_LAST_FORM) take_off_map(second);
    // The colours cycle again also when the last form fell, as after the
    // attack command: the closing scene and the next game must not start
    // with them held.
    g_colour_cycle_block = 0;
    scn_after_battle(first, second);
}

}  // namespace

UnitRecord* ai_choose_attack_target(UnitRecord* unit) {
    const uint32_t flags = reach_flags(unit);
    UnitRecord* found[4] = {};
    int32_t pct[4] = {};
    bool any[4] = {};
    for (int32_t d = 1; d <= 3; ++d) {
        if (!reaches(flags, d)) continue;
        walk_ring(unit->x, unit->y, d + probe_extra(unit), [&](int32_t x, int32_t y) {
            UnitRecord* t = unit_at_cell(x, y);
            if (!t || !hostile(unit, t) || t->stats.hp <= 0) return;
            const int32_t p = damage_at(x, y);
            if (!found[d] || p > pct[d] || (p == pct[d] && util_random() % 2 == 0)) {
                found[d] = t;
                pct[d] = p;
                any[d] = true;
            }
        });
    }
    // The strike-back test reads each candidate's own weapon.
    int32_t pick = 0;
    for (int32_t d = 1; d <= 3; ++d)
        if (any[d] && !reaches(reach_flags(found[d]), d)) pick = d;
    if (!pick)
        for (int32_t d = 1; d <= 3; ++d)
            if (any[d] && (!pick || pct[d] < pct[pick])) pick = d;
    return pick ? found[pick] : nullptr;
}

int32_t ai_choose_attack_cell(UnitRecord* unit, UnitRecord* target, int32_t* out_x, int32_t* out_y) {
    const uint32_t flags = reach_flags(unit);
    bool found[4] = {};
    int32_t pct[4] = {}, points[4] = {}, cx[4] = {}, cy[4] = {};
    for (int32_t d = 1; d <= 3; ++d) {
        if (!reaches(flags, d)) continue;
        walk_ring(target->x, target->y, d + probe_extra(unit), [&](int32_t x, int32_t y) {
            const bool own = x == unit->x && y == unit->y;
            const bool open = !marked(x, y) && map_terrain_class_at(x, y) != 0 && !unit_at_cell(x, y);
            if (!own && !open) return;
            const int32_t p = damage_at(x, y), left = range_points(x, y);
            if (!found[d] || p < pct[d] || (p == pct[d] && left > points[d])) {
                found[d] = true;
                pct[d] = p;
                points[d] = left;
                cx[d] = x;
                cy[d] = y;
            }
        });
    }
    const int32_t pick = pick_distance(found, pct, reach_flags(target));
    if (!pick) return 0;
    *out_x = cx[pick];
    *out_y = cy[pick];
    return 1;
}

UnitRecord* ai_find_nearest_hostile(UnitRecord* unit, int32_t limit) {
    const bool computer = ai_mode_is_computer(unit->stats.ai_mode);
    UnitRecord* best = nullptr;
    int32_t best_d = 0;
    for (UnitRecord& o : g_units) {
        if (o.number == 0 || o.stats.hp <= 0 || ai_mode_is_computer(o.stats.ai_mode) == computer) continue;
        const int32_t d = map_manhattan_distance(unit->x, unit->y, o.x, o.y);
        if (!best || d < best_d) {
            best = &o;
            best_d = d;
        }
    }
    return best && best_d <= limit ? best : nullptr;
}

void ai_plan_move(UnitRecord* unit, int32_t gx, int32_t gy) {
    const int32_t ux = unit->x, uy = unit->y;
    const bool goal = gx >= 0;
    int32_t best_d = goal ? map_manhattan_distance(ux, uy, gx, gy) : 0;
    int32_t best_cost = 99, best_balance = 99, best_reach = 0;
    g_ai_move_x = ux;
    g_ai_move_y = uy;
    g_ai_candidate_count = 0;

    map_mark_all_cells(g_map.cells);
    if (!map_alloc_move_range() || !map_on_map(ux, uy)) return;
    g_move_range[uy * map_width() + ux] = MOVE_BUDGET;
    g_map.cells[uy * MAP_SIDE + ux] &= static_cast<uint8_t>(~MAP_MARK);
    int32_t costs[11];
    unit_get_move_costs(unit, costs);
    map_flood_move_range(unit, ux, uy, costs, MOVE_BUDGET);

    const bool healer = unit_is_healer(unit);
    for (int32_t y = uy - AI_PLAN_RADIUS; y < uy + AI_PLAN_RADIUS; ++y)
        for (int32_t x = ux - AI_PLAN_RADIUS; x < ux + AI_PLAN_RADIUS; ++x) {
            if (!map_on_map(x, y) || marked(x, y)) continue;
            UnitRecord* occ = unit_at_cell(x, y);
            const int32_t terrain = map_terrain_class_at(x, y);
            // The scan writes every cell into the next free entry; once 19
            // are kept that is the scratch entry past them.
            AiCandidate& c = g_ai_candidates[static_cast<size_t>(g_ai_candidate_count)];
            c = {x, y, terrain, occ ? occ->number - 1 : -1};

            if (goal && (!occ || occ == unit) && terrain > 0) {
                const int32_t d = map_manhattan_distance(x, y, gx, gy);
                const int32_t cost = costs[terrain];
                const int32_t balance = std::abs(std::abs(gx - x) - std::abs(gy - y));
                const int32_t reach = g_move_range[y * map_width() + x];
                const bool take =
                    d < best_d || (d == best_d && (cost < best_cost || balance < best_balance || reach > best_reach));
                if (take) {
                    best_d = d;
                    best_cost = cost;
                    best_balance = balance;
                    best_reach = reach;
                    g_ai_move_x = x;
                    g_ai_move_y = y;
                }
            }

            bool candidate = false;
            if (!occ)
                candidate = healing_terrain(terrain);
            else if (hostile(unit, occ))
                candidate = occ->stats.hp > 0;
            else
                candidate = healer && occ != unit && wounded(occ);
            if (!candidate) continue;
            if (g_ai_candidate_count < AI_CANDIDATES)
                ++g_ai_candidate_count;
            else
                g_ai_candidates[AI_CANDIDATES - 1] = c;  // later ones overwrite the 19th
        }
}

void ai_summoner_spawn(UnitRecord* unit) {
    const int32_t mode = unit->stats.ai_mode;
    if ((mode == AI_MODE_SUMMONER_BOSS || mode == AI_MODE_SUMMONER_NEAR) && !ai_find_nearest_hostile(unit, 20)) return;
    bool centred = false;
    for (int32_t k = 0; k < 6; ++k) {
        if (util_random() % 2 != 0) continue;
        const int32_t row = unit->stats.class_id - CLASS_DARK_KNIGHT, col = (util_random() % 6) * 2;
        const int32_t monster = row >= 0 && row < AI_SUMMON_ROWS
                                    ? g_ai_summon_table[static_cast<size_t>(row)][static_cast<size_t>(col)]
                                    : 0;
        if (monster <= 0 || monster >= MOVE_COST_CLASSES) continue;
        int32_t x = unit->x, y = unit->y;
        if (k > 3 || !map_step_dir(&x, &y, k) || unit_at_cell(x, y)) continue;
        if (g_move_costs[static_cast<size_t>(monster)][static_cast<size_t>(map_terrain_class_at(x, y))] >=
            MOVE_COST_BLOCKED)
            continue;
        if (!centred) {
            map_center_view_on(unit->x, unit->y);
            centred = true;
        }
        UnitStats copy = unit->stats;
        copy.class_id = static_cast<int16_t>(monster);
        if (UnitRecord* spawned = unit_place_new(x, y, &copy)) scn_enemy_act(spawned);
    }
}

void ai_unit_act(UnitRecord* unit, int32_t gx, int32_t gy) {
    if (!unit || unit->number == 0 || !map_on_map(unit->x, unit->y)) return;
    const int32_t saved_marks = g_opt_side_marks;
    const int32_t mode = acting_mode(unit);
    UnitRecord* target = nullptr;

    if (mode == AI_MODE_DORMANT) {
        wake_if_near(unit);
        return;
    }
    if (stands_still(mode)) {
        target = ai_choose_attack_target(unit);
        if (!target && summons(mode)) ai_summoner_spawn(unit);
    } else {
        if (mode == AI_MODE_CHASE_NEAR || mode == AI_MODE_CHASE_FAR) {
            if (UnitRecord* h = ai_find_nearest_hostile(unit, mode == AI_MODE_CHASE_NEAR ? 10 : 20)) {
                gx = h->x;
                gy = h->y;
            }
        }
        ai_plan_move(unit, gx, gy);
        if (mode == AI_MODE_FLEE && g_ai_candidate_count > 0) plan_flight(unit);
        if (wounded(unit)) plan_healing_cell();
        if (unit_is_healer(unit) && g_ai_candidate_count > 0) target = plan_patient(unit);
        if (!target) target = plan_attack(unit);
        // A path that cannot be traced leaves the unit where it stands: it
        // fights only a target its weapon reaches from there.
        if (!walk_to_plan(unit) && target && !in_reach(unit, target)) target = nullptr;
        if (!target) target = ai_choose_attack_target(unit);
    }

    unit->acted = 1;
    map_free_move_range();
    map_unmark_all_cells(g_map.cells);
    g_opt_side_marks = saved_marks;
    if (!target) return;
    fight(unit, target, mode);
}

void ai_reset() {
    g_ai_candidates = {};
    g_ai_candidate_count = 0;
    g_ai_move_x = g_ai_move_y = 0;
}
