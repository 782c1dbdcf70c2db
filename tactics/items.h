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
    uint32_t price;           // buying price; selling gives price / 2; 0 = cannot be sold
    int32_t direct_hit;       // attack bonus at distance 1
    int32_t indirect_hit;     // attack bonus at distance 2
    int32_t direct_effect;    // magic bonus at distance 1
    int32_t indirect_effect;  // magic bonus at distance 2
    uint32_t flags;
    uint32_t class_mask;  // bit n = class n; CLASS_MASK_ANYONE = every class
};

constexpr int32_t ITEM_COUNT = 107;

// Item ids that code singles out: the weapons that choose a class's move in
// battle (btl_choose_move_for_class).
constexpr int32_t ITEM_IRON_KNUCKLE = 15;            // 아이언너클
constexpr int32_t ITEM_GAIA_WRIST = 17;              // 가이아리스트
constexpr int32_t ITEM_STILL_WATER_FIST = 18;        // 명경지수의 주먹
constexpr int32_t ITEM_CHAMMADO = 21;                // 참마도
constexpr int32_t ITEM_KING_SWORD = 23;              // 킹소드
constexpr int32_t ITEM_KAISER_SWORD = 24;            // 카이저소드
constexpr int32_t ITEM_LONG_SPEAR = 27;              // 롱스피어
constexpr int32_t ITEM_TORNADO_SPEAR = 30;           // 토르네이도스피어
constexpr int32_t ITEM_CHOCHI = 33;                  // 초치
constexpr int32_t ITEM_EAGLE_CLAW_BLADE = 35;        // 응조도
constexpr int32_t ITEM_LION_ROAR_BLADE = 36;         // 사자후인
constexpr int32_t ITEM_GLADIUS = 39;                 // 글라디우스
constexpr int32_t ITEM_SPARK_EDGE = 41;              // 스파크엣지
constexpr int32_t ITEM_SHINE_RAPIER = 42;            // 샤인레이피어
constexpr int32_t ITEM_EXORCISM_ROD = 45;            // 파마봉
constexpr int32_t ITEM_OGRE_HORSESHOE = 51;          // 오우거의 말굽
constexpr int32_t ITEM_ORB_STAFF = 53;               // 보주지팡이
constexpr int32_t ITEM_VOLCANO_ROD = 54;             // 볼케이노로드
constexpr int32_t ITEM_BASALT = 64;                  // 현무암
constexpr int32_t ITEM_PASSION_FLAME = 68;           // 정열의 불꽃
constexpr int32_t ITEM_TASTY_WATER = 70;             // 맛있는 물
constexpr int32_t ITEM_LUCERNE_HAMMER = 72;          // 루선해머
constexpr int32_t ITEM_RAGING_DEMON_RING = 73;       // 폭마의 반지
constexpr int32_t ITEM_BROADSWORD = 76;              // 브로드소드
constexpr int32_t ITEM_SOLVENT = 82;                 // 용해액
constexpr int32_t ITEM_LOG = 86;                     // 통나무
constexpr int32_t ITEM_MACE = 87;                    // 메이스
constexpr int32_t ITEM_SILVER_PLATING = 89;          // 은도금
constexpr int32_t ITEM_INRYEOLJO = 91;               // 인렬조
constexpr int32_t ITEM_VERY_HARD_BANDAGE = 95;       // 엄청 단단한 붕대
constexpr int32_t ITEM_TEN_MILLION_POWER_HORN = 97;  // 일천만파워의 뿔
constexpr int32_t ITEM_KING_COBRA = 101;             // 킹코브라
constexpr int32_t ITEM_CALCIUM_RICH_BONE = 103;      // Ca이 많은 뼈

// Flag bits.
constexpr uint32_t ITEM_DIRECT = 0x1;          // reach 1
constexpr uint32_t ITEM_NEAR = 0x2;            // reach 2
constexpr uint32_t ITEM_FAR = 0x4;             // reach 3
constexpr uint32_t ITEM_HEAL = 0x8;            // healing good (the battle rules read it as "no magic part")
constexpr uint32_t ITEM_NATURAL = 0x10;        // bound to its holder
constexpr uint32_t ITEM_SUMMON = 0x20;         // summoning good, never used up
constexpr uint32_t ITEM_CHARGE = 0x40;         // allows gathering strength
constexpr uint32_t ITEM_REVIVE = 0x80;         // revives a knocked-out party unit
constexpr uint32_t ITEM_CLASS_CHANGE = 0x100;  // promotes a base class at level 20+
constexpr uint32_t ITEM_SPECIAL = 0x200;       // permanent stat booster
constexpr uint32_t ITEM_AREA = 0x400;          // area weapon while charged
constexpr uint32_t ITEM_BAG_MASK = ITEM_HEAL | ITEM_SUMMON | ITEM_SPECIAL;
constexpr uint32_t CLASS_MASK_ANYONE = 0x2000000;
// Classes 25 and above have no bit of their own in a class mask.
constexpr int32_t ITEM_CLASS_BITS = 25;

constexpr uint16_t ITEM_NO_SLOT = 0xFFFF;  // equipped slot index: none
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
