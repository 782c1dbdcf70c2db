// Placeholders for the battle engine's entries used by the enemy AI.
#include "tactics/pending_battle.h"

#include "tactics/units.h"

namespace {
int16_t g_spare_status = 0;

int32_t record_battle(int32_t animated, const int16_t terrain[2], int32_t side, int32_t range, UnitStats* s0,
                      UnitStats* s1) {
    g_pending_battles.push_back({animated, {terrain[0], terrain[1]}, side, range, s0, s1});
    if (g_pending_battle_outcome) g_pending_battle_outcome(s0, s1);
    return 0;
}
}  // namespace

// PENDING: the battle engine owns these three globals.
uint16_t g_unit_charge_flag = 0;
int16_t* g_btl_target_status_ptr = &g_spare_status;
UnitRecord* g_btl_attacker_unit = nullptr;

std::vector<PendingBattle> g_pending_battles;
void (*g_pending_battle_outcome)(UnitStats*, UnitStats*) = nullptr;

// PENDING: the animated battle scene and the plain exchange. Until they land
// a battle records its call and does nothing else: no damage, no experience.
int32_t btl_animated_battle(const int16_t terrain[2], int32_t side, int32_t range, UnitStats* s0, UnitStats* s1) {
    return record_battle(1, terrain, side, range, s0, s1);
}

int32_t btl_plain_battle(const int16_t terrain[2], int32_t side, int32_t range, UnitStats* s0, UnitStats* s1) {
    return record_battle(0, terrain, side, range, s0, s1);
}
