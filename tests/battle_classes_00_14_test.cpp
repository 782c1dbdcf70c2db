// The class scripts of classes 0 to 14: the hits and flinches of every move
// in order, the support moves' outcomes and messages, the song, the special
// stops (a strike that fells the opponent ends the combo), the whirlwind's
// hold, the critters' places, the glides' first frame, and the move choice of
// every class with its counter gate.
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "battle/classes/classes.h"
#include "platform/draw.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "tests/scene_fixture.h"

namespace {

constexpr int HP_DROP = -1;

class ClassScriptTest : public SceneTest {
protected:
    // The fighter of class `cls` on `side` against a sturdy wizard of the
    // other side (both at 150 HP, small hits).
    void fighters(int cls, int side, int opp_hp = 150) {
        a = MapTest::stats(10, cls, 0, 150);
        d = MapTest::stats(11, 13, 3, 150);
        d.hp = static_cast<int16_t>(opp_hp);
        if (side == 1) std::swap(a, d);
    }
    UnitStats& stats_of(int side) { return side == 0 ? a : d; }
    BattleActor& actor(int i) { return g_btl_actor[static_cast<size_t>(i)]; }

    // What the struck fighter goes through while a move runs: each reaction
    // state as it starts, and HP_DROP whenever its HP falls.
    std::vector<int> events(int side, int move) {
        const int struck = 1 - side;
        std::vector<int> seen;
        int hits = 0, hp = stats_of(struck).hp;
        poll_period = 4;
        start_polling([&] {
            const BattleActor& f = actor(struck);
            const bool reacting = f.state == 1 || f.state == 2 || f.state == 5 || f.state == 6;
            if (reacting && f.hit_count != hits) seen.push_back(f.state);
            hits = f.hit_count;
            if (stats_of(struck).hp < hp) seen.push_back(HP_DROP);
            hp = stats_of(struck).hp;
        });
        run_move(side, move);
        polling = false;
        return seen;
    }

    // True when the message box shows exactly these lines: drawing them
    // again over a cleared box changes no pixel.
    static bool box_shows(const std::string& first, const std::string& second = "") {
        constexpr int top = 300, bottom = 360;
        std::vector<uint8_t> before;
        for (int y = top; y < bottom; ++y) {
            const uint8_t* p = gfx_screen_pixel(g_back_dib, 0, y);
            before.insert(before.end(), p, p + SCREEN_W);
        }
        btl_msgbox_clear();
        txt_draw_string(26, 15, first.c_str(), 15);
        if (!second.empty()) txt_draw_string(26, 16, second.c_str(), 15);
        bool same = true;
        for (int y = top; y < bottom; ++y) {
            uint8_t* p = gfx_screen_pixel(g_back_dib, 0, y);
            const uint8_t* b = before.data() + static_cast<size_t>(y - top) * SCREEN_W;
            same = same && std::memcmp(p, b, SCREEN_W) == 0;
            std::memcpy(p, b, SCREEN_W);
        }
        return same;
    }
    static std::string name(const UnitStats& u) { return unit_display_name(&u); }
    // The name with the particle form "은 "/"는 " (or "을"/"를" style pairs).
    static std::string with(const std::string& n, const char* plain, const char* final_form) {
        return n + (txt_ends_without_final(n.c_str()) ? plain : final_form);
    }
};

// --- handlers ----------------------------------------------------------------------

TEST_F(ClassScriptTest, HandlersShowEachClasssPosesAndShadows) {
    struct Case {
        int cls, downed, raised, stand_pose, fixed_pose;  // frames of states 8, 9; shadow poses
        bool hovers;
        int highest;
    };
    const Case cases[] = {
        {0, 6, 5, 1, 5, false, 14},  {1, 6, 5, 1, 5, false, 15},  {2, 6, 5, 1, 5, false, 13},
        {3, 6, 5, 1, 5, false, 14},  {4, 8, 7, -1, 5, true, 14},  {5, 8, 7, -1, 5, true, 14},
        {6, 6, 5, 2, 5, false, 13},  {7, 6, 5, 2, 5, false, 14},  {8, 6, 5, 1, 5, false, 13},
        {9, 6, 5, 1, 5, false, 14},  {10, 6, 0, 2, 6, false, 14}, {11, 6, 0, 2, 6, false, 15},
        {12, 6, 0, 2, 6, false, 13}, {14, 6, 5, 1, 5, false, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "class " << c.cls);
        fighters(c.cls, 0);
        begin(false, 0);
        BattleActor& f = actor(0);
        const BattleActor& shadow = actor(f.companion);
        uint16_t done = 0;
        for (int state : {8, 9}) {
            f.state = static_cast<int16_t>(state);
            btl_call_handler(0, &done);
            EXPECT_EQ(f.frame, state == 8 ? c.downed : c.raised);
        }
        f.state = 3;
        btl_call_handler(0, &done);
        EXPECT_EQ(shadow.state, c.fixed_pose) << "a fixed pose on the ground";
        f.state = 0;
        f.y = BTL_GROUND_Y;
        f.stash_y = 0;
        btl_call_handler(0, &done);
        btl_call_handler(0, &done);
        if (c.hovers) {
            EXPECT_EQ(f.y, BTL_GROUND_Y - 3) << "the hover's third height";
        } else {
            EXPECT_EQ(f.y, BTL_GROUND_Y);
            EXPECT_EQ(shadow.state, c.stand_pose);
        }
        f.state = static_cast<int16_t>(c.highest + 1);
        done = 0;
        btl_call_handler(0, &done);
        EXPECT_EQ(done, 1) << "a state past the class's moves ends at once";
        EXPECT_EQ(f.step, 0);
        btl_free_scene();
    }
}

// --- hits and flinches ------------------------------------------------------------

TEST_F(ClassScriptTest, EveryMoveStrikesAndFlinchesInItsOrderOnBothSides) {
    struct Case {
        int cls, move;
        std::vector<int> seen;
    };
    const int D = HP_DROP;
    const Case cases[] = {
        {0, 13, {5, 2, D}},        // feint, strike
        {0, 14, {5, 2, D, 1, D}},  // ... and the second hit falling
        {1, 13, {2, D}},           // the second strike finds it still reacting
        {1, 14, {1, D}},
        {1, 15, {6, 6, 6, 6, 6, 6, 2, D}},  // six flinches take no HP
        {2, 12, {1, D}},
        {2, 13, {1, D}},
        {3, 12, {1, D}},
        {3, 13, {2, D}},
        {3, 14, {2, D}},
        {4, 13, {2, D}},
        {4, 14, {2, D}},
        {5, 13, {1, D}},
        {5, 14, {1, D, 1, D}},  // the burst's two hits
        {6, 12, {1, D}},
        {6, 13, {1, D}},
        {7, 12, {1, D}},
        {7, 13, {5, D, 1, D, 1, D}},  // two strikes and the vault
        {7, 14, {2, D}},
        {8, 12, {1, D}},
        {8, 13, {1, D}},
        {9, 12, {1, D, 2, D}},
        {9, 13, {1, D, 1, D}},  // the wave strikes again as the opponent recoils with it
        {9, 14, {6, 5, 6, 5, 6, 5, 6, 5, 1, D}},
        {10, 13, {2, D}},
        {12, 12, {6, 5, 2, D}},  // two flinches take no HP
        {12, 13, {2, D}},
        {14, 12, {2, D}},
        {14, 13, {2, D}},
        {14, 14, {2, D, 1, D}},
    };
    for (const Case& c : cases)
        for (int side : {0, 1}) {
            fighters(c.cls, side);
            begin(false, side);
            EXPECT_EQ(events(side, c.move), c.seen) << "class " << c.cls << " move " << c.move << " side " << side;
            btl_free_scene();
        }
}

TEST_F(ClassScriptTest, ManyPieceMovesKeepTheirHitLimitsAndReactions) {
    // Critters (5 hits), rocks (below 8), lights (5), orbs (one each, 4).
    struct Case {
        int cls, move, limit;
    };
    const Case cases[] = {{10, 14, 5}, {11, 13, 6}, {11, 14, 5}, {11, 15, 4}};
    for (const Case& c : cases)
        for (int side : {0, 1})
            for (int draw = 0; draw < 3; ++draw) {
                fighters(c.cls, side);
                begin(false, side);
                for (int i = 0; i < draw * 7; ++i) util_random();
                const std::vector<int> seen = events(side, c.move);
                int hits = 0;
                for (int e : seen) {
                    if (e == HP_DROP) continue;
                    ++hits;
                    EXPECT_EQ(e, 2) << "class " << c.cls << " move " << c.move;
                }
                EXPECT_LE(hits, c.limit) << "class " << c.cls << " move " << c.move << " side " << side;
                EXPECT_EQ(std::count(seen.begin(), seen.end(), HP_DROP), hits);
                btl_free_scene();
            }
}

TEST_F(ClassScriptTest, AFelledOpponentEndsTheComboWithoutTheRest) {
    for (int side : {0, 1}) {
        // The commando's first strike fells it: no second strike.
        fighters(1, side, 1);
        begin(false, side);
        EXPECT_EQ(events(side, 13), (std::vector<int>{2, HP_DROP})) << "side " << side;
        EXPECT_EQ(stats_of(1 - side).hp, 0);
        btl_free_scene();

        // The sword master's first strike fells it: no vault, no turn.
        fighters(7, side, 1);
        begin(false, side);
        const int16_t flags = actor(side).flags;
        EXPECT_EQ(events(side, 13), (std::vector<int>{5, HP_DROP})) << "side " << side;
        EXPECT_EQ(actor(side).flags, flags) << "the mover did not turn about";
        EXPECT_EQ(actor(side).y, BTL_GROUND_Y);
        EXPECT_GT((actor(1 - side).x - actor(side).x) * (side == 0 ? 1 : -1), 0) << "still before the opponent";
        btl_free_scene();
    }
}

TEST_F(ClassScriptTest, MovesThatLeaveTheMoverAwayFromItsPlace) {
    for (int side : {0, 1}) {
        const int fwd = side == 0 ? 1 : -1;
        fighters(5, side);
        begin(false, side);
        run_move(side, 13);
        EXPECT_EQ(actor(side).x, -5) << "the valkyrie's dive ends below the picture";
        EXPECT_EQ(actor(side).y, 420);

        fighters(7, side);
        begin(false, side);
        run_move(side, 13);
        EXPECT_GT((actor(side).x - actor(1 - side).x) * fwd, 0) << "the vault lands behind the opponent";
        EXPECT_EQ(actor(side).flags, side == 0 ? 0 : 1) << "and turns about";

        fighters(9, side);
        begin(false, side);
        run_move(side, 14);
        EXPECT_TRUE(side == 0 ? actor(side).x >= 86 : actor(side).x < -5) << "the dance ends off the field";
        btl_free_scene();
    }
}

TEST_F(ClassScriptTest, TheGlidesStartInTheSetUpFrameAndTheSpearWaitsAFrame) {
    // The set-up frame also runs step 1, except where the move's set-up
    // does nothing else (the valkyrie's spear).
    for (const auto& [cls, move, glides] : {std::tuple{4, 13, true}, {4, 14, true}, {5, 13, true}, {5, 14, false}})
        for (int side : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "class " << cls << " move " << move << " side " << side);
            fighters(cls, side);
            begin(false, side);
            BattleActor& f = actor(side);
            const int x = f.x;
            f.state = static_cast<int16_t>(move);
            f.step = f.timer = 0;
            uint16_t done = 0;
            btl_call_handler(side, &done);
            EXPECT_EQ(f.step, 1);
            EXPECT_EQ(f.timer, glides ? 1 : 0);
            EXPECT_EQ(f.x, glides ? x + (side == 0 ? 2 : -2) : x);
            btl_free_scene();
        }
}

TEST_F(ClassScriptTest, TheWhirlwindHoldsTheOpponentReactingUntilItsThrow) {
    for (int side : {0, 1}) {
        fighters(14, side);
        begin(false, side);
        const int o = 1 - side;
        int held = 0, loose = 0;
        poll_period = 4;
        start_polling([&] {
            const int s = actor(o).state;
            if (s != 3 && s != 4) return;
            ++held;
            loose += g_btl_hit_phase[o] != 1;
        });
        run_move(side, 13);
        polling = false;
        EXPECT_GT(held, 10) << "side " << side;
        EXPECT_EQ(loose, 0);
        btl_free_scene();
    }
}

TEST_F(ClassScriptTest, CrittersStartAtLowerColumnsThanTheMoverOnBothSides) {
    // Three columns apart toward column 0 whatever the side: behind a
    // side-0 mover, between a side-1 mover and its opponent.
    for (int side : {0, 1}) {
        fighters(10, side);
        begin(false, side);
        std::vector<int> offsets;
        poll_period = 4;
        start_polling([&] {
            const BattleActor& me = actor(side);
            if (me.state != 14 || me.step != 2 || !offsets.empty()) return;
            for (int i = 0; i < 5; ++i) offsets.push_back(actor(btl_effect_index(me.first_effect, i)).x - me.x);
        });
        run_move(side, 14);
        polling = false;
        EXPECT_EQ(offsets, (std::vector<int>{0, -3, -6, -9, -12})) << "side " << side;
        btl_free_scene();
    }
}

TEST_F(ClassScriptTest, TheFencersLeapFromAnOddColumnStillTurnsAtItsColumn) {
    // Walking 2 cells a frame from column 21 never stands on 60: the leap
    // turns once the column is reached or passed, and the fencer lands
    // turned about as from an even column.
    for (int side : {0, 1}) {
        fighters(8, side);
        begin(false, side);
        actor(side).x = static_cast<int16_t>(side == 0 ? 21 : 59);
        run_move(side, 13);
        EXPECT_LT(btl_last_move_frames(), 80) << "side " << side;
        EXPECT_EQ(actor(side).flags, side == 0 ? 0 : 1);
        btl_free_scene();
    }
}

// --- support moves and the song ---------------------------------------------------

TEST_F(ClassScriptTest, SupportMovesHealRaiseAndReviveTheirPartner) {
    enum Target { Hurt, Downed, Raised };
    for (int cls : {0, 1, 10, 11})
        for (Target t : {Hurt, Downed, Raised}) {
            SCOPED_TRACE(::testing::Message() << "class " << cls << " target " << t);
            a = MapTest::stats(10, cls, 0, 100);
            a.intelligence = 8;
            d = MapTest::stats(11, 13, 0, 120);
            d.hp = t == Hurt ? 50 : 0;
            status = t == Raised ? -1 : 100;
            begin(false, 0);
            ASSERT_EQ(actor(1).state, t == Hurt ? 0 : t == Downed ? 8 : 9);
            const std::string cast = with(name(a), "는 ", "은 ") + "리커버를 외쳤다.";
            bool cast_shown = false;
            poll_period = 4;
            start_polling([&] {
                if (actor(0).state == 12 && actor(0).step == 2 && !cast_shown) cast_shown = box_shows(cast);
            });
            run_move(0, 12);
            polling = false;
            EXPECT_TRUE(cast_shown);
            EXPECT_FALSE(box_shows(cast)) << "the outcome replaces the cast message";
            EXPECT_EQ(g_btl_hit_phase[0], 0);
            const std::string hp_line = name(d) + "의 HP가 ";
            switch (t) {
                case Hurt:
                    EXPECT_EQ(d.hp, 66);
                    EXPECT_EQ(actor(1).state, 0);
                    EXPECT_TRUE(box_shows(hp_line, std::string("/6 ") + txt_format_uint(16, 3) + "/f 회복되었다."));
                    break;
                case Downed:
                    EXPECT_EQ(d.hp, 0);
                    EXPECT_EQ(actor(1).state, 9);
                    EXPECT_EQ(status, -1);
                    EXPECT_TRUE(box_shows(with(name(d), "는 ", "은 ") + "/f대기하고 있다."));
                    break;
                case Raised:
                    EXPECT_EQ(d.hp, 120);
                    EXPECT_EQ(actor(1).state, 0);
                    EXPECT_EQ(status, 0);
                    EXPECT_TRUE(box_shows(hp_line + "/f완쾌되었다."));
                    break;
            }
            btl_free_scene();
        }
}

TEST_F(ClassScriptTest, TheSongShowsItsTwoMessagesInOrderAndChangesNoUnit) {
    for (int cls : {4, 5})
        for (int side : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "class " << cls << " side " << side);
            a = MapTest::stats(10, cls, 0, 100);
            d = MapTest::stats(11, 13, 0, 90);
            d.hp = 40;
            if (side == 1) std::swap(a, d);
            begin(false, side);
            const UnitStats before[2] = {a, d};
            const std::string first = with(name(stats_of(side)), "는 ", "은 ");
            const std::string second = name(stats_of(1 - side)) + "의 행동력이 늘었다.";
            std::vector<int> order;
            bool busy = false;
            poll_period = 4;
            start_polling([&] {
                busy |= g_btl_hit_phase[side] != 0;
                // The first message stands in steps 2 to 5, the second from 7.
                const int step = actor(side).step;
                if (step != 3 && step != 8) return;
                const int shown = box_shows(first, "격려의 노래를 연주했다.") ? 1 : box_shows(second) ? 2 : 0;
                if (shown && (order.empty() || order.back() != shown)) order.push_back(shown);
            });
            const int next = g_btl_next_actor;
            run_move(side, 12);
            polling = false;
            EXPECT_EQ(order, (std::vector<int>{1, 2}));
            EXPECT_FALSE(busy) << "the song never makes the mover busy";
            EXPECT_EQ(std::memcmp(&before[0], &a, sizeof a), 0);
            EXPECT_EQ(std::memcmp(&before[1], &d, sizeof d), 0);
            EXPECT_EQ(g_btl_next_actor, next);
            btl_free_scene();
        }
}

// --- the move choice ----------------------------------------------------------------

TEST_F(ClassScriptTest, TheMoveChoiceFollowsEachClasssRowWithItsCounterGate) {
    constexpr int P = AI_MODE_PLAYER, E = AI_MODE_HOLD;  // side words: party, enemy
    constexpr int RANDOM2 = -2, RANDOM4 = -4;            // 12 + random(2 or 4)
    struct Case {
        int cls, item, range;
        bool charged;
        int mine, theirs, move;
        bool counter = true;
    };
    // clang-format off
    std::vector<Case> cases = {
        // The healers: a party opponent gets the support move and no counter.
        {0, 15, 0, false, P, P, 12, false}, {0, 15, 0, false, E, E, 14}, {0, 14, 1, false, E, E, 13},
        {1, 17, 1, true, P, P, 12, false}, {1, 0, 1, true, P, E, 13}, {1, 17, 0, false, P, E, 13},
        {1, 17, 1, false, P, E, 14}, {1, 18, 2, false, P, E, 14}, {1, 18, 0, true, P, E, 15},
        {4, 27, 0, false, E, P, 12, false}, {4, 26, 0, false, E, E, 13}, {4, 27, 1, false, P, E, 14},
        {5, 30, 0, false, P, P, 12, false}, {5, 29, 1, false, P, E, 13}, {5, 30, 0, false, P, E, 14},
        {10, 45, 0, false, P, P, 12, false}, {10, 44, 0, false, P, E, 13}, {10, 45, 2, false, P, E, 14},
        {11, 0, 1, true, P, P, 12, false}, {11, 0, 0, false, P, E, 13}, {11, 0, 1, false, P, E, 14},
        {11, 0, 0, true, P, E, 15},
        // Items, charges and distances.
        {3, 23, 0, false, P, E, 13}, {3, 24, 0, false, P, E, 13}, {3, 22, 0, false, P, E, 12},
        {3, 0, 0, true, P, E, 14},
        {7, 35, 0, false, P, E, 13}, {7, 36, 0, false, P, E, 13}, {7, 37, 0, false, P, E, 12},
        {7, 35, 0, true, P, E, 14},
        {9, 41, 0, false, P, E, 12}, {9, 41, 1, false, P, E, 13}, {9, 42, 2, false, P, E, 13},
        {9, 43, 1, false, P, E, 12}, {9, 0, 0, true, P, E, 14},
        {13, 53, 0, false, P, E, 13}, {13, 54, 0, false, P, E, 14}, {13, 55, 0, false, P, E, 12},
        {14, 0, 0, false, P, E, RANDOM2}, {14, 0, 1, false, P, E, 14},
        // Classes 16 and 22 support their own side.
        {16, 0, 0, false, P, P, 12, false}, {16, 0, 0, false, E, E, 12, false}, {16, 0, 0, false, E, P, 13},
        {22, 0, 1, false, P, P, 12, false}, {22, 0, 1, false, P, E, 13},
        {19, 0, 0, false, P, E, 12}, {19, 0, 1, false, P, E, 13}, {19, 72, 0, false, P, E, 14},
        {19, 72, 2, false, P, E, 15},
        {24, 0, 0, false, P, E, RANDOM2}, {27, 0, 1, false, P, E, RANDOM2}, {28, 0, 0, false, P, E, RANDOM4},
        // The mummy: its coffin item never draws a counter from distance 3.
        {40, 95, 0, false, E, P, 13}, {40, 95, 1, false, E, P, 13}, {40, 95, 2, false, E, P, 13, false},
        {40, 94, 0, false, E, P, 13}, {40, 94, 1, false, E, P, 12}, {40, 0, 2, false, E, P, 12},
        {46, 0, 1, false, E, P, 14}, {46, 0, 0, false, E, P, RANDOM2},
        {47, 0, 0, false, E, P, 12, false}, {47, 0, 1, false, E, P, 12, false},
    };
    // clang-format on
    // "12; item n: 13", at every distance.
    for (const auto& [cls, item] : {std::pair{2, 21}, {6, 33},  {8, 39},  {12, 51}, {15, 64}, {17, 68},  {18, 70},
                                    {20, 73},         {21, 73}, {26, 73}, {25, 76}, {37, 76}, {32, 82},  {34, 86},
                                    {35, 87},         {36, 89}, {38, 91}, {44, 91}, {41, 97}, {43, 101}, {45, 103}})
        for (int range = 0; range < 3; ++range) {
            cases.push_back({cls, item, range, false, E, P, 13});
            cases.push_back({cls, item + 1, range, range == 0, E, P, 12});
        }
    // "12; R > 0: 13".
    for (int cls : {23, 29, 30, 31, 33, 39, 42, 48})
        for (int range = 0; range < 3; ++range) cases.push_back({cls, 0, range, false, E, P, range > 0 ? 13 : 12});

    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "class " << c.cls << " item " << c.item << " R " << c.range
                                          << (c.charged ? " charged" : "") << " sides " << c.mine << "/" << c.theirs);
        a = MapTest::stats(10, c.cls, c.mine, 50);
        d = MapTest::stats(11, 13, c.theirs, 50);
        a.weapon = static_cast<int16_t>(c.item);
        g_btl_combatant[0] = &a;
        g_btl_combatant[1] = &d;
        g_btl_range_mode = static_cast<uint16_t>(c.range);
        g_unit_charge_flag = c.charged ? 1 : 0;
        g_btl_boss_move = 0;
        util_random_reset();
        const int draw = util_random();
        const int after_draw = util_random();
        util_random_reset();
        g_btl_move[1] = 12;  // a counter chosen before
        btl_choose_move_for_class(0, 0);
        const int expected = c.move == RANDOM2 ? 12 + draw % 2 : c.move == RANDOM4 ? 12 + draw % 4 : c.move;
        EXPECT_EQ(g_btl_move[0], expected);
        EXPECT_EQ(g_btl_move[1] != BTL_NO_MOVE, c.counter);
        if (c.cls == 14) {
            EXPECT_EQ(util_random(), after_draw) << "the number is drawn at every distance";
        }
        if (c.cls == CLASS_FIRST_FORM && c.move == RANDOM2) {
            // Drawn once per battle: the counter of the same battle reuses it.
            EXPECT_EQ(g_btl_boss_move, expected);
            g_btl_boss_move = static_cast<uint16_t>(25 - expected);
            btl_choose_move_for_class(0, 0);
            EXPECT_EQ(g_btl_move[0], 25 - expected);
            EXPECT_EQ(util_random(), after_draw) << "no second draw";
        }
    }
    g_unit_charge_flag = 0;
}

}  // namespace
