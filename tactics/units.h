// Unit table and roster: the 62 unit records, the stage unit file, placement,
// lookups, counting and removal, the defeat test, names and face codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "tactics/ids.h"

// The 26-byte stat block: the end of a unit record, the body of a stage unit
// record, and what the battle engine works on.
struct UnitStats {
    int16_t char_id;
    int16_t class_id;
    int16_t level;
    int16_t max_hp;
    int16_t hp;
    int16_t exp;
    int16_t attack;
    int16_t defence;
    int16_t intelligence;
    int16_t magic_defence;
    int16_t agility;
    int16_t ai_mode;  // 0 player-controlled, above 0 computer-controlled (AI_MODE_*, tactics/ids.h)
    int16_t weapon;
};
static_assert(sizeof(UnitStats) == 26);
static_assert(offsetof(UnitStats, hp) == 8);
static_assert(offsetof(UnitStats, ai_mode) == 22);
static_assert(offsetof(UnitStats, weapon) == 24);

// A record of the unit table, saved byte for byte.
struct UnitRecord {
    uint16_t acted;
    int16_t number;  // slot + 1 while in use, 0 = free
    int16_t x;
    int16_t y;
    uint16_t victories;
    uint16_t charged;
    int16_t status;          // status counter
    uint16_t equipped_slot;  // 0..3, 0xFFFF none
    uint16_t items[4];
    UnitStats stats;
};
static_assert(sizeof(UnitRecord) == 50);
static_assert(offsetof(UnitRecord, number) == 2);
static_assert(offsetof(UnitRecord, x) == 4);
static_assert(offsetof(UnitRecord, y) == 6);
static_assert(offsetof(UnitRecord, victories) == 8);
static_assert(offsetof(UnitRecord, charged) == 10);
static_assert(offsetof(UnitRecord, status) == 12);
static_assert(offsetof(UnitRecord, equipped_slot) == 14);
static_assert(offsetof(UnitRecord, items) == 16);
static_assert(offsetof(UnitRecord, stats) == 24);

// A unit definition of the stage unit file.
struct StageUnitRecord {
    int16_t x;
    int16_t y;
    UnitStats stats;
};
static_assert(sizeof(StageUnitRecord) == 30);
static_assert(offsetof(StageUnitRecord, stats) == 4);

// An entry of a placement list; a character id below 0 ends the list.
struct PlacementEntry {
    int32_t char_id;
    int32_t x;
    int32_t y;
};
static_assert(sizeof(PlacementEntry) == 12);

constexpr int32_t UNIT_SLOTS = 62;
constexpr int32_t UNIT_PARTY_SLOTS = 18;  // slots 0..17 are the party side
constexpr int32_t CHAR_IDS = 30;
constexpr int32_t CLASS_NAMES = 54;

extern std::array<UnitRecord, UNIT_SLOTS> g_units;

// Names by character id and class id ("" where there is none), face codes
// by character id (null where there is none).
extern const char* const g_char_names[CHAR_IDS];
extern const char* const g_class_names[CLASS_NAMES];
extern const char* const g_face_codes[CHAR_IDS];

UnitRecord* unit_place_new(int32_t x, int32_t y, const UnitStats* stats);
void unit_load_stage_units(int32_t stage, int32_t clear);
void unit_place_list(const PlacementEntry* list);
UnitRecord* unit_find_by_char_id(int32_t char_id);
// A summoned spirit: a party-side unit of one of the spirit classes.
bool unit_is_summoned_spirit(const UnitRecord* u);
// The healers: the leader, Nos and the air spirit heal their side.
bool unit_is_healer(const UnitRecord* u);
UnitRecord* unit_find_spirit();
int32_t unit_count_live_enemies();
void unit_remove_enemies();
void unit_clear_acted_flags();
int32_t turn_leaders_fallen();
const char* unit_display_name(const UnitStats* stats);
const char* unit_face_code(const UnitStats* stats);
// The record in use whose number a cell of the occupancy grid holds, or null.
UnitRecord* unit_at_cell(int32_t x, int32_t y);

// Resets this module's state to its values at program start (tests).
void unit_reset();
