// The unit command menu: the offer rules, the act command's flows, the
// attack ring and the gather command, on a 20 x 14 map of terrain class 1.
#include "tactics/command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "battle/battle.h"
#include "platform/input.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/map_fixture.h"

namespace {

class CommandTest : public MapTest {
protected:
    std::function<void()> on_shot;

    void SetUp() override {
        options.on_shot = [this](const std::string&) {
            if (on_shot) on_shot();
        };
        MapTest::SetUp();
        load_first_stage(0);
        flat_map();
        g_enemy_phase = 0;
    }
    void TearDown() override {
        map_free_move_range();
        g_terrain_class_of_tile = g_tileset_terrain[0].data();
        MapTest::TearDown();
    }
    static UnitRecord* place(int slot, int x, int y, int cls, int mode, int ch = 2, int weapon = 38) {
        UnitRecord& r = place_record(slot, x, y, stats(ch, cls, mode), 100);
        r.stats.weapon = static_cast<int16_t>(weapon);
        return &r;
    }
    // Client position of a map cell's centre; the view stays at (0, 0) here.
    static int cx(int x) { return 16 + (x - g_view_x) * 32 + 16; }
    static int cy(int y) { return (y - g_view_y) * 32 + 16 + 48; }
    // An attack begins with its drum beat.
    static bool attacked() { return effect_plays(SFX_DRUM) > 0; }
    // Left clicks every half second from delay on: they answer the
    // experience window's wait after a battle.
    void click_through(uint32_t delay, int n = 20) {
        for (int i = 0; i < n; ++i) at(delay + 500u * static_cast<uint32_t>(i), HeadlessKind::Click, 320, 300);
    }
    static bool any_marks() {
        for (int i = 0; i < MAP_CELLS; ++i)
            if ((g_map.cells[i] & MAP_MARK) || (g_occupancy.cells[i] & (OCC_MARK_A | OCC_MARK_B))) return true;
        return false;
    }
    static std::string offers(const UnitRecord* u) {
        std::string s;
        for (int c = 0; c < CMD_COUNT; ++c) s += menu_command_offered(u, c) ? char('0' + c) : '.';
        return s;
    }
};

TEST_F(CommandTest, OffersFollowActedHpChargeAndClass) {
    UnitRecord* u = place(0, 5, 5, 1, 0, 2, 18);  // a final class with a charge weapon
    EXPECT_EQ(offers(u), "0.2.45..8");
    u->acted = 1;
    EXPECT_EQ(offers(u), "....45..8");
    u->acted = 0;
    u->charged = 1;
    EXPECT_EQ(offers(u), "0...45..8");
    u->charged = 0;
    u->stats.class_id = 0;  // a base class cannot charge
    EXPECT_EQ(offers(u), "0...45..8");
    u->stats.class_id = 1;
    u->stats.weapon = 38;  // no charge flag
    EXPECT_EQ(offers(u), "0...45..8");
    u->stats.hp = 0;
    EXPECT_EQ(offers(u), "....4...8");
}

TEST_F(CommandTest, ShopNeedsTerrainFiveAndATileSetOtherThanFourAndSeven) {
    UnitRecord* u = place(0, 5, 5, 2, 0);
    g_map_tile_set = 0;
    EXPECT_FALSE(menu_command_offered(u, CMD_SHOP));
    g_map.cells[5 * MAP_SIDE + 5] = 5;
    EXPECT_TRUE(menu_command_offered(u, CMD_SHOP));
    for (int set : {4, 7}) {
        g_map_tile_set = set;
        EXPECT_FALSE(menu_command_offered(u, CMD_SHOP)) << set;
    }
    g_map_tile_set = 3;
    EXPECT_TRUE(menu_command_offered(u, CMD_SHOP));
    u->stats.class_id = CLASS_BUTLER;
    EXPECT_FALSE(menu_command_offered(u, CMD_SHOP));
    u->stats.class_id = 2;
    u->stats.hp = 0;
    EXPECT_FALSE(menu_command_offered(u, CMD_SHOP));
}

TEST_F(CommandTest, ExchangeNeedsALivePartnerWithinTwoCells) {
    UnitRecord* u = place(0, 5, 5, 2, 0);
    EXPECT_FALSE(menu_command_offered(u, CMD_EXCHANGE));
    place(20, 6, 5, 6, 2);  // an enemy slot does not count
    EXPECT_FALSE(menu_command_offered(u, CMD_EXCHANGE));
    UnitRecord* p = place(1, 5, 8, 2, 0);
    EXPECT_FALSE(menu_command_offered(u, CMD_EXCHANGE));
    p->y = 7;
    EXPECT_TRUE(menu_command_offered(u, CMD_EXCHANGE));
    p->stats.hp = 0;
    EXPECT_FALSE(menu_command_offered(u, CMD_EXCHANGE));
    p->stats.hp = 5;
    u->stats.char_id = CHAR_PAUL;
    EXPECT_FALSE(menu_command_offered(u, CMD_EXCHANGE));
}

TEST_F(CommandTest, SpiritAndButlerGetTheirFewCommands) {
    UnitRecord* summoner = place(0, 2, 2, 13, 0, CHAR_SUMMONER);
    UnitRecord* spirit = place(1, 5, 5, CLASS_EARTH_SPIRIT, 0, 20);
    place(2, 5, 6, 2, 0);
    EXPECT_EQ(offers(spirit), "0.....6..");
    summoner->acted = 1;
    EXPECT_EQ(offers(spirit), "......6..");
    // A computer-controlled butler: act, item, exchange.
    UnitRecord* butler = place(20, 5, 7, CLASS_BUTLER, 2, 20, 85);
    EXPECT_EQ(offers(butler), "0....56..");
}

TEST_F(CommandTest, PickingTheOwnCellEndsTheActionInPlace) {
    UnitRecord* u = place(0, 5, 5, 0, 0);
    u->charged = 1;
    at(100, HeadlessKind::Click, cx(5), cy(5));
    menu_cmd_act(u);
    EXPECT_EQ(u->acted, 1);
    EXPECT_EQ(u->charged, 0);
    EXPECT_EQ(u->x, 5);
    EXPECT_FALSE(attacked());
    EXPECT_FALSE(any_marks());
    EXPECT_EQ(g_move_range, nullptr);
}

TEST_F(CommandTest, PickingATargetFirstAttacksWithoutMoving) {
    UnitRecord* u = place(0, 5, 5, 0, 0);
    UnitRecord* t = place(20, 6, 5, 6, AI_MODE_BOSS);
    at(100, HeadlessKind::Click, cx(6), cy(5));
    click_through(1000);
    menu_cmd_act(u);
    EXPECT_TRUE(attacked());
    // The short sword: 14, two thirds against a boss (9), 90 % on plain
    // ground: 8. The counter at full strength: 12, and the target's
    // counter strength drops to 95. The princess earns (8 + 1) / 2.
    EXPECT_EQ(t->stats.hp, 20 - 8);
    EXPECT_EQ(u->stats.hp, 20 - 12);
    EXPECT_EQ(t->status, 95);
    EXPECT_EQ(u->stats.exp, 4);
    EXPECT_EQ(u->x, 5);
    EXPECT_EQ(u->y, 5);
    EXPECT_EQ(u->acted, 1);
    EXPECT_FALSE(any_marks());
}

TEST_F(CommandTest, MovingThenPickingTheOwnCellFinishesOnTheNewCell) {
    UnitRecord* u = place(0, 5, 5, 0, 0);
    at(100, HeadlessKind::Click, cx(7), cy(5));
    at(3000, HeadlessKind::Click, cx(7), cy(5));
    menu_cmd_act(u);
    EXPECT_EQ(u->x, 7);
    EXPECT_EQ(u->acted, 1);
    EXPECT_EQ(u->status, 0);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 5], 0);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 7], 1);
    EXPECT_FALSE(attacked());
    EXPECT_FALSE(any_marks());
}

TEST_F(CommandTest, CancellingTheTargetPickPutsTheUnitBackFreeToAct) {
    UnitRecord* u = place(0, 5, 5, 0, 0);
    place(20, 9, 5, 6, 2);
    at(100, HeadlessKind::Click, cx(7), cy(5));
    at(3000, HeadlessKind::RClick, cx(7), cy(5));
    menu_cmd_act(u);
    EXPECT_EQ(u->x, 5);
    EXPECT_EQ(u->y, 5);
    EXPECT_EQ(u->acted, 0);
    EXPECT_EQ(u->status, 0);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 5], 1);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 7], 0);
    EXPECT_FALSE(attacked());
    EXPECT_FALSE(any_marks());
    EXPECT_TRUE(menu_command_offered(u, CMD_ACT));
}

TEST_F(CommandTest, MovingNextToAnEnemyAndPickingItAttacksFromTheNewCell) {
    UnitRecord* u = place(0, 5, 5, 0, 0);
    UnitRecord* t = place(20, 9, 5, 6, 2);
    at(100, HeadlessKind::Click, cx(8), cy(5));
    at(3000, HeadlessKind::Click, cx(9), cy(5));
    click_through(4000);
    menu_cmd_act(u);
    EXPECT_EQ(u->x, 8);
    EXPECT_TRUE(attacked());
    EXPECT_EQ(t->stats.hp, 20 - 8);
    EXPECT_EQ(u->stats.hp, 20 - 12);
    EXPECT_EQ(u->acted, 1);
}

TEST_F(CommandTest, AnOpenCellWithNoTraceablePathEndsTheActionInPlace) {
    UnitRecord* u = place(0, 5, 5, 0, 0);
    // Open a cell the fill never reached while the player is picking.
    on_shot = [] { g_map.cells[10 * MAP_SIDE + 15] &= static_cast<uint8_t>(~MAP_MARK); };
    at(50, HeadlessKind::Shot);
    at(100, HeadlessKind::Click, cx(15), cy(10));
    menu_cmd_act(u);
    EXPECT_EQ(u->x, 5);
    EXPECT_EQ(u->y, 5);
    EXPECT_EQ(u->acted, 1);
    EXPECT_FALSE(attacked());
}

TEST_F(CommandTest, AChapterEventAfterTheMoveFinishesTheAction) {
    // Stage 1's gate row: the first stop there shows its message and ends
    // the unit's action, with an enemy in reach.
    g_stage_index = 0;
    g_stage_flags = {};
    g_view_x = 1;  // the gate's column 19 in view
    map_redraw_view();
    UnitRecord* u = place(0, 17, 1, 0, 0);
    u->charged = 1;
    place(20, 19, 2, 6, 2);
    at(100, HeadlessKind::Click, cx(19), cy(1));
    at(1500, HeadlessKind::Click, cx(10), cy(10));  // the message; no target pick follows
    menu_cmd_act(u);
    EXPECT_EQ(std::count(sys_log_lines().begin(), sys_log_lines().end(), "message 99"), 1);
    EXPECT_EQ(g_stage_flags[0], 1);
    EXPECT_EQ(u->x, 19);
    EXPECT_EQ(u->acted, 1);
    EXPECT_EQ(u->charged, 0);
    EXPECT_FALSE(attacked());
    EXPECT_FALSE(any_marks());
}

TEST_F(CommandTest, TheSpiritsActionMarksTheSummonerAsActed) {
    UnitRecord* summoner = place(0, 2, 2, 13, 0, CHAR_SUMMONER);
    UnitRecord* spirit = place(1, 5, 5, CLASS_EARTH_SPIRIT, 0, 20);
    at(100, HeadlessKind::Click, cx(5), cy(5));
    menu_cmd_act(spirit);
    EXPECT_EQ(spirit->acted, 1);
    EXPECT_EQ(summoner->acted, 1);
}

TEST_F(CommandTest, AttackRingUnmarksTheDistancesTheUnitCanStrike) {
    auto ring_marked = [](const UnitRecord* u, int d) {
        int open = 0, all = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 20; ++x)
                if (map_manhattan_distance(u->x, u->y, x, y) == d) {
                    ++all;
                    open += !(g_map.cells[y * MAP_SIDE + x] & MAP_MARK);
                }
        return open == 0 ? 0 : open == all ? 1 : -1;
    };
    UnitRecord* u = place(0, 6, 6, 8, 0, 2, 41);  // reach 1 and 2
    map_mark_all_cells(g_map.cells);
    map_mark_attack_ring(u);
    EXPECT_EQ(ring_marked(u, 1), 1);
    EXPECT_EQ(ring_marked(u, 2), 1);
    EXPECT_EQ(ring_marked(u, 3), 0);
    EXPECT_EQ(ring_marked(u, 0), 0);
    u->stats.weapon = 95;  // reach 2 and 3
    map_mark_all_cells(g_map.cells);
    map_mark_attack_ring(u);
    EXPECT_EQ(ring_marked(u, 1), 0);
    EXPECT_EQ(ring_marked(u, 2), 1);
    EXPECT_EQ(ring_marked(u, 3), 1);
    u->stats.char_id = CHAR_NOS;  // a healer reaches 1 and 2 with anything
    u->stats.weapon = 0;
    map_mark_all_cells(g_map.cells);
    map_mark_attack_ring(u);
    EXPECT_EQ(ring_marked(u, 1), 1);
    EXPECT_EQ(ring_marked(u, 2), 1);
    EXPECT_EQ(ring_marked(u, 3), 0);
    // Near the corner the ring is cut at the map's edge.
    UnitRecord* c = place(1, 0, 0, 8, 0, 2, 95);
    map_mark_all_cells(g_map.cells);
    map_mark_attack_ring(c);
    EXPECT_EQ(ring_marked(c, 3), 1);
}

TEST_F(CommandTest, GatherWalksEveryAbleUnitThatHasNotActed) {
    UnitRecord* leader = place(0, 10, 7, 2, 0);
    UnitRecord* a = place(1, 2, 7, 2, 0);
    UnitRecord* done = place(2, 18, 7, 2, 0);
    done->acted = 1;
    UnitRecord* down = place(3, 10, 1, 2, 0);
    down->stats.hp = 0;
    UnitRecord* near = place(4, 11, 7, 2, 0);  // already next to the leader
    map_gather_party_to_unit(leader);
    EXPECT_LT(map_manhattan_distance(a->x, a->y, 10, 7), 8);
    EXPECT_EQ(a->acted, 1);
    EXPECT_EQ(g_occupancy.cells[a->y * MAP_SIDE + a->x], 2);
    EXPECT_EQ(g_occupancy.cells[7 * MAP_SIDE + 2], 0);
    EXPECT_EQ(done->x, 18);
    EXPECT_EQ(down->y, 1);
    EXPECT_EQ(near->x, 11);
    EXPECT_EQ(near->acted, 0);
    EXPECT_EQ(leader->acted, 0);
    EXPECT_FALSE(any_marks());
    EXPECT_EQ(g_move_range, nullptr);
}

TEST_F(CommandTest, AComputerUnitShowsItsRangeAndChangesNothing) {
    UnitRecord* e = place(20, 8, 5, 6, 2);
    at(100, HeadlessKind::Click, cx(8), cy(5));   // the status wait
    at(1000, HeadlessKind::Click, cx(3), cy(3));  // the range shown until a click
    menu_unit_command(20);
    EXPECT_EQ(e->acted, 0);
    EXPECT_EQ(e->x, 8);
    EXPECT_FALSE(any_marks());
    EXPECT_EQ(g_move_range, nullptr);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 8], 21);
}

}  // namespace
