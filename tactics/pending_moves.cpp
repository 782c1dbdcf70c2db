// Placeholders for calls into code that is not built yet; each says what
// it waits for. They do the least that keeps the callers' flows sound.
#include "tactics/pending_moves.h"

#include <cstdlib>

#include "platform/input.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "tactics/map.h"
#include "tactics/move.h"
#include "tactics/units.h"

namespace {
// PENDING: the flags column of the item table g_items; read g_items[id].flags
// once the item table exists.
constexpr std::array<uint32_t, 107> kItemFlags = {
0x10, 0x9, 0x8, 0x8, 0x8, 0x88, 0x88, 0x200, 0x200, 0x200, 
0x200, 0x200, 0x200, 0x1, 0x1, 0x1, 0x101, 0x1, 0x41, 0x1, 
0x1, 0x1, 0x1, 0x1, 0x41, 0x1, 0x1, 0x1, 0x101, 0x1, 
0x441, 0x1, 0x1, 0x1, 0x101, 0x1, 0x41, 0x1, 0x1, 0x1, 
0x101, 0x3, 0x43, 0x3, 0x3, 0x3, 0x103, 0x3, 0x43, 0x1, 
0x1, 0x1, 0x3, 0x3, 0x443, 0x3, 0x3, 0x443, 0x20, 0x1, 
0x11, 0x12, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 0x13, 
0x13, 0x11, 0x13, 0x13, 0x13, 0x11, 0x11, 0x11, 0x13, 0x13, 
0x13, 0x11, 0x11, 0x13, 0x13, 0x11, 0x11, 0x11, 0x11, 0x11, 
0x11, 0x11, 0x13, 0x13, 0x13, 0x16, 0x11, 0x11, 0x13, 0x13, 
0x13, 0x13, 0x11, 0x11, 0x13, 0x13, 0x0};
}  // namespace

uint32_t item_flags_of(int32_t item_id) {
    return (item_id >= 0 && item_id < static_cast<int32_t>(kItemFlags.size())) ? kItemFlags[static_cast<size_t>(item_id)]
                                                                                 : 0;
}

// PENDING: the item rules' unit_class_is_final; the base classes are the even
// classes 0..12.
int32_t unit_class_is_final(int32_t class_id) {
    return (class_id >= 0 && class_id <= 12 && class_id % 2 == 0) ? 0 : 1;
}

// PENDING: the chest search of the item rules; finds nothing.
void item_check_treasure(UnitRecord*) {}
// PENDING: the item slot menu, item use and weapon exchange; they open nothing.
void item_unit_slot_menu(UnitRecord*) {}
void item_use(UnitRecord*) {}
void item_exchange_weapon(UnitRecord*) {}

std::array<UnitRecord*, UNIT_TARGET_MAX> g_unit_target_list{};

namespace {
bool support_unit(const UnitRecord* u) {
    return u->stats.char_id == 1 || u->stats.char_id == 7 || u->stats.class_id == 16;
}
}  // namespace

// PENDING: targeting of the attack command; this follows the target search
// with mode 2 (enemies), + 1 (friends) for support units, and marks the
// cells.
int32_t btl_mark_targets(UnitRecord* a) {
    const bool support = support_unit(a) || a->stats.char_id == 3;
    const int32_t mode = support ? 3 : 2;
    uint32_t f = item_flags_of(a->stats.weapon);
    if ((f & ITEM_AREA) && a->charged) f = 7;
    g_occupancy.cells[a->y * MAP_SIDE + a->x] |= OCC_MARK_A | OCC_MARK_B;
    int32_t n = 0;
    static constexpr int32_t kStep[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (int32_t r = 1; r <= 3; ++r) {
        const bool ring = (r == 1 && (support_unit(a) || (f & 1))) || (r == 2 && (support_unit(a) || (f & 2))) ||
                          (r == 3 && (f & 4));
        if (!ring) continue;
        int32_t x = a->x, y = a->y - r;
        for (int32_t side = 0; side < 4; ++side)
            for (int32_t s = 0; s < r; ++s) {
                x += kStep[side][0];
                y += kStep[side][1];
                if (!map_on_map(x, y)) continue;
                UnitRecord* u = unit_at_cell(x, y);
                if (!u || u->stats.ai_mode == 19) continue;
                const int32_t sw = u->stats.ai_mode, h = u->stats.hp;
                bool target = false;
                if (sw > 0 && h > 0 && sw != 16 && (f & (1u << (r - 1)))) target = true;
                else if (!(mode & 1) || sw > 0) target = false;
                else if (r <= 2 && support_unit(a) && !(u->stats.class_id >= 15 && u->stats.class_id <= 18 && sw == 0))
                    target = h < u->stats.max_hp;
                else target = r <= 2 && a->stats.char_id == 3 && u->acted;
                if (!target || n >= UNIT_TARGET_MAX) continue;
                g_unit_target_list[static_cast<size_t>(n++)] = u;
                if (a->stats.char_id == 3 && sw <= 0 && !u->acted) continue;
                g_occupancy.cells[y * MAP_SIDE + x] |= sw > 0 ? OCC_MARK_B : OCC_MARK_A;
            }
    }
    return n;
}

// PENDING: the attack command and the battle; until they land the attack
// only plays its sound and ends the attacker's action.
void btl_attack_command(UnitRecord* attacker, UnitRecord*) {
    snd_play_effect(14);
    attacker->acted = 1;
    attacker->charged = 0;
}

// PENDING: the enemy AI's move planner; until it lands this fills the range
// and keeps its goal test (the reachable cell nearest the goal), without the
// candidate list.
int32_t g_ai_move_x = 0, g_ai_move_y = 0;
void ai_plan_move(UnitRecord* unit, int32_t gx, int32_t gy) {
    g_ai_move_x = unit->x;
    g_ai_move_y = unit->y;
    map_mark_all_cells(g_map.cells);
    if (!map_alloc_move_range()) return;
    const int32_t w = map_width();
    g_move_range[unit->y * w + unit->x] = MOVE_BUDGET;
    g_map.cells[unit->y * MAP_SIDE + unit->x] &= static_cast<uint8_t>(~MAP_MARK);
    int32_t costs[11];
    unit_get_move_costs(unit, costs);
    map_flood_move_range(unit, unit->x, unit->y, costs, MOVE_BUDGET);
    if (gx < 0) return;
    int32_t best_d = map_manhattan_distance(unit->x, unit->y, gx, gy), best_cost = 99, best_bal = 99, best_reach = 0;
    for (int32_t y = unit->y - 20; y < unit->y + 20; ++y)
        for (int32_t x = unit->x - 20; x < unit->x + 20; ++x) {
            if (!map_on_map(x, y) || (g_map.cells[y * MAP_SIDE + x] & MAP_MARK)) continue;
            const UnitRecord* occ = unit_at_cell(x, y);
            const int32_t t = map_terrain_class_at(x, y);
            if ((occ && occ != unit) || t <= 0) continue;
            const int32_t d = map_manhattan_distance(x, y, gx, gy);
            const int32_t bal = std::abs(std::abs(gx - x) - std::abs(gy - y));
            const int32_t reach = g_move_range[y * w + x];
            bool take = d < best_d;
            if (d == best_d) take = costs[t] < best_cost || bal < best_bal || reach > best_reach;
            if (!take) continue;
            best_d = d;
            best_cost = costs[t];
            best_bal = bal;
            best_reach = reach;
            g_ai_move_x = x;
            g_ai_move_y = y;
        }
}
