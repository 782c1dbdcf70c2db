// Placeholders for calls into code that is not built yet; each says what
// it waits for. They do the least that keeps the callers' flows sound.
#include "tactics/pending_moves.h"

#include <cstdlib>

#include "platform/input.h"
#include "platform/sound.h"
#include "platform/text.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/move.h"
#include "tactics/units.h"


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
    uint32_t f = item_get(a->stats.weapon).flags;
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
