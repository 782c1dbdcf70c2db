// Calls from movement, picking and the unit command menu into code that is
// not built yet: targeting and the attack. Each is a placeholder in
// tactics/pending_moves.cpp until the real one lands.
#pragma once

#include <array>
#include <cstdint>

struct UnitRecord;


// Targeting and the attack command. The rings of distances 1..3 hold at
// most 24 cells.
constexpr int32_t UNIT_TARGET_MAX = 24;
extern std::array<UnitRecord*, UNIT_TARGET_MAX> g_unit_target_list;
int32_t btl_mark_targets(UnitRecord* attacker);
void btl_attack_command(UnitRecord* attacker, UnitRecord* target);
