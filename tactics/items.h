// Item rules, party bag and chests: the constant item table with its flag
// bits and class masks, the four item slots of a unit, the party bag and
// gold, the treasure chests of a stage with the per-stage chest lists, and
// the small item routines the item screens, the battle rules and the
// chapter scripts share.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "records are laid out little-endian");

struct UnitRecord;

// One record of the item table: eight 32-bit words.
struct ItemRecord {
    const char* name;
    uint32_t price;            // buying price; selling gives price / 2; 0 = cannot be sold
    int32_t direct_hit;        // attack bonus at distance 1
    int32_t indirect_hit;      // attack bonus at distance 2
    int32_t direct_effect;     // magic bonus at distance 1
    int32_t indirect_effect;   // magic bonus at distance 2
    uint32_t flags;
    uint32_t class_mask;       // bit n = class n; CLASS_MASK_ANYONE = every class
};

constexpr int32_t ITEM_COUNT = 107;

// Flag bits.
constexpr uint32_t ITEM_DIRECT = 0x1;         // reach 1
constexpr uint32_t ITEM_NEAR = 0x2;           // reach 2
constexpr uint32_t ITEM_FAR = 0x4;            // reach 3
constexpr uint32_t ITEM_HEAL = 0x8;           // healing good (the battle rules read it as "no magic part")
constexpr uint32_t ITEM_NATURAL = 0x10;       // bound to its holder
constexpr uint32_t ITEM_SUMMON = 0x20;        // summoning good, never used up
constexpr uint32_t ITEM_CHARGE = 0x40;        // allows gathering strength
constexpr uint32_t ITEM_REVIVE = 0x80;        // revives a knocked-out party unit
constexpr uint32_t ITEM_CLASS_CHANGE = 0x100; // promotes a base class at level 20+
constexpr uint32_t ITEM_SPECIAL = 0x200;      // permanent stat booster
constexpr uint32_t ITEM_AREA = 0x400;         // area weapon while charged
constexpr uint32_t ITEM_BAG_MASK = ITEM_HEAL | ITEM_SUMMON | ITEM_SPECIAL;
constexpr uint32_t CLASS_MASK_ANYONE = 0x2000000;
// Classes 25 and above have no bit of their own in a class mask.
constexpr int32_t ITEM_CLASS_BITS = 25;

constexpr uint16_t ITEM_NO_SLOT = 0xFFFF;     // equipped slot index: none
constexpr int32_t ITEM_SLOTS = 4;
constexpr int32_t ITEM_LEVEL_CLASS_CHANGE = 20;

constexpr uint32_t GOLD_MAX = 60000;
constexpr int16_t BAG_COUNT_MAX = 99;

// A party bag entry: item id (0 = empty) and count 1..99.
struct BagEntry {
    int16_t item_id;
    int16_t count;
};
static_assert(sizeof(BagEntry) == 4);
static_assert(offsetof(BagEntry, count) == 2);

// A treasure chest: state, cell, gold and item id.
struct ChestRecord {
    int16_t state;
    int16_t x;
    int16_t y;
    int16_t gold;
    int16_t item_id;
};
static_assert(sizeof(ChestRecord) == 10);
static_assert(offsetof(ChestRecord, x) == 2);
static_assert(offsetof(ChestRecord, y) == 4);
static_assert(offsetof(ChestRecord, gold) == 6);
static_assert(offsetof(ChestRecord, item_id) == 8);

constexpr int16_t CHEST_FREE = 0;
constexpr int16_t CHEST_HIDDEN = 1;
constexpr int16_t CHEST_FOUND = 2;
constexpr int16_t CHEST_OPENED = 3;

constexpr int32_t BAG_ENTRIES = 12;
constexpr int32_t CHEST_RECORDS = 20;
constexpr int32_t CHEST_STAGES = 40;

extern const std::array<ItemRecord, ITEM_COUNT> g_items;
extern std::array<BagEntry, BAG_ENTRIES> g_bag;
extern uint32_t g_gold;
extern std::array<ChestRecord, CHEST_RECORDS> g_chests;
// The chest lists by stage index; null where a stage has none.
extern const std::array<const ChestRecord*, CHEST_STAGES> g_stage_chests;

// The record of an item id; ids outside the table read as the last (empty)
// record, so no lookup leaves the table.
const ItemRecord& item_get(int32_t item_id);
// 1 when the id is one of the table's 107 entries.
int32_t item_id_valid(int32_t item_id);
// Adds to the gold, clamped to GOLD_MAX.
void item_add_gold(uint32_t amount);

// Gives an item: a bag item to the bag (no unit needed), any other to the
// unit's first empty slot. 1 given, 0 no room (nothing changed).
int32_t item_give(UnitRecord* unit, int32_t item_id);
int32_t item_usable_by_class(int32_t item_id, int32_t class_id);
// 0 for the seven base classes 0, 2, .., 12, else 1.
int32_t unit_class_is_final(int32_t class_id);
// The item's description, the classes that may use it and, for a weapon
// the unit could hold, the comparison with the unit's weapon.
void item_show_info(UnitRecord* unit, int32_t item_id);
// The stage's chest list (ended by a record with x < 0), or null.
const ChestRecord* item_stage_chest_list(int32_t stage);
// Clears g_chests and copies a chest list into it; null does nothing.
void item_load_map_objects(const ChestRecord* list);
// Index of the first live chest on (x, y), or -1.
int32_t item_find_map_object(int32_t x, int32_t y);
// Finds chests around and under the unit and opens the one under it.
void item_check_treasure(UnitRecord* unit);
// Packs the four slots to the front, the equipped index following its item.
void item_compact_unit_slots(UnitRecord* unit);
void item_sort_bag();
// The kind word of an item at the text cursor.
void item_show_kind(UnitRecord* unit, int32_t item_id, int32_t kinds);
// The particle form that follows a name: the first when the name ends
// without a final consonant, else the second.
const char* item_particle(const char* name, const char* without_final, const char* with_final);

// Resets this module's state to its values at program start (tests).
void item_reset();
