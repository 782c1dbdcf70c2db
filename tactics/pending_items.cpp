// Placeholders for the item rules, the bag, gold and chests, and the shop.
#include "tactics/pending.h"
#include "tactics/units.h"

// PENDING: the bag, the gold and the chest list belong to the item rules.
std::array<BagEntry, BAG_ENTRIES> g_bag{};
uint32_t g_gold = 0;
std::array<ChestRecord, CHEST_RECORDS> g_chests{};

// PENDING: the per-stage chest lists of the item rules; no stage has chests
// until they land.
const ChestRecord* item_stage_chest_list(int32_t) { return nullptr; }

// PENDING: the chest list loader of the item rules (clear, then copy up to
// 20 records until one with x < 0).
void item_load_map_objects(const ChestRecord* list) {
    if (!list) return;
    g_chests = {};
    for (int32_t i = 0; i < CHEST_RECORDS && list[i].x >= 0; ++i) g_chests[static_cast<size_t>(i)] = list[i];
}

// PENDING: the shop screen; until it lands nothing is sold.
void item_shop_buy(UnitRecord* customer, const ShopStockRow& stock) {
    const uint32_t* id = stock.item_ids;
    pending_log("item_shop_buy %d %u %u %u %u", customer ? customer->number - 1 : -1, id[0], id[1], id[2], id[3]);
}
