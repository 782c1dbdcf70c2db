// Calls from the game loop, the turn loop and the chapter hooks into code
// that is not built yet: the enemy AI, the items, bag, gold and chests, and
// the shop. Each is a placeholder in one of the
// tactics/pending_*.cpp files until the real one lands; the placeholders
// record their calls in g_pending_log so that the callers' flows can be
// checked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "story/hooks.h"

struct UnitRecord;

// One line per placeholder call: "ai_unit_act 18 -1 -1", "item_shop_buy 3 20 14 1 5", ...
extern std::vector<std::string> g_pending_log;
// Appends one formatted line to g_pending_log.
void pending_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// --- enemy AI ------------------------------------------------------------------
// The whole action of a computer-controlled unit (or the spirit) toward a
// goal cell; a goal x below 0 means no goal.
void ai_unit_act(UnitRecord* unit, int32_t goal_x, int32_t goal_y);

// --- items, bag, gold and chests ----------------------------------------------------
// A party bag entry: item id (0 = empty) and count 1..99.
struct BagEntry {
    int16_t item_id;
    int16_t count;
};
static_assert(sizeof(BagEntry) == 4);

// A treasure chest: state (0 free, 1 hidden, 2 found, 3 opened), cell, gold
// and item id.
struct ChestRecord {
    int16_t state;
    int16_t x;
    int16_t y;
    int16_t gold;
    int16_t item_id;
};
static_assert(sizeof(ChestRecord) == 10);

constexpr int32_t BAG_ENTRIES = 12;
constexpr int32_t CHEST_RECORDS = 20;

extern std::array<BagEntry, BAG_ENTRIES> g_bag;
extern uint32_t g_gold;
extern std::array<ChestRecord, CHEST_RECORDS> g_chests;
// The stage's chest list (ended by a record with x < 0), or null.
const ChestRecord* item_stage_chest_list(int32_t stage);
// Clears g_chests and copies a chest list into it; null does nothing.
void item_load_map_objects(const ChestRecord* list);
// The shop for one customer with the stage's stock.
void item_shop_buy(UnitRecord* customer, const ShopStockRow& stock);

// What the chapters' unit-moved events answer until the chapter modules
// land (0: no event).
extern int32_t g_pending_unit_moved_result;
