// Calls from the enemy AI into the battle engine, which is not built yet:
// the two battle entries and the globals the AI sets before a battle. Each
// is a placeholder in tactics/pending_battle.cpp until the real one lands;
// the placeholders record their calls in g_pending_battles so that the AI's
// choice of fighters, sides and distance can be checked.
#pragma once

#include <cstdint>
#include <vector>

struct UnitRecord;
struct UnitStats;

// The charged-attack flag of the coming battle.
extern uint16_t g_unit_charge_flag;
// The attacked unit's status counter (never null: a spare counter at start).
extern int16_t* g_btl_target_status_ptr;
// The party unit of the battle.
extern UnitRecord* g_btl_attacker_unit;

// One battle: terrain kinds (1-based) of side 0 and side 1, the attacker
// side, the range mode and the two fighters' stats; returns the battle result.
int32_t btl_animated_battle(const int16_t terrain[2], int32_t attacker_side, int32_t range_mode, UnitStats* side0,
                            UnitStats* side1);
int32_t btl_plain_battle(const int16_t terrain[2], int32_t attacker_side, int32_t range_mode, UnitStats* side0,
                         UnitStats* side1);

// A recorded battle call.
struct PendingBattle {
    int32_t animated;
    int16_t terrain[2];
    int32_t attacker_side;
    int32_t range_mode;
    UnitStats* side0;
    UnitStats* side1;
};
extern std::vector<PendingBattle> g_pending_battles;
// Run by the placeholder battles after recording the call, when set (tests
// stand a fighter's fall with it); null does nothing.
extern void (*g_pending_battle_outcome)(UnitStats* side0, UnitStats* side1);
