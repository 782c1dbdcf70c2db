// The class scripts of classes 15 to 28: the handlers' frames and companion
// poses, and what the sweep of every move cannot see: hit counts and
// reaction orders, class 15's shake, the recoveries of classes 16 and 22,
// the stops of classes 17 and 25, the lifts and throws of classes 18, 19 and
// 27, the end of class 19's waves, class 20's swoop, class 23's red flashes
// and class 28's silent moves.
#include <algorithm>
#include <string>
#include <vector>

#include "battle/classes/classes.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "tests/scene_fixture.h"

namespace {

class ClassMoveTest : public SceneTest {
protected:
    // The two fighters: the mover of class `cls` on `side` against a
    // wizard; opponent HP `opp_hp` (defence high, so that hits are small).
    void fighters(int cls, int side, int opp_hp = 150, int opp_class = 13, bool animated = false) {
        a = MapTest::stats(10, side == 0 ? cls : opp_class, 0, 150);
        d = MapTest::stats(11, side == 0 ? opp_class : cls, 3, 150);
        UnitStats& opp = side == 0 ? d : a;
        opp.hp = static_cast<int16_t>(opp_hp);
        opp.defence = 200;
        util_random_reset();
        begin(animated, side);
    }
    static BattleActor& fighter(int side) { return g_btl_actor[static_cast<size_t>(side)]; }

    // Runs the move of `side` as the engine's move loop does, without the
    // warm-up and without drawing: each frame the mover's handler, then the
    // other fighter's, then each(frame). Returns the frame the move ended.
    template <class F>
    int step_move(int side, int move, F each) {
        g_btl_move[0] = static_cast<uint16_t>(move);
        g_btl_counter_flag = g_btl_ghost_step = g_btl_pending_heal = 0;
        g_btl_hp_before = static_cast<uint16_t>(g_btl_combatant[1 - side]->hp);
        btl_begin_move(side, static_cast<uint16_t>(move));
        for (int frame = 1; frame < BTL_MOVE_FRAME_LIMIT; ++frame) {
            uint16_t done = 0, scratch = 0;
            btl_call_handler(side, &done);
            btl_call_handler(1 - side, &scratch);
            each(frame);
            if (done) return frame;
        }
        return BTL_MOVE_FRAME_LIMIT;
    }
    int step_move(int side, int move) {
        return step_move(side, move, [](int) {});
    }

    // The message box's pixels.
    static std::vector<uint8_t> box() {
        std::vector<uint8_t> px;
        for (int y = 300; y < 360; ++y)
            for (int x = 26 * 8; x < 54 * 8; ++x) px.push_back(*gfx_screen_pixel(g_back_dib, x, y));
        return px;
    }
};

TEST_F(ClassMoveTest, HandlersShowEachClasssFramesAndCompanionPoses) {
    // Companion poses at stand, on the ground and in the air (states 1 to
    // 6) and downed (states 8 and 9); the downed fall's last frame, which is
    // also state 8's; the stand's height; the highest move state.
    struct Case {
        int cls, stand, ground, air, downed, fall_last, highest, stand_y = BTL_GROUND_Y;
    };
    const Case cases[] = {
        {15, 0, 0, 0, 0, 5, 13}, {16, 0, 0, 0, 0, 5, 13}, {17, 0, 0, 0, 0, 5, 13, 220}, {18, 0, 0, 0, 0, 5, 13},
        {19, 8, 8, 6, 8, 5, 15}, {20, 0, 0, 0, 0, 5, 13}, {21, 2, 2, 6, 2, 5, 13},      {22, 2, 2, 6, 2, 5, 13},
        {23, 0, 0, 0, 0, 5, 13}, {24, 2, 2, 6, 2, 5, 13}, {25, 1, 5, 7, 1, 5, 13},      {26, 1, 5, 7, 1, 5, 13},
        {27, 2, 2, 6, 2, 5, 13}, {28, 2, 6, 5, 2, 6, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "class " << c.cls);
        fighters(c.cls, 0);
        BattleActor& f = fighter(0);
        const BattleActor& pose = g_btl_actor[static_cast<size_t>(f.companion)];
        uint16_t done = 0;
        auto call = [&](int state, int y = BTL_GROUND_Y) {
            f.state = static_cast<int16_t>(state);
            f.y = static_cast<int16_t>(y);
            btl_call_handler(0, &done);
        };
        call(8);
        EXPECT_EQ(f.frame, c.fall_last);
        EXPECT_EQ(pose.state, c.downed);
        call(9);
        EXPECT_EQ(f.frame, 0);
        EXPECT_EQ(pose.state, c.downed);
        call(3);
        EXPECT_EQ(pose.state, c.ground) << "a fixed pose on the ground";
        call(3, 100);
        EXPECT_EQ(pose.state, c.air) << "and in the air";
        call(7);
        EXPECT_EQ(f.loop_first, 2);
        EXPECT_EQ(f.loop_last, c.fall_last);
        f.stash_y = 0;
        call(0);
        call(0, f.y);
        EXPECT_EQ(pose.state, c.stand);
        EXPECT_EQ(f.y, c.stand_y);
        EXPECT_EQ(f.ground_y, c.cls == 23 ? 0 : BTL_GROUND_Y) << "class 23 keeps no ground line";
        done = 0;
        call(c.highest + 1);
        EXPECT_EQ(done, 1) << "a state past the class's moves ends at once";
        btl_free_scene();
    }
}

TEST_F(ClassMoveTest, HitCountsAndReactionOrdersOnBothSides) {
    // "state/recoil" of each reaction, in order. At the edge the opponent
    // stands at the end of the field, where no recoil moves it, and the
    // blades (whose reach box is mirrored for side 1) strike more often: the
    // reactions go on alternating, up to five.
    struct Case {
        int cls, move;
        std::vector<std::string> reactions;
        bool edge = false;
    };
    const Case cases[] = {
        {15, 12, {"2/2"}},                // one hit, whatever passes the opponent
        {15, 13, {"2/1", "1/1", "2/1"}},  // by the toggle
        {16, 13, {"1/1", "1/1"}},
        {17, 13, {"1/1", "2/1", "1/1"}},  // no position test, three at most
        {19, 15, {"1/0", "1/0", "1/2"}},  // the third wave pushes
        {20, 12, {"5/0", "5/0", "1/2"}},  // stagger, stagger, damage
        {20, 13, {"1/0", "2/2"}},         // strikes 1 and 4 of five
        {21, 13, {"1/1", "2/1", "1/1"}},  // the recoil carries it out of the rain
        {21, 13, {"1/1", "2/1", "1/1", "2/1", "1/1"}, true},
        {24, 12, {"2/2", "2/2"}},
        {25, 13, {"2/3", "1/2"}},
        {26, 13, {"1/1", "2/1", "1/1"}},
        {27, 12, {"1/2", "1/2"}},
        {28, 14, {"2/1", "2/1", "2/1"}},
    };
    for (const Case& c : cases)
        for (int side : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "class " << c.cls << " move " << c.move << " side " << side);
            fighters(c.cls, side);
            BattleActor& o = fighter(1 - side);
            if (c.edge) o.x = side == 0 ? 75 : 4;
            std::vector<std::string> seen;
            int last = 0;
            step_move(side, c.move, [&](int) {
                if (o.hit_count != last) seen.push_back(std::to_string(o.state) + "/" + std::to_string(o.recoil));
                last = o.hit_count;
            });
            if (c.edge) {
                EXPECT_GT(seen.size(), 2u);
                EXPECT_LE(seen.size(), c.reactions.size());
                seen.resize(std::min(seen.size(), c.reactions.size()));
                EXPECT_TRUE(std::equal(seen.begin(), seen.end(), c.reactions.begin()));
            } else {
                EXPECT_EQ(seen, c.reactions);
            }
            btl_free_scene();
        }
}

TEST_F(ClassMoveTest, EarthWaveShakesFromTheFirstThumpUntilItsWavesHavePassedAndPutsTheViewBack) {
    fighters(15, 0);
    g_view_offset.y = 7;
    int first_on = 0, last_on = 0;
    const int end = step_move(0, 12, [&](int frame) {
        if (g_shake_on && !first_on) first_on = frame;
        if (g_shake_on) last_on = frame;
    });
    EXPECT_EQ(first_on, 15) << "the first thump: timer 17";
    EXPECT_EQ(fighter(0).state, 0);
    EXPECT_GT(last_on, 23) << "on through the waves";
    EXPECT_EQ(last_on, end - 3) << "stopped in step 3, before the clean-up and the end";
    EXPECT_EQ(g_shake_on, 0);
    EXPECT_EQ(g_view_offset.y, 7);
}

TEST_F(ClassMoveTest, RecoveryRaisesADownedPartnerThenStandsItUpFull) {
    for (int cls : {16, 22}) {
        SCOPED_TRACE(::testing::Message() << "class " << cls);
        a = MapTest::stats(10, cls, 0, 150);
        d = MapTest::stats(11, 13, 0, 90);
        d.hp = 0;
        status = 100;
        begin(false);
        ASSERT_EQ(fighter(1).state, 8);
        step_move(0, 12);
        EXPECT_EQ(fighter(1).state, 9);
        EXPECT_EQ(status, -1);
        EXPECT_EQ(d.hp, 0);
        const std::vector<uint8_t> shown = box();
        btl_msg_waiting(0);
        EXPECT_EQ(box(), shown) << "the waiting message";
        btl_free_scene();

        begin(false);  // the next battle finds the partner in state 9
        ASSERT_EQ(fighter(1).state, 9);
        step_move(0, 12);
        EXPECT_EQ(fighter(1).state, 0);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(d.hp, 90);
        btl_free_scene();
    }
}

TEST_F(ClassMoveTest, BeatenOpponentTakesNoFurtherBlow) {
    // Class 17's pillars stop at once; class 25 skips its hop.
    for (int side : {0, 1}) {
        fighters(17, side, 1);
        const BattleActor& o = fighter(1 - side);
        bool fell = false, struck_again = false;
        step_move(side, 13, [&](int) {
            struck_again |= fell && (o.state == 1 || o.state == 2);
            fell |= o.state == 7;
        });
        EXPECT_TRUE(fell);
        EXPECT_FALSE(struck_again);
        btl_free_scene();

        for (int hp : {150, 1}) {
            fighters(25, side, hp);
            int top = BTL_GROUND_Y;
            step_move(side, 13, [&](int) { top = std::min<int>(top, fighter(side).y); });
            EXPECT_EQ(top, hp == 1 ? BTL_GROUND_Y : 192) << "side " << side << " hp " << hp;
            btl_free_scene();
        }
    }
}

TEST_F(ClassMoveTest, SpoutLeavesTheOpponentFacingTheMoverOnItsGroundLine) {
    for (int opp_class : {13, CLASS_FIRST_FORM})
        for (int side : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "opponent class " << opp_class << " side " << side);
            fighters(18, side, 150, opp_class);
            int lifted = 0;
            step_move(side, 13, [&](int) {
                lifted = std::max<int>(lifted, (opp_class == CLASS_FIRST_FORM ? 224 : 240) - fighter(1 - side).y);
            });
            // The first form's own stand puts it back on its line in the frame
            // the spout lifts it, so only the others are seen lifted.
            EXPECT_EQ(lifted, opp_class == CLASS_FIRST_FORM ? 0 : 24);
            EXPECT_EQ(fighter(1 - side).y, opp_class == CLASS_FIRST_FORM ? 224 : BTL_GROUND_Y);
            EXPECT_EQ(fighter(1 - side).flags, fighter(side).flags ^ 1);
            btl_free_scene();
        }
}

TEST_F(ClassMoveTest, PullAndThrowRisesToItsTopTurnsAndLandsFiveFramesLater) {
    // From the ground line: six rises of 32 to y 32. A class-46 opponent is
    // put back on its line (224) by its own reaction to the stagger, climbs
    // from there, turns at 32 and the move still ends.
    for (int opp_class : {13, CLASS_FIRST_FORM})
        for (int side : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << "opponent class " << opp_class << " side " << side);
            fighters(19, side, 150, opp_class);
            const BattleActor& o = fighter(1 - side);
            std::vector<int> ys;
            int top_frame = 0, land_frame = 0, top = 999;
            const int end = step_move(side, 13, [&](int frame) {
                if (fighter(side).step < 2 || fighter(side).step > 4 || land_frame) return;
                ys.push_back(o.y);
                if (o.y < top) top = o.y, top_frame = frame;
                if (o.y == BTL_GROUND_Y && top_frame) land_frame = frame;
            });
            ASSERT_LT(end, BTL_MOVE_FRAME_LIMIT);
            EXPECT_EQ(top, 32);
            if (opp_class == 13) {
                EXPECT_EQ(land_frame - top_frame, 5);
                const auto first = std::find(ys.begin(), ys.end(), 192);
                ASSERT_GE(ys.end() - first, 6);
                EXPECT_EQ(std::vector<int>(first, first + 6), (std::vector<int>{192, 160, 128, 96, 64, 32}));
            }
            EXPECT_EQ(o.flags & 2, 0) << "upright again";
            btl_free_scene();
        }
}

TEST_F(ClassMoveTest, ShockWavesEndThreeFramesAfterTheLastLeavesTheField) {
    for (int side : {0, 1}) {
        fighters(19, side);
        int gone = 0;
        const int end = step_move(side, 15, [&](int frame) {
            if (!gone && fighter(side).stash_y == 4 && fighter(side).step == 3) gone = frame;
        });
        // The pause after the waves counts on from the timer of their
        // coming out, already past 3: one frame of it, the clean-up and the
        // end follow the frame the last wave leaves in.
        EXPECT_EQ(end - gone, 3) << "side " << side;
    }
}

TEST_F(ClassMoveTest, SwoopDescendsToTheGroundLineAndMeetsTheOpponentTwoFramesLater) {
    for (int side : {0, 1}) {
        fighters(20, side);
        const BattleActor& me = fighter(side);
        std::vector<int> ys, gaps;
        int met = 0;
        step_move(side, 12, [&](int) {
            if (me.step == 2 || (me.step == 3 && !met)) {
                const BattleActor& e = g_btl_actor[static_cast<size_t>(btl_effect_index(me.first_effect, 0))];
                ys.push_back(e.y);
                gaps.push_back(std::abs(e.x - fighter(1 - side).x));
                if (me.step == 3) met = static_cast<int>(ys.size());
            }
        });
        // From the frame after the spirit appears.
        ys.erase(ys.begin());
        gaps.erase(gaps.begin());
        --met;
        ASSERT_GE(ys.size(), 10u) << "side " << side;
        EXPECT_EQ(std::vector<int>(ys.begin(), ys.begin() + 10),
                  (std::vector<int>{32, 64, 96, 128, 160, 192, 224, 240, 224, 208}));
        EXPECT_EQ(gaps[7], 8) << "on the ground line 8 columns before the opponent";
        EXPECT_EQ(met, 10) << "the stagger two frames later";
    }
}

TEST_F(ClassMoveTest, RedFlashLastsOneFrameAndTheSceneColoursComeBack) {
    for (int side : {0, 1}) {
        fighters(23, side, 150, 13, true);
        for (auto& c : g_btl_palette.colour) c[0] = c[1] = c[2] = 3;
        gfx_set_palette16(&g_btl_palette);
        auto red = [] { return gfx_dib_colours(g_back_dib)[4 * 5 + 2] == 255; };
        int flashes = 0, hits = 0, last = 0;
        bool twice = false, before = false;
        step_move(side, 13, [&](int) {
            const bool now = red();
            flashes += now;
            twice |= now && before;
            before = now;
            if (fighter(1 - side).hit_count != last) ++hits;
            last = fighter(1 - side).hit_count;
        });
        EXPECT_EQ(flashes, 3) << "side " << side;
        EXPECT_EQ(hits, 3);
        EXPECT_FALSE(twice);
        EXPECT_FALSE(red()) << "the battle colours after the move";
        EXPECT_EQ(gfx_dib_colours(g_back_dib)[4 * 5 + 1], 3 * 17) << "green kept in the flash's colours too";
        btl_free_scene();
    }
}

TEST_F(ClassMoveTest, ThrowDropsTheOpponentAtTwoHundredEightAndTheRecoilCarriesItToTheEdge) {
    for (int side : {0, 1}) {
        fighters(27, side);
        step_move(side, 13);
        EXPECT_EQ(fighter(1 - side).y, 208);
        EXPECT_EQ(fighter(1 - side).x, side == 0 ? 75 : 4);
        btl_free_scene();
    }
}

TEST_F(ClassMoveTest, DarkCountShowsNoDamageMessageButItsHitsStillHurt) {
    for (int move = 12; move <= 15; ++move) {
        fighters(28, 0);
        btl_msgbox_clear();
        const std::vector<uint8_t> empty = box();
        step_move(0, move);
        EXPECT_EQ(box(), empty) << "move " << move;
        EXPECT_LT(d.hp, 150);
        btl_free_scene();
    }
    // Any other class's move leaves its damage message there.
    fighters(27, 0);
    btl_msgbox_clear();
    const std::vector<uint8_t> empty = box();
    step_move(0, 12);
    EXPECT_NE(box(), empty);
}

TEST_F(ClassMoveTest, LeapingStrikeThatBeatsTheOpponentSkipsItsCleanUp) {
    fighters(19, 0, 1, 13, true);
    const int own = fighter(0).slot;
    step_move(0, 14);
    EXPECT_EQ(d.hp, 0);
    EXPECT_NE(fighter(0).slot, own) << "still drawn from the move sheet";
    EXPECT_EQ(fighter(0).state, 0);
    EXPECT_EQ(g_btl_hit_phase[0], 0);
    btl_free_scene();
    fighters(19, 0, 150, 13, true);
    step_move(0, 14);
    EXPECT_EQ(fighter(0).slot, own);
}

TEST_F(ClassMoveTest, SwarmWispsAndSwoopEndWhereTheirRulesSay) {
    for (int side : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "side " << side);
        // Class 24's swarm starts with its last shape outside the field and
        // ends once it is past the far edge.
        fighters(24, side);
        int last_x = 0;
        step_move(side, 13, [&](int) {
            const BattleActor& me = fighter(side);
            if (me.step == 2 || (me.step == 3 && !last_x))
                last_x = me.step == 3 ? g_btl_actor[static_cast<size_t>(btl_effect_index(me.first_effect, 4))].x : 0;
        });
        EXPECT_TRUE(side == 0 ? last_x > 85 : last_x < -5) << last_x;
        btl_free_scene();

        // Class 26's wisps rise 12 frames from timer 13, then count 11.
        fighters(26, side);
        int second = 0;
        step_move(side, 13, [&](int frame) {
            if (!second && fighter(side).step == 2) second = frame;
        });
        EXPECT_EQ(second, 12 + 12 + 10);
        btl_free_scene();

        // Class 20's spirit 10 columns from the opponent: the descent divides
        // by 1 and the spirit lands at once.
        fighters(20, side);
        fighter(1 - side).x = static_cast<int16_t>(fighter(side).x + (side == 0 ? 10 : -10));
        int landed = 0;
        const int end = step_move(side, 12, [&](int frame) {
            const BattleActor& me = fighter(side);
            const BattleActor& e = g_btl_actor[static_cast<size_t>(btl_effect_index(me.first_effect, 0))];
            if (!landed && me.step == 2 && e.timer == 1) landed = frame;
        });
        EXPECT_LT(end, BTL_MOVE_FRAME_LIMIT);
        EXPECT_EQ(landed, 10) << "the first frame of the descent";
        btl_free_scene();
    }
}

}  // namespace
