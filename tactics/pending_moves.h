// Calls from movement, picking and the unit command menu into code that is
// not built yet: the item table and item commands, chests, targeting and the attack,
// and the enemy AI's move planner. Each is a placeholder in
// tactics/pending_moves.cpp until the real one lands.
#pragma once

#include <array>
#include <cstdint>

struct UnitRecord;

// Item table, item rules and chests.
constexpr uint32_t ITEM_DIRECT = 0x1;
constexpr uint32_t ITEM_NEAR = 0x2;
constexpr uint32_t ITEM_FAR = 0x4;
constexpr uint32_t ITEM_CHARGE = 0x40;
constexpr uint32_t ITEM_AREA = 0x400;
// The flags word of an item id; 0 outside the table.
uint32_t item_flags_of(int32_t item_id);
int32_t unit_class_is_final(int32_t class_id);
void item_check_treasure(UnitRecord* unit);
void item_unit_slot_menu(UnitRecord* unit);
void item_use(UnitRecord* unit);
void item_exchange_weapon(UnitRecord* unit);

// Targeting and the attack command. The rings of distances 1..3 hold at
// most 24 cells.
constexpr int32_t UNIT_TARGET_MAX = 24;
extern std::array<UnitRecord*, UNIT_TARGET_MAX> g_unit_target_list;
int32_t btl_mark_targets(UnitRecord* attacker);
void btl_attack_command(UnitRecord* attacker, UnitRecord* target);

// Enemy AI: plans a move toward the goal, leaving the filled range in
// g_move_range (the caller frees it) and the planned cell in g_ai_move_x, y.
extern int32_t g_ai_move_x, g_ai_move_y;
void ai_plan_move(UnitRecord* unit, int32_t goal_x, int32_t goal_y);
