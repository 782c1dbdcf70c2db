// The unit command menu: a click on a unit in the player phase shows its
// status and the commands that apply to it now (act, charge, shop, weapon,
// item, exchange, gather), and runs the chosen one.
#pragma once

#include <array>
#include <cstdint>

struct UnitRecord;

// Command numbers, the index into g_command_names.
constexpr int32_t CMD_ACT = 0;
constexpr int32_t CMD_WARP = 1;  // never offered to the player
constexpr int32_t CMD_CHARGE = 2;
constexpr int32_t CMD_SHOP = 3;
constexpr int32_t CMD_WEAPON = 4;
constexpr int32_t CMD_ITEM = 5;
constexpr int32_t CMD_EXCHANGE = 6;
constexpr int32_t CMD_CLEAR = 7;  // never offered to the player
constexpr int32_t CMD_GATHER = 8;
constexpr int32_t CMD_COUNT = 9;

extern const std::array<const char*, CMD_COUNT> g_command_names;

// 1 when the command is offered to the unit now, else 0.
int32_t menu_command_offered(const UnitRecord* unit, int32_t command);

// The whole click on the unit of a slot (0..61).
void menu_unit_command(int32_t slot);
// The act command: range, walk, attack ring and target pick.
void menu_cmd_act(UnitRecord* unit);
// Clears the map mark bit of the cells at the distances the unit can strike.
void map_mark_attack_ring(UnitRecord* unit);
// Walks every other able party unit that has not acted toward the unit.
void map_gather_party_to_unit(UnitRecord* unit);
