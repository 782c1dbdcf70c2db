// Placeholders for the battle rules' calls made by the item commands.
#include "tactics/item_pending.h"

#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/pending_moves.h"
#include "tactics/units.h"

// PENDING: the attack command's target search; this placeholder serves the
// revive pick only (mode 4): knocked-out party units at distance 1, and at
// distance 2 for a support unit or a weapon that reaches 2. Modes 1 and 2
// find nothing until the real search lands.
int32_t btl_find_targets(int32_t x, int32_t y, UnitRecord* attacker, int32_t mode) {
    if (!attacker || !(mode & 4)) return 0;
    uint32_t f = item_get(attacker->stats.weapon).flags;
    if ((f & ITEM_AREA) && attacker->charged) f = 7;
    const bool support = attacker->stats.char_id == 1 || attacker->stats.char_id == 7 || attacker->stats.class_id == 16;
    static constexpr int32_t kStep[4][2] = {{1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    int32_t n = 0;
    for (int32_t r = 1; r <= 2; ++r) {
        if (r == 2 && !support && !(f & ITEM_NEAR)) continue;
        int32_t cx = x, cy = y - r;
        for (const auto& step : kStep)
            for (int32_t s = 0; s < r; ++s) {
                cx += step[0];
                cy += step[1];
                if (!map_on_map(cx, cy)) continue;
                UnitRecord* u = unit_at_cell(cx, cy);
                if (!u || u->stats.ai_mode == 19 || u->stats.ai_mode > 0 || u->stats.hp != 0) continue;
                if (n < UNIT_TARGET_MAX) g_unit_target_list[static_cast<size_t>(n++)] = u;
            }
    }
    return n;
}
