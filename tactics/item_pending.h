// Calls of the item commands into the battle rules, which are not built yet.
#pragma once

#include <cstdint>

struct UnitRecord;

// The target search of the attack command: fills g_unit_target_list and
// returns the count. Mode bits: 1 friends, 2 enemies, 4 beaten party units.
int32_t btl_find_targets(int32_t x, int32_t y, UnitRecord* attacker, int32_t mode);
