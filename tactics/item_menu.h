// The unit's item commands: the item slot menu (sell, equip, unequip and the
// class change that equipping a class-change weapon brings), the use of a
// bag item (healing, revival, stat boosters, summoning and dismissing the
// spirit) and the exchange of items with a unit at most two cells away.
#pragma once

#include <array>
#include <cstdint>

struct UnitRecord;

// A line of the summon menu and the spirit it makes.
struct SummonRow {
    const char* line;
    int16_t char_id;
    int16_t class_id;
    int16_t weapon;
};

constexpr int32_t SUMMON_ROWS = 4;

extern const std::array<SummonRow, SUMMON_ROWS> g_summon_rows;

void item_unit_slot_menu(UnitRecord* unit);
void item_use(UnitRecord* unit);
void item_exchange_weapon(UnitRecord* unit);
// Hit points a healing good restores.
int32_t item_heal_amount(int32_t item_id);
