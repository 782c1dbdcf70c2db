// Status windows and the party list, drawn from the unit table; the waits
// answered by scripted clicks.
#include "tactics/status.h"

#include <utility>

#include "platform/draw.h"
#include "tests/loop_fixture.h"

namespace {

using Pieces = std::vector<std::pair<const char*, int>>;

// 1 when the pieces of text, drawn one after the other from (col, y) in
// their colours, stand there already: drawing them again changes no pixel.
bool shown_at(int col, int y, const Pieces& pieces) {
    std::vector<uint8_t> before(g_back_dib, g_back_dib + SCREEN_DIB_SIZE);
    txt_set_cursor(col, y);
    for (const auto& [text, colour] : pieces) txt_draw_string(-1, 0, text, colour);
    const bool same = std::memcmp(before.data(), g_back_dib, SCREEN_DIB_SIZE) == 0;
    std::memcpy(g_back_dib, before.data(), SCREEN_DIB_SIZE);
    return same;
}
bool shown(int col, int row, const char* text, int colour) { return shown_at(col, row * 20, {{text, colour}}); }

}  // namespace

class StatusTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        g_stage_index = 0;
        load_first_stage();
        map_set_zoom(1);
        map_redraw_view();
    }
    static UnitRecord* place(int slot_char, int cls, int mode, int x, int y) {
        UnitStats s = MapTest::stats(slot_char, cls, mode, 100);
        s.attack = 20;
        s.intelligence = 7;
        return unit_place_new(x, y, &s);
    }
};

TEST_F(StatusTest, HpFigureColoursByShareOfMaxHp) {
    // The slash between the figures is drawn ("//" in the drawer's markup),
    // also where a hex digit follows it ("/1" would be a colour code).
    const struct {
        int hp, max, colour;
        const char *hp_text, *max_text;
    } cases[] = {
        {50, 100, 9, " 50", "100"},  {20, 100, 10, " 20", "100"}, {21, 100, 9, " 21", "100"},
        {51, 100, 15, " 51", "100"}, {0, 1, 10, "  0", "  1"},    {21, 21, 15, " 21", " 21"},
    };
    for (const auto& c : cases) {
        gfx_clear_screen();
        UnitRecord u{};
        u.stats.hp = static_cast<int16_t>(c.hp);
        u.stats.max_hp = static_cast<int16_t>(c.max);
        txt_set_cursor(10, 100);
        menu_draw_hp_fraction(&u);
        EXPECT_TRUE(shown_at(10, 100, {{c.hp_text, c.colour}, {"//", 15}, {c.max_text, 15}})) << c.hp << "/" << c.max;
    }
}

TEST_F(StatusTest, UnitStatusWindowShowsStatsBracketsAndItems) {
    // Character 1 has a face: a window 48 wide and 16 high from column 16,
    // row 2; labels at column 18, values at column 28.
    UnitRecord* u = place(1, 3, 0, 2, 2);
    ASSERT_NE(u, nullptr);
    u->stats.weapon = 24;  // direct hit 38, reach 1 only
    u->items[0] = 24;
    u->items[1] = 43;  // a staff this class cannot use
    u->equipped_slot = 0;
    u->acted = 1;
    u->stats.hp = 0;
    const int zoom = g_zoom;
    menu_show_unit_status(u);
    EXPECT_EQ(g_zoom, zoom);
    EXPECT_EQ(u->acted, 1);
    EXPECT_EQ(u->stats.hp, 0);
    EXPECT_TRUE(shown(28, 3, unit_display_name(&u->stats), 15));
    EXPECT_TRUE(shown(18, 5, "클래스", 6));
    EXPECT_TRUE(shown(28, 5, g_class_names[3], 15));
    EXPECT_TRUE(shown(28, 6, "   1", 15));
    EXPECT_TRUE(shown_at(28, 7 * 20, {{"  0", 10}, {"//", 15}, {"100", 15}}));
    EXPECT_TRUE(shown_at(18, 9 * 20, {{"공격력", 6}}));
    EXPECT_TRUE(shown_at(28, 9 * 20, {{"  20", 15}, {"(", 15}, {"+", 9}, {"38", 9}, {"//", 15}, {"×", 6}, {")", 15}}));
    // No effect values: nothing after intelligence.
    EXPECT_TRUE(shown(28, 11, "   7", 15));
    EXPECT_FALSE(shown(32, 11, "(", 15));
    EXPECT_TRUE(shown(18, 11, "지  력", 6));
    EXPECT_TRUE(shown(18, 14, "소지품", 6));
    // Items from the last label's row: the equipped star, the cross of an
    // item the class cannot use, names and kind words.
    EXPECT_TRUE(shown(28, 14, "★", 9));
    EXPECT_TRUE(shown(30, 14, "카이저소드", 15));
    EXPECT_TRUE(shown_at(46, 14 * 20, {{"직접", 9}}));
    EXPECT_TRUE(shown(28, 15, "×", 10));
    EXPECT_TRUE(shown(30, 15, "쌩쌩봉", 15));
    EXPECT_TRUE(shown_at(46, 15 * 20, {{"직", 9}, {"／", 15}, {"근", 9}}));
    EXPECT_FALSE(shown(30, 16, "쌩쌩봉", 15));
}

TEST_F(StatusTest, StaffBracketAndComputerUnitWindow) {
    UnitRecord* u = place(1, 10, 0, 2, 2);
    ASSERT_NE(u, nullptr);
    u->stats.weapon = 43;  // effects 8 and 8, reach 1 and 2
    u->items[0] = 43;
    menu_show_unit_status(u);
    EXPECT_TRUE(shown_at(28, 11 * 20,
                         {{"   7", 15}, {"(", 15}, {"+", 9}, {" 8", 9}, {"//", 15}, {"+", 6}, {" 8", 6}, {")", 15}}));
    EXPECT_FALSE(shown(32, 9, "(", 15));   // no hit values: nothing after attack
    EXPECT_FALSE(shown(28, 14, "×", 10));  // a class that can use it

    // A computer unit without a face: 44 wide and 13 high from column 18,
    // row 3; its one weapon on the window's last row; no cross.
    gfx_clear_screen();
    UnitRecord* e = place(14, 35, 7, 5, 5);  // a character without a face
    ASSERT_NE(e, nullptr);
    e->stats.weapon = 24;
    e->items[0] = 24;
    menu_show_unit_status(e);
    EXPECT_TRUE(shown(30, 4, unit_display_name(&e->stats), 15));
    EXPECT_TRUE(shown(20, 15, "소지품", 6));
    EXPECT_TRUE(shown(32, 15, "카이저소드", 15));
    EXPECT_FALSE(shown(30, 15, "×", 10));
}

TEST_F(StatusTest, TerrainWindowRatesAndClick) {
    const int plain = tile_of_class(2), heal = tile_of_class(5);
    ASSERT_GE(plain, 0);
    ASSERT_GE(heal, 0);
    g_map.cells[1 * MAP_SIDE + 1] = static_cast<uint8_t>(plain | MAP_MARK);
    g_map.cells[1 * MAP_SIDE + 2] = static_cast<uint8_t>(heal);
    map_set_zoom(2);
    bool plain_ok = false, heal_ok = false;
    start_polling([&] {
        plain_ok = shown_at(32, 200, {{"방어율", 15}, {"   0", 15}, {"％", 15}}) && !shown(32, 11, "회복율", 15);
        click_view(300, 300);
    });
    map_show_terrain_info(1, 1);
    polling = false;
    EXPECT_TRUE(plain_ok);
    EXPECT_EQ(g_zoom, 2);
    gfx_restore_screen();
    start_polling([&] {
        heal_ok = shown_at(32, 220, {{"회복율", 15}, {"  30", 15}, {"％", 15}}) &&
                  shown(40, 8, g_terrain_names[g_map_tile_set][5], 15);
        click_view(300, 300);
    });
    map_show_terrain_info(2, 1);
    polling = false;
    EXPECT_TRUE(heal_ok);
}

TEST_F(StatusTest, PartyListRowsByslotAndTheJumpToAUnit) {
    set_map_size(40, 40);
    UnitRecord* a = place(1, 1, 0, 2, 2);
    UnitRecord* b = place(2, 3, 0, 3, 2);
    UnitRecord* c = place(3, 5, 0, 30, 30);
    ASSERT_TRUE(a && b && c);
    b->number = 0;  // slot 1 free: rows keep their slots
    c->number = 0;
    g_occupancy.cells[2 * MAP_SIDE + 3] = 0;
    g_occupancy.cells[30 * MAP_SIDE + 30] = 0;
    UnitStats s = MapTest::stats(3, 5, 0, 100);
    g_units[5] = *c;
    g_units[5].number = 6;
    g_units[5].stats = s;
    g_units[5].acted = 1;
    g_occupancy.cells[30 * MAP_SIDE + 30] = 6;
    a->stats.hp = 0;
    g_view_x = g_view_y = 0;
    map_redraw_view();
    g_turn = 4;

    std::vector<int> failed;
    int step = 0;
    start_polling([&] {
        if (++step != 30) return;
        const bool checks[] = {
            shown(62, 8, "이동필", 8),
            shown(12, 3, unit_display_name(&a->stats), 15),
            shown(62, 3, "행동불능", 10),
            !shown(12, 4, unit_display_name(&b->stats), 15),
            shown(12, 8, unit_display_name(&g_units[5].stats), 15),
            shown(26, 8, g_class_names[5], 15),
            shown(44, 8, " 1", 15),
            shown_at(50, 160, {{"100", 15}, {"//", 15}, {"100", 15}}),
            shown_at(64, 8, {{"턴", 15}, {"5", 15}}),
        };
        for (int i = 0; i < static_cast<int>(std::size(checks)); ++i)
            if (!checks[i]) failed.push_back(i);
        click_view(300, 8 * 20 + 10);
    });
    menu_party_list();
    polling = false;
    EXPECT_EQ(step >= 30, true);
    EXPECT_TRUE(failed.empty()) << "check " << failed.front();
    EXPECT_EQ(g_zoom, 1);
    // The view centred on (30,30) and the pointer on the middle of its cell.
    const int vx = g_view_x, vy = g_view_y;
    map_center_view_on(30, 30);
    EXPECT_EQ(vx, g_view_x);
    EXPECT_EQ(vy, g_view_y);
    EXPECT_NE(vx, 0);
    int mx = 0, my = 0;
    win_get_mouse_pos(&mx, &my);
    EXPECT_EQ(mx, ((30 - vx) * 4 + 2 + 2) * 8);
    EXPECT_EQ(my, (30 - vy) * 32 + 16);
    EXPECT_EQ(g_colour_cycle_block, 0);

    // A right click: -1 and the view stays.
    g_view_x = g_view_y = 0;
    start_polling([&] { rclick_view(300, 200); });
    EXPECT_EQ(menu_party_list_screen("파티일람"), -1);
    polling = false;
    EXPECT_EQ(g_view_x, 0);
    EXPECT_EQ(g_view_y, 0);
}
