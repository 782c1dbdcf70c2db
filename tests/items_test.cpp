// Item rules, party bag and chests: the item table, class masks, giving,
// the bag sort, slot packing, gold, the chest lists and the chest search,
// and the kind words.
#include "tactics/items.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/draw.h"
#include "platform/sound.h"
#include "tests/item_fixture.h"

namespace {

void expect_item(int id, const char* name, uint32_t price, int dh, int ih, int de, int ie, uint32_t flags,
                 uint32_t mask) {
    const ItemRecord& r = g_items[static_cast<size_t>(id)];
    EXPECT_STREQ(r.name, name) << id;
    EXPECT_EQ(r.price, price) << id;
    EXPECT_EQ(r.direct_hit, dh) << id;
    EXPECT_EQ(r.indirect_hit, ih) << id;
    EXPECT_EQ(r.direct_effect, de) << id;
    EXPECT_EQ(r.indirect_effect, ie) << id;
    EXPECT_EQ(r.flags, flags) << id;
    EXPECT_EQ(r.class_mask, mask) << id;
}

std::vector<int> ids_with(uint32_t bits) {
    std::vector<int> out;
    for (int id = 0; id < ITEM_COUNT; ++id)
        if (g_items[static_cast<size_t>(id)].flags & bits) out.push_back(id);
    return out;
}

void clear_bag() { g_bag = {}; }

}  // namespace

TEST(ItemTable, SpotChecksAndFlagGroups) {
    ASSERT_EQ(g_items.size(), 107u);
    expect_item(0, "맨손", 0, 0, 0, 0, 0, 0x10, 0);
    expect_item(1, "약초", 200, 10, 0, 0, 0, 0x9, CLASS_MASK_ANYONE);
    expect_item(6, "이릭서", 12000, 0, 0, 999, 0, 0x88, CLASS_MASK_ANYONE);
    expect_item(12, "마력제거 부적", 16000, 0, 0, 0, 0, 0x200, CLASS_MASK_ANYONE);
    expect_item(18, "명경지수의 주먹", 2400, 38, 38, 0, 0, 0x41, 0x2);
    expect_item(30, "토르네이도스피어", 2400, 38, 20, 0, 18, 0x441, 0x20);
    expect_item(34, "선풍도", 1600, 26, 0, 0, 0, 0x101, 0xC0);
    expect_item(54, "볼케이노로드", 2400, 0, 0, 16, 12, 0x443, 0x2000);
    expect_item(58, "정령의 반지", 0, 0, 0, 0, 0, 0x20, 0x4000);
    expect_item(59, "", 0, 0, 0, 0, 0, 0x1, 0);
    expect_item(66, "육갑재넘이", 800, 24, 24, 0, 0, 0x13, 0x10000);
    expect_item(95, "엄청 단단한 붕대", 800, 24, 24, 0, 0, 0x16, 0);
    expect_item(103, "Ca이 많은 뼈", 1200, 16, 0, 0, 0, 0x11, 0);
    expect_item(105, "데스브링거", 4000, 26, 26, 0, 0, 0x13, 0);
    expect_item(106, "", 0, 0, 0, 0, 0, 0, 0);

    EXPECT_EQ(ids_with(ITEM_BAG_MASK), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 58}));
    EXPECT_EQ(ids_with(ITEM_CLASS_CHANGE), (std::vector<int>{16, 28, 34, 40, 46}));
    EXPECT_EQ(ids_with(ITEM_AREA), (std::vector<int>{30, 54, 57}));
    EXPECT_EQ(ids_with(ITEM_REVIVE), (std::vector<int>{5, 6}));
    EXPECT_EQ(ids_with(ITEM_CHARGE), (std::vector<int>{18, 24, 30, 36, 42, 48, 54, 57}));
    // Every natural weapon (60..105) is bound to its holder and sells for
    // the price of a weapon; the class-change talisman has no magic-removing
    // 0x8 bit.
    for (int id = 60; id <= 105; ++id) EXPECT_TRUE(g_items[static_cast<size_t>(id)].flags & ITEM_NATURAL) << id;
    EXPECT_FALSE(g_items[46].flags & ITEM_HEAL);
    uint64_t prices = 0;
    for (const ItemRecord& r : g_items) prices += r.price;
    EXPECT_EQ(prices, 216200u);
}

TEST(ItemTable, LookupsOutsideTheTableReadTheEmptyRecord) {
    for (int id : {-1, 107, 1000, -32768, 65535}) {
        EXPECT_EQ(item_id_valid(id), 0) << id;
        EXPECT_EQ(&item_get(id), &g_items[106]) << id;
    }
    EXPECT_EQ(item_id_valid(0), 1);
    EXPECT_EQ(item_id_valid(106), 1);
    EXPECT_EQ(&item_get(30), &g_items[30]);
}

TEST(ItemRules, ClassMasks) {
    for (int cls = -3; cls < 60; ++cls) {
        EXPECT_EQ(item_usable_by_class(58, cls), cls == 14 ? 1 : 0) << cls;  // the spirit ring
        EXPECT_EQ(item_usable_by_class(1, cls), 1) << cls;                   // anyone, whatever the class
        EXPECT_EQ(item_usable_by_class(0, cls), 0) << cls;                   // mask 0: nobody
        EXPECT_EQ(item_usable_by_class(34, cls), cls == 6 || cls == 7 ? 1 : 0) << cls;
        EXPECT_EQ(item_usable_by_class(66, cls), cls == 16 ? 1 : 0) << cls;
    }
    // An id outside the table is usable by nobody.
    EXPECT_EQ(item_usable_by_class(200, 0), 0);
    for (int cls = -1; cls < 20; ++cls)
        EXPECT_EQ(unit_class_is_final(cls), (cls >= 0 && cls <= 12 && cls % 2 == 0) ? 0 : 1) << cls;
}

TEST(ItemRules, GivingStacksBagItemsAndFillsSlots) {
    clear_bag();
    // A bag item needs no unit.
    EXPECT_EQ(item_give(nullptr, 1), 1);
    EXPECT_EQ(item_give(nullptr, 1), 1);
    EXPECT_EQ(g_bag[0].item_id, 1);
    EXPECT_EQ(g_bag[0].count, 2);
    EXPECT_EQ(g_bag[1].item_id, 0);
    g_bag[0].count = 98;
    EXPECT_EQ(item_give(nullptr, 1), 1);
    EXPECT_EQ(g_bag[0].count, 99);
    const auto before = g_bag;
    EXPECT_EQ(item_give(nullptr, 1), 0);  // the 100th
    EXPECT_EQ(std::memcmp(before.data(), g_bag.data(), sizeof g_bag), 0);

    // A full bag takes no new kind but still adds to a kind it holds.
    for (int i = 0; i < BAG_ENTRIES; ++i) g_bag[static_cast<size_t>(i)] = {static_cast<int16_t>(i + 1), 1};
    EXPECT_EQ(item_give(nullptr, 58), 0);
    EXPECT_EQ(item_give(nullptr, 12), 1);

    UnitRecord u{};
    u.items[0] = 13;
    u.items[2] = 19;
    u.equipped_slot = 0;
    u.stats.weapon = 13;
    EXPECT_EQ(item_give(&u, 20), 1);
    EXPECT_EQ(u.items[1], 20);
    EXPECT_EQ(u.stats.weapon, 13);  // not equipped
    EXPECT_EQ(u.equipped_slot, 0);
    EXPECT_EQ(item_give(&u, 21), 1);
    EXPECT_EQ(u.items[3], 21);
    EXPECT_EQ(item_give(&u, 22), 0);
    EXPECT_EQ(u.items[0] + u.items[1] + u.items[2] + u.items[3], 13 + 20 + 19 + 21);
    // A weapon needs a unit; ids outside the table are refused.
    EXPECT_EQ(item_give(nullptr, 20), 0);
    clear_bag();
    EXPECT_EQ(item_give(nullptr, 107), 0);
    EXPECT_EQ(item_give(nullptr, -5), 0);
    EXPECT_EQ(g_bag[0].item_id, 0);
}

TEST(ItemRules, BagSortGroupsHealingBoostersThenRestByPrice) {
    g_bag = {};
    g_bag[0] = {1, 2};   // 약초 200
    g_bag[1] = {7, 1};   // 머쉬룸 (booster)
    g_bag[2] = {2, 3};   // 연고 800
    g_bag[4] = {58, 1};  // 정령의 반지
    item_sort_bag();
    EXPECT_EQ(g_bag[0].item_id, 1);
    EXPECT_EQ(g_bag[0].count, 2);
    EXPECT_EQ(g_bag[1].item_id, 2);
    EXPECT_EQ(g_bag[1].count, 3);
    EXPECT_EQ(g_bag[2].item_id, 7);
    EXPECT_EQ(g_bag[3].item_id, 58);
    for (int i = 4; i < BAG_ENTRIES; ++i) EXPECT_EQ(g_bag[static_cast<size_t>(i)].item_id, 0);

    // Equal prices swap: 연고 then 테킬라 (both 800) come out the other way.
    g_bag = {};
    g_bag[0] = {2, 1};
    g_bag[1] = {5, 4};
    item_sort_bag();
    EXPECT_EQ(g_bag[0].item_id, 5);
    EXPECT_EQ(g_bag[0].count, 4);
    EXPECT_EQ(g_bag[1].item_id, 2);
}

TEST(ItemRules, SlotPackingKeepsTheEquippedIndexOnItsItem) {
    UnitRecord u{};
    u.items[1] = 14;
    u.items[3] = 20;
    u.equipped_slot = 3;
    item_compact_unit_slots(&u);
    EXPECT_EQ(u.items[0], 14);
    EXPECT_EQ(u.items[1], 20);
    EXPECT_EQ(u.items[2], 0);
    EXPECT_EQ(u.items[3], 0);
    EXPECT_EQ(u.equipped_slot, 1);
    u = {};
    u.items[2] = 31;
    u.equipped_slot = ITEM_NO_SLOT;
    item_compact_unit_slots(&u);
    EXPECT_EQ(u.items[0], 31);
    EXPECT_EQ(u.equipped_slot, ITEM_NO_SLOT);
}

TEST(ItemRules, GoldClampsAt60000) {
    g_gold = 59900;
    item_add_gold(500);
    EXPECT_EQ(g_gold, 60000u);
    g_gold = 100;
    item_add_gold(0xFFFFFFFFu);  // no wrap-around
    EXPECT_EQ(g_gold, 60000u);
    g_gold = 1000;
    item_add_gold(234);
    EXPECT_EQ(g_gold, 1234u);
}

TEST(ItemChests, StageListsLoadUpToTheirEnd) {
    g_chests = {};
    item_load_map_objects(item_stage_chest_list(10));
    int live = 0;
    for (const ChestRecord& c : g_chests) live += c.state != 0;
    EXPECT_EQ(live, 16);
    EXPECT_EQ(g_chests[14].state, CHEST_FOUND);
    EXPECT_EQ(g_chests[14].x, 3);
    EXPECT_EQ(g_chests[14].y, 11);
    EXPECT_EQ(g_chests[14].item_id, 4);
    EXPECT_EQ(g_chests[0].state, CHEST_OPENED);

    item_load_map_objects(item_stage_chest_list(0));
    EXPECT_EQ(g_chests[0].x, 30);
    EXPECT_EQ(g_chests[0].y, 19);
    EXPECT_EQ(g_chests[0].item_id, 1);
    EXPECT_EQ(g_chests[3].state, 0);  // the rest of the stage-10 list is cleared

    // Stages without a list, and indexes outside 0..39.
    int with_list = 0;
    for (int s = -2; s < 42; ++s) with_list += item_stage_chest_list(s) != nullptr;
    EXPECT_EQ(with_list, 30);
    EXPECT_EQ(item_stage_chest_list(6), nullptr);
    item_load_map_objects(nullptr);  // null leaves the chests alone
    EXPECT_EQ(g_chests[0].x, 30);

    // At most 20 records are taken from a longer list.
    std::vector<ChestRecord> longer(25, ChestRecord{CHEST_FOUND, 1, 1, 0, 4});
    longer.push_back({0, -1, 0, 0, 0});
    item_load_map_objects(longer.data());
    EXPECT_EQ(g_chests[19].state, CHEST_FOUND);

    g_chests = {};
    g_chests[0] = {CHEST_FREE, 5, 5, 0, 4};
    g_chests[1] = {CHEST_OPENED, 5, 5, 0, 0};
    g_chests[2] = {CHEST_FOUND, 5, 5, 0, 1};
    EXPECT_EQ(item_find_map_object(5, 5), 1);
    EXPECT_EQ(item_find_map_object(5, 6), -1);
}

using ItemChestSearch = ItemTest;

TEST_F(ItemChestSearch, ANeighbourIsFoundAndTheChestUnderfootOpened) {
    UnitRecord* u = place(0, 4, 4, 0);
    g_chests = {};
    g_chests[0] = {CHEST_HIDDEN, 4, 3, 0, 5};  // above
    g_chests[1] = {CHEST_HIDDEN, 6, 4, 0, 5};  // two cells away
    g_chests[2] = {CHEST_HIDDEN, 4, 4, 0, 5};  // underfoot
    ASSERT_TRUE(run_with({any_click(), any_click(), any_click()}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(g_chests[0].state, CHEST_FOUND);
    EXPECT_EQ(g_chests[1].state, CHEST_HIDDEN);
    EXPECT_EQ(g_chests[2].state, CHEST_OPENED);
    EXPECT_EQ(g_bag[0].item_id, 5);
    EXPECT_EQ(g_bag[0].count, 1);
    EXPECT_EQ(count_log_prefix(effect_file(SFX_CHEST_OPEN)), 1);

    // Standing next to the found chest opens nothing; stepping on it does.
    ASSERT_TRUE(run_with({}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(g_chests[0].state, CHEST_FOUND);
    u->y = 3;
    ASSERT_TRUE(run_with({any_click()}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(g_chests[0].state, CHEST_OPENED);
    EXPECT_EQ(g_bag[0].count, 2);
}

TEST_F(ItemChestSearch, GoldIsClampedAndAFullBagLeavesTheChestClosed) {
    UnitRecord* u = place(0, 2, 2, 0);
    g_chests = {};
    g_chests[0] = {CHEST_FOUND, 2, 2, 500, 7};
    g_gold = 59800;
    ASSERT_TRUE(run_with({any_click()}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(g_gold, 60000u);
    EXPECT_EQ(g_chests[0].state, CHEST_OPENED);
    EXPECT_EQ(g_bag[0].item_id, 0);  // gold only

    g_bag[0] = {5, 99};
    g_chests[0] = {CHEST_FOUND, 2, 2, 0, 5};
    ASSERT_TRUE(run_with({any_click(), any_click()}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(g_chests[0].state, CHEST_FOUND);
    EXPECT_EQ(g_bag[0].count, 99);

    // A weapon goes into a slot; an empty chest is simply opened.
    g_chests[0] = {CHEST_FOUND, 2, 2, 0, 15};
    ASSERT_TRUE(run_with({any_click()}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(u->items[0], 15);
    EXPECT_EQ(g_chests[0].state, CHEST_OPENED);
    g_chests[0] = {CHEST_FOUND, 2, 2, 0, 0};
    ASSERT_TRUE(run_with({any_click()}, [&] { item_check_treasure(u); }));
    EXPECT_EQ(g_chests[0].state, CHEST_OPENED);
    EXPECT_EQ(g_gold, 60000u);
}

using ItemKind = ItemTest;

TEST_F(ItemKind, KindWordsByFlagsAndCharge) {
    auto kind_at_row = [](UnitRecord* u, int id, int row) {
        txt_set_cursor(10, row * 20);
        item_show_kind(u, id, 1);
    };
    gfx_fill_rect(0, 0, 639, 415, 0);
    UnitRecord viewer{};
    kind_at_row(nullptr, 41, 2);  // reach 0x3
    EXPECT_TRUE(text_shown_at(10, 2, "직", 9));
    EXPECT_TRUE(text_shown_at(12, 2, "／", 15));
    EXPECT_TRUE(text_shown_at(14, 2, "근", 9));
    EXPECT_FALSE(text_shown_at(10, 2, "직접", 9));
    kind_at_row(&viewer, 30, 4);
    EXPECT_TRUE(text_shown_at(10, 4, "직접", 9));
    viewer.charged = 1;
    kind_at_row(&viewer, 30, 6);
    EXPECT_TRUE(text_shown_at(10, 6, "광역", 10));
    kind_at_row(nullptr, 58, 8);
    EXPECT_TRUE(text_shown_at(10, 8, "소환", 10));
    kind_at_row(nullptr, 5, 10);
    EXPECT_TRUE(text_shown_at(10, 10, "부활", 10));
    kind_at_row(nullptr, 7, 12);
    EXPECT_TRUE(text_shown_at(10, 12, "특수", 13));
    kind_at_row(nullptr, 95, 14);  // reach 0x6
    EXPECT_TRUE(text_shown_at(10, 14, "근", 9));
    EXPECT_TRUE(text_shown_at(12, 14, "／", 15));
    EXPECT_TRUE(text_shown_at(14, 14, "원", 9));
    // Without the kinds a healing good shows its reach only.
    txt_set_cursor(10, 16 * 20);
    item_show_kind(nullptr, 1, 0);
    EXPECT_TRUE(text_shown_at(10, 16, "직접", 9));
}
