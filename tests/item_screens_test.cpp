// Item screens: selling from the bag screen, the use pick, and buying in the
// shop, driven by scripted clicks.
#include "tactics/item_screens.h"

#include <gtest/gtest.h>

#include "platform/sound.h"
#include "tactics/item_menu.h"
#include "tactics/items.h"
#include "tests/item_fixture.h"

namespace {

constexpr const char* SELL_PROMPT = "팔겠습니까? { 예 }{ 아니오 }";

// Text pixels (colour 15) in a text row from column c0 to column c1.
int text_pixels(int row, int c0, int c1) {
    int n = 0;
    for (int y = row * 20; y < row * 20 + 20; ++y)
        for (int x = c0 * 8; x < (c1 + 1) * 8; ++x) n += *gfx_screen_pixel(g_back_dib, x, y) == 15;
    return n;
}

std::string last_message() {
    std::string last;
    for (const auto& l : sys_log_lines())
        if (l.rfind("message ", 0) == 0) last = l;
    return last;
}

}  // namespace

class ItemScreenTest : public ItemTest {
protected:
    static Input bag_entry(int i) { return {300, (4 + i) * 20 + 10}; }
    // Action a (0 look, 1 use, 2 sell one, 3 sell five, 4 sell ten) of the
    // list opened on entry k.
    static Input action(int k, int a) { return {280, (k + 2 + a) * 20 + 10}; }
    static Input sell_yes() { return choice(SELL_PROMPT, 28, 12, 0); }
    static Input shop_row(int i) { return {400, (i + 3) * 20 + 10}; }

    int32_t bag(UnitRecord* u, const std::vector<Input>& inputs) {
        int32_t r = -2;
        EXPECT_TRUE(run_with(inputs, [&] { r = item_bag_screen("테스트", u); }));
        return r;
    }
    void shop(UnitRecord* u, ShopStockRow row, const std::vector<Input>& inputs) {
        EXPECT_TRUE(run_with(inputs, [&] { item_shop_buy(u, row); }));
    }
};

TEST_F(ItemScreenTest, SellingTakesPiecesAndPaysHalfThePrice) {
    UnitRecord* u = place(0, 2, 2, 0);
    g_bag[0] = {1, 5};   // 약초 200: 100 a piece
    g_bag[1] = {3, 7};   // 두꺼비 기름 600
    g_bag[2] = {58, 1};  // 정령의 반지: cannot be sold
    g_gold = 1000;
    // Five of five empties the entry.
    EXPECT_EQ(bag(u, {bag_entry(0), action(0, 3), sell_yes(), right_click()}), -1);
    EXPECT_EQ(g_gold, 1500u);
    EXPECT_EQ(g_bag[0].item_id, 0);
    EXPECT_EQ(g_bag[0].count, 0);

    // The screen sorts the bag first: 두꺼비 기름 is now entry 0. Ten of
    // seven is refused; one is sold; saying no sells nothing.
    EXPECT_EQ(bag(u, {bag_entry(0), action(0, 4), any_click(), bag_entry(0), action(0, 2), sell_yes(), bag_entry(0),
                      action(0, 2), choice(SELL_PROMPT, 28, 12, 1), right_click()}),
              -1);
    EXPECT_EQ(g_bag[0].item_id, 3);
    EXPECT_EQ(g_bag[0].count, 6);
    EXPECT_EQ(g_gold, 1800u);

    // The spirit ring cannot be sold; selling never takes the gold past 60000.
    g_gold = 59900;
    EXPECT_EQ(bag(u, {bag_entry(1), action(1, 2), any_click(), bag_entry(0), action(0, 3), sell_yes(), right_click()}),
              -1);
    EXPECT_EQ(g_bag[1].item_id, 58);
    EXPECT_EQ(g_bag[1].count, 1);
    EXPECT_EQ(g_bag[0].count, 1);
    EXPECT_EQ(g_gold, 60000u);
    // The screen gives the map back as it found it.
    EXPECT_EQ(g_colour_cycle_block, 0);
    EXPECT_EQ(g_zoom, 1);
}

TEST_F(ItemScreenTest, UsePicksOnlyWhatTheClassCanUse) {
    UnitRecord* u = place(0, 2, 2, 0);
    g_bag[0] = {1, 1};
    g_bag[1] = {58, 1};
    // Class 0 may not use the spirit ring: the refusal, then it picks the herb.
    EXPECT_EQ(bag(u, {bag_entry(1), action(1, 1), any_click(), bag_entry(0), action(0, 1)}), 0);
    // Class 14 may; an empty entry does nothing.
    u->stats.class_id = 14;
    EXPECT_EQ(bag(u, {bag_entry(5), bag_entry(1), action(1, 1)}), 1);
    // Looking changes nothing.
    EXPECT_EQ(bag(u, {bag_entry(0), action(0, 0), any_click(), right_click()}), -1);
    EXPECT_EQ(g_bag[0].count, 1);
    EXPECT_EQ(g_bag[1].count, 1);
}

TEST_F(ItemScreenTest, ShopBuysUntilTheBagEntryIsFull) {
    UnitRecord* u = place(0, 2, 2, 0, 1);
    g_bag[0] = {1, 96};
    g_gold = 10000;
    snd_play_music(5);
    const char* offer = "/7약초/*는 /9200/*Gold입니다. { 산다 }{ 5개 산다 }{ 10개 산다 }";
    // Ten wanted, three fit: the "no more" box, then the bought box.
    shop(u, {{1, 5, 0, 0}}, {shop_row(0), choice(offer, -1, 9, 2), any_click(), any_click(), right_click()});
    EXPECT_EQ(g_bag[0].count, 99);
    EXPECT_EQ(g_gold, 10000u - 600u);
    EXPECT_TRUE(music_opened(13));
    EXPECT_EQ(g_music_track, 5);  // the stage's music again
    EXPECT_EQ(count_messages(576), 1);
    EXPECT_EQ(count_messages(577), 2);

    // Five tequila when the gold pays for four: refused, nothing changes.
    g_gold = 3200;
    const char* tequila = "/7테킬라/*는 /9800/*Gold입니다. { 산다 }{ 5개 산다 }{ 10개 산다 }";
    shop(u, {{1, 5, 0, 0}}, {shop_row(1), choice(tequila, -1, 9, 1), any_click(), right_click()});
    EXPECT_EQ(g_gold, 3200u);
    EXPECT_EQ(g_bag[1].item_id, 0);
    shop(u, {{1, 5, 0, 0}}, {shop_row(1), choice(tequila, -1, 9, 0), any_click(), right_click()});
    EXPECT_EQ(g_gold, 2400u);
    EXPECT_EQ(g_bag[1].item_id, 5);
}

TEST_F(ItemScreenTest, AWeaponGoesToTheFirstEmptySlotOrIsNotPaidFor) {
    UnitRecord* u = place(0, 2, 2, 0);
    u->items[0] = 13;
    u->items[2] = 14;
    g_gold = 1000;
    const char* offer = "/7장갑/*은 /9800/*Gold입니다. { 산다 }";
    shop(u, {{14, 0, 0, 0}}, {shop_row(0), choice(offer, -1, 9, 0), any_click(), right_click()});
    EXPECT_EQ(u->items[1], 14);
    EXPECT_EQ(u->stats.weapon, 0);
    EXPECT_EQ(g_gold, 200u);

    u->items[3] = 13;  // four full slots
    g_gold = 5000;
    shop(u, {{14, 0, 0, 0}}, {shop_row(0), choice(offer, -1, 9, 0), any_click(), right_click()});
    EXPECT_EQ(g_gold, 5000u);
    // An empty row lists nothing: a click there does nothing, only the
    // right click leaves.
    shop(u, {{0, 14, 0, 0}}, {shop_row(0), right_click()});
    EXPECT_EQ(g_gold, 5000u);
}

// The screens that draw into the windows of their opening message restore
// those windows' saved insides before they draw: the kit's messages leave
// the rows the screens use empty, so no old text shows through a screen's
// own text.
TEST_F(ItemScreenTest, TheItemScreensDrawOnCleanRows) {
    const std::string info32 = "message 353";  // item 32: a one-line description
    struct Row {
        int row, c0, c1;
    };
    int stale[3] = {-1, -1, -1};  // most text pixels seen in the row; -1: never looked
    const auto note = [&](int k, Row r) { stale[k] = std::max(stale[k], text_pixels(r.row, r.c0, r.c1)); };

    // Exchange: the partner holds one item, so its rows 14..16 are empty.
    UnitRecord* u = place(0, 3, 3, 6);
    u->items[0] = 38;
    UnitRecord* p = place(1, 4, 4, 6);
    p->items[0] = 31;
    EXPECT_TRUE(run_with(
        {cell(4, 4), right_click()}, [&] { item_exchange_weapon(u); }, 400,
        [&] {
            if (g_exchange_marking && g_hit_rects[4].id == 4 && g_hit_rects[4].y1 == 13 * 20) note(0, {14, 24, 53});
        }));

    // The weapon screen: an item with one line of description leaves row 14
    // of the lower window empty.
    u->items[0] = 32;
    EXPECT_TRUE(run_with(
        {{400, 4 * 20 + 10}, right_click(), right_click()}, [&] { item_unit_slot_menu(u); }, 400,
        [&] {
            if (last_message() == info32) note(1, {14, 6, 55});
        }));

    // The shop: the item's name (colour 9) starts the lower window's row 12.
    g_gold = 10000;
    EXPECT_TRUE(run_with(
        {shop_row(0), right_click(), right_click()},
        [&] {
            item_shop_buy(u, {{32, 0, 0, 0}});
        },
        400,
        [&] {
            if (last_message() == info32) note(2, {12, 6, 55});
        }));

    EXPECT_EQ(stale[0], 0) << "exchange";
    EXPECT_EQ(stale[1], 0) << "weapon screen";
    EXPECT_EQ(stale[2], 0) << "shop";
}
