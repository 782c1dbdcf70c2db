// Item commands: the slot menu with selling, equipping and the class change,
// item use (boosters, healing, revival, summoning) and the exchange, driven
// by scripted clicks.
#include "tactics/item_menu.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tactics/items.h"
#include "tests/item_fixture.h"

class ItemMenuTest : public ItemTest {
protected:
    static Input slot_row(int i) { return {400, (i + 4) * 20 + 10}; }
    static Input bag_entry(int i) { return {300, (4 + i) * 20 + 10}; }
    static Input use_of(int k) { return {280, (k + 3) * 20 + 10}; }
    static Input summon_line(int k) {
        int w = 0;
        for (const SummonRow& r : g_summon_rows) w = std::max(w, static_cast<int>(std::strlen(r.line)));
        return {(80 - w) / 2 * 8 + 8, (8 + k) * 20 + 10};
    }
    static Input user_slot(int i) { return {300, (i + 4) * 20 + 10}; }
    static Input partner_slot(int i) { return {300, (i + 13) * 20 + 10}; }
    static std::string offer(int id, const char* tail) {
        return std::string("/7") + g_items[static_cast<size_t>(id)].name + "/*  { 판다 }" + tail;
    }
    void slot_menu(UnitRecord* u, const std::vector<Input>& in) {
        EXPECT_TRUE(run_with(in, [&] { item_unit_slot_menu(u); }));
    }
    void use(UnitRecord* u, const std::vector<Input>& in) {
        EXPECT_TRUE(run_with(in, [&] { item_use(u); }));
    }
};

TEST_F(ItemMenuTest, ClassChangeNeedsLevel20AndABaseClass) {
    UnitRecord* u = place(0, 2, 2, 0, 1);  // 프린세스
    u->items[0] = 16;                      // 리의 팔찌
    u->stats.level = 19;
    u->charged = 1;
    const std::string equip = offer(16, " { 장비한다 }");
    slot_menu(u, {slot_row(0), choice(equip.c_str(), -1, 9, 1), any_click(), right_click()});
    EXPECT_EQ(u->stats.weapon, 0);
    EXPECT_EQ(u->equipped_slot, ITEM_NO_SLOT);
    EXPECT_EQ(u->stats.class_id, 0);
    EXPECT_EQ(u->charged, 1);

    u->stats.level = 20;
    slot_menu(u, {slot_row(0), choice(equip.c_str(), -1, 9, 1), any_click(), right_click()});
    EXPECT_EQ(u->stats.weapon, 16);
    EXPECT_EQ(u->equipped_slot, 0);
    EXPECT_EQ(u->stats.class_id, 1);  // 홀리코만도
    EXPECT_EQ(u->stats.level, 1);
    EXPECT_EQ(u->stats.max_hp, 50);
    EXPECT_EQ(u->charged, 0);
    EXPECT_EQ(count_messages(568), 2);

    // Unequipping leaves the unit bare-handed; a promoted class of any level
    // equips it again without a change.
    const std::string remove = offer(16, " { 제거한다 }");
    slot_menu(u, {slot_row(0), choice(remove.c_str(), -1, 9, 1), slot_row(0), choice(equip.c_str(), -1, 9, 1),
                  right_click()});
    EXPECT_EQ(u->stats.weapon, 16);
    EXPECT_EQ(u->stats.class_id, 1);
    EXPECT_EQ(u->stats.level, 1);
    slot_menu(u, {slot_row(0), choice(remove.c_str(), -1, 9, 1), right_click()});
    EXPECT_EQ(u->stats.weapon, 0);
    EXPECT_EQ(u->equipped_slot, ITEM_NO_SLOT);
}

TEST_F(ItemMenuTest, SellingTheEquippedWeaponUnarmsAndPacksTheSlots) {
    UnitRecord* u = place(0, 2, 2, 6);  // 솔저
    u->items[0] = 31;
    u->items[1] = 32;  // 명도 800, equipped
    u->items[2] = 33;
    u->equipped_slot = 2;
    u->stats.weapon = 33;
    g_gold = 59800;
    const char* yes = "팔겠습니까? { 예 }{ 아니오 }";
    slot_menu(u,
              {slot_row(2), choice(offer(33, " { 제거한다 }").c_str(), -1, 9, 0), choice(yes, 20, 15, 0), slot_row(1),
               choice(offer(32, " { 장비한다 }").c_str(), -1, 9, 0), choice(yes, 20, 15, 1), right_click()});
    EXPECT_EQ(g_gold, 60000u);  // 600 for 초치, clamped
    EXPECT_EQ(u->stats.weapon, 0);
    EXPECT_EQ(u->equipped_slot, ITEM_NO_SLOT);
    EXPECT_EQ(u->items[0], 31);
    EXPECT_EQ(u->items[1], 32);
    EXPECT_EQ(u->items[2], 0);

    // A natural weapon (price 0 here: 맨손) cannot be sold.
    u->items[0] = 60;
    u->items[1] = 0;
    slot_menu(u, {slot_row(0), choice(offer(60, "").c_str(), -1, 9, 0), any_click(), right_click()});
    EXPECT_EQ(u->items[0], 60);
}

TEST_F(ItemMenuTest, BoostersAreUsedUpAndCapped) {
    UnitRecord* u = place(0, 2, 2, 0);
    u->stats.max_hp = 148;
    u->stats.attack = 98;
    u->charged = 1;
    g_bag[0] = {7, 2};   // 머쉬룸
    g_bag[1] = {11, 1};  // 힘의 열매
    // Equal prices swap in the sort: 힘의 열매 comes first.
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(u->stats.attack, 99);
    EXPECT_EQ(g_bag[0].item_id, 0);  // emptied; the bag is sorted again on the next screen
    EXPECT_EQ(g_bag[1].item_id, 7);
    EXPECT_EQ(u->charged, 0);
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(u->stats.max_hp, 150);
    EXPECT_EQ(g_bag[0].count, 1);
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(u->stats.max_hp, 150);
    EXPECT_EQ(g_bag[0].item_id, 0);
    EXPECT_EQ(u->acted, 0);  // boosting leaves the unit free to act
}

TEST_F(ItemMenuTest, HealingAddsUpToTheMaximum) {
    UnitRecord* u = place(0, 2, 2, 0);
    u->stats.max_hp = 100;
    u->stats.hp = 5;
    g_bag[0] = {1, 2};  // 약초: 40
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(u->stats.hp, 45);
    EXPECT_EQ(g_bag[0].count, 1);
    u->stats.hp = 70;
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(u->stats.hp, 100);
    EXPECT_EQ(g_bag[0].item_id, 0);
    EXPECT_EQ(item_heal_amount(2), 160);
    EXPECT_EQ(item_heal_amount(3), 120);
    EXPECT_EQ(item_heal_amount(4), 999);
    EXPECT_EQ(item_heal_amount(6), 999);
}

TEST_F(ItemMenuTest, RevivingPicksAKnockedOutNeighbour) {
    UnitRecord* u = place(0, 3, 3, 0);
    g_bag[0] = {5, 2};  // 테킬라
    // No one to revive: nothing is used.
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(g_bag[0].count, 2);

    UnitRecord* down = place(1, 3, 4, 2, 3);
    down->stats.hp = 0;
    down->status = -3;
    // Cancelling the pick uses nothing.
    use(u, {bag_entry(0), use_of(0), right_click()});
    EXPECT_EQ(g_bag[0].count, 2);
    EXPECT_EQ(down->stats.hp, 0);
    use(u, {bag_entry(0), use_of(0), cell(3, 4), any_click(), any_click()});
    EXPECT_EQ(down->stats.hp, 20);
    EXPECT_EQ(down->status, 0);
    EXPECT_EQ(u->stats.hp, 50);
    EXPECT_EQ(g_bag[0].count, 1);
    for (int i = 0; i < MAP_CELLS; ++i) ASSERT_EQ(g_occupancy.cells[i] & (OCC_MARK_A | OCC_MARK_B), 0) << i;
}

TEST_F(ItemMenuTest, SummoningPlacesTheSpiritAndASecondUseDismissesIt) {
    UnitRecord* u = place(0, 3, 3, 14, 8);
    u->stats.level = 7;
    u->stats.attack = 33;
    g_bag[0] = {58, 1};
    use(u, {bag_entry(0), use_of(0), summon_line(1), any_click()});
    UnitRecord* spirit = unit_find_spirit();
    ASSERT_NE(spirit, nullptr);
    EXPECT_EQ(spirit->x, 3);
    EXPECT_EQ(spirit->y, 2);  // the cell above
    EXPECT_EQ(spirit->stats.char_id, 23);
    EXPECT_EQ(spirit->stats.class_id, 16);
    EXPECT_EQ(spirit->stats.weapon, 66);
    EXPECT_EQ(spirit->stats.level, 7);
    EXPECT_EQ(spirit->stats.attack, 33);
    EXPECT_EQ(spirit->stats.ai_mode, 0);
    EXPECT_EQ(spirit->acted, 1);
    EXPECT_EQ(u->acted, 1);
    EXPECT_EQ(g_bag[0].count, 1);  // never used up
    EXPECT_EQ(count_log_prefix(effect_file(SFX_VANISH)), 1);

    // Having acted, the summoner is refused; free again, it may dismiss.
    use(u, {bag_entry(0), use_of(0), any_click()});
    EXPECT_EQ(unit_find_spirit(), spirit);
    u->acted = 0;
    use(u, {bag_entry(0), use_of(0), choice("소환한 정령을 돌려보내겠습까? { 예 } { 아니오 }", -1, 9, 0)});
    EXPECT_EQ(g_occupancy.cells[2 * MAP_SIDE + 3] & OCC_UNIT_MASK, 0);
    EXPECT_EQ(u->acted, 1);
}

TEST_F(ItemMenuTest, ASummonWithoutAFreePartyRecordIsRefused) {
    UnitRecord* u = place(0, 3, 3, 14, 8);
    for (int s = 1; s < UNIT_PARTY_SLOTS; ++s) place(s, 10 + s % 8, 8 + s / 8, 2);
    g_bag[0] = {58, 1};
    const auto before = g_units;
    use(u, {bag_entry(0), use_of(0), summon_line(0), any_click()});
    EXPECT_EQ(std::memcmp(before.data(), g_units.data(), sizeof g_units), 0);
    EXPECT_EQ(g_occupancy.cells[2 * MAP_SIDE + 3], 0);

    // Surrounded on every side: no place.
    g_units[17] = {};
    for (auto [x, y] : {std::pair{3, 2}, {4, 3}, {3, 4}, {2, 3}}) g_occupancy.cells[y * MAP_SIDE + x] = 40;
    use(u, {bag_entry(0), use_of(0), summon_line(0), any_click()});
    EXPECT_EQ(g_units[17].number, 0);
    EXPECT_EQ(u->acted, 0);
}

TEST_F(ItemMenuTest, ExchangeMovesItemsButNeverNaturalWeapons) {
    UnitRecord* u = place(0, 3, 3, 6);
    u->items[0] = 38;
    u->equipped_slot = 0;
    u->stats.weapon = 38;
    UnitRecord* p = place(1, 4, 4, 2);  // distance 2
    p->items[0] = 60;                   // natural
    p->equipped_slot = 0;
    p->stats.weapon = 60;
    place(2, 8, 3, 2);  // too far
    EXPECT_TRUE(run_with({cell(4, 4), user_slot(0), partner_slot(0), partner_slot(2), right_click()},
                         [&] { item_exchange_weapon(u); }));
    EXPECT_EQ(u->items[0], 0);
    EXPECT_EQ(u->stats.weapon, 0);
    EXPECT_EQ(u->equipped_slot, ITEM_NO_SLOT);
    EXPECT_EQ(p->items[0], 60);  // the natural weapon stays, still held
    EXPECT_EQ(p->stats.weapon, 60);
    EXPECT_EQ(p->items[1], 38);  // packed from slot 2
    EXPECT_EQ(p->items[2], 0);
    EXPECT_EQ(g_exchange_marking, 0);
    EXPECT_EQ(count_messages(567), 1);
    for (int i = 0; i < MAP_CELLS; ++i) ASSERT_EQ(g_occupancy.cells[i] & (OCC_MARK_A | OCC_MARK_B), 0) << i;

    // The unit out of reach cannot be picked: the pick waits for a marked
    // cell, and the right click ends the command unchanged.
    EXPECT_TRUE(run_with({cell(8, 3), right_click()}, [&] { item_exchange_weapon(u); }));
    EXPECT_EQ(count_messages(567), 1);
}
