// The scripts of classes 29 to 48: each monster move's strikes and reaction
// states, moves that stop once the opponent is beaten, the last enemy's
// three forms (the body and its parts, the dome, the transformation, the
// reveal mask and the last form's defeat) and the mended divisions.
#include <filesystem>

#include "battle/classes/classes_29_48.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "tests/picture.h"
#include "tests/scene_fixture.h"

namespace {

class LastFormsTest : public SceneTest {
protected:
    struct Strikes {
        std::vector<int> reactions;  // the state of each reaction, in order
        int damaging = 0;            // reactions that lowered the HP
    };

    // Runs the move of the fighter on `side` (class cls) against a wizard
    // of `opp_hp` HP and records what the wizard takes.
    Strikes strikes(int cls, int move, int side = 1, int opp_hp = 150) {
        a = MapTest::stats(10, 13, 0, 150);
        d = MapTest::stats(11, cls, 3, 150);
        if (side == 0) std::swap(a, d);
        UnitStats& opp = side == 0 ? d : a;
        opp.hp = static_cast<int16_t>(opp_hp);
        util_random_reset();
        begin(false, side);
        Strikes out;
        const int struck = 1 - side;
        int last_phase = 0, last_hp = opp.hp;
        poll_period = 4;
        start_polling([&] {
            const int phase = g_btl_hit_phase[struck];
            if (phase == 2 && last_phase != 2) out.reactions.push_back(g_btl_actor[static_cast<size_t>(struck)].state);
            if (opp.hp < last_hp) ++out.damaging;
            last_phase = phase;
            last_hp = opp.hp;
        });
        run_move(side, move);
        polling = false;
        return out;
    }

    static BattleActor& fighter(int s) { return g_btl_actor[static_cast<size_t>(s)]; }
    static BattleActor& part(int i) { return btl_actor(btl_effect_index(fighter(1).first_effect, i)); }
};

// --- the monsters ---------------------------------------------------------------------

TEST_F(LastFormsTest, EachMoveStrikesWithItsReactionsInOrder) {
    struct Case {
        int cls, move;
        std::vector<int> reactions;
        int damaging;
    };
    // clang-format off
    const Case cases[] = {
        {29, 12, {2}, 1},         {29, 13, {1}, 1},       {30, 12, {2}, 1},
        {30, 13, {1}, 1},         {31, 12, {2}, 1},       {31, 13, {5, 6, 5, 6, 5, 6, 2}, 1},
        {32, 12, {1}, 1},         {32, 13, {1, 2}, 2},    {33, 12, {1}, 1},
        {33, 13, {1}, 1},         {34, 12, {1}, 1},       {34, 13, {1}, 1},
        {35, 12, {1}, 1},         {35, 13, {2}, 1},       {36, 12, {1}, 1},
        {36, 13, {6, 5, 6}, 1},   {37, 12, {1}, 1},       {37, 13, {1, 2, 1}, 3},
        {38, 12, {5, 5, 5}, 1},   {38, 13, {2, 2, 2}, 3}, {39, 12, {1}, 1},
        {39, 13, {1}, 1},         {40, 12, {1}, 1},       {40, 13, {2}, 1},
        {41, 12, {1, 2}, 2},      {41, 13, {5, 5}, 1},    {42, 12, {1}, 1},
        {42, 13, {1}, 1},         {43, 12, {6, 5, 6, 5, 6, 1}, 1},
        {43, 13, {5, 6, 1}, 3},   {44, 12, {1, 2}, 2},    {44, 13, {2}, 1},
        {45, 12, {1}, 1},         {45, 13, {5, 5, 1}, 1}, {46, 12, {2}, 1},
        {46, 13, {2, 2}, 2},      {46, 14, {2, 2, 2, 2}, 4},
        {47, 12, {}, 0},          {48, 12, {5, 2}, 2},    {48, 13, {2, 2, 2}, 3},
    };
    // clang-format on
    for (const Case& c : cases) {
        const Strikes s = strikes(c.cls, c.move);
        EXPECT_EQ(s.reactions, c.reactions) << "class " << c.cls << " move " << c.move;
        EXPECT_EQ(s.damaging, c.damaging) << "class " << c.cls << " move " << c.move;
        btl_free_scene();
    }
}

TEST_F(LastFormsTest, MovesStopStrikingABeatenOpponent) {
    // The first strike beats an opponent of 1 HP: no second strike follows,
    // and the minotaur's charge ends past the far edge instead of coming back.
    for (const auto& [cls, move] : {std::pair{32, 13}, {44, 12}, {37, 13}, {41, 12}}) {
        for (int side : {0, 1}) {
            const Strikes s = strikes(cls, move, side, 1);
            EXPECT_EQ(s.reactions.size(), 1u) << "class " << cls << " move " << move << " side " << side;
            EXPECT_EQ(g_btl_combatant[1 - side]->hp, 0);
            if (cls == 41) {
                EXPECT_TRUE(side == 0 ? fighter(0).x > 85 : fighter(1).x < -5);
            }
            btl_free_scene();
        }
    }
}

TEST_F(LastFormsTest, TossedOpponentLandsUprightAndTheHeadlessBodyStaysInItsMove) {
    // The horn toss lands a survivor the right way up after its bounce; the
    // head of the dullahan leaves its body hovering in state 13, reporting done.
    for (int hp : {150, 1}) {
        strikes(41, 13, 1, hp);
        EXPECT_EQ(fighter(0).flags & 2, 0) << "hp " << hp;
        btl_free_scene();
    }
    strikes(39, 13);
    EXPECT_EQ(fighter(1).state, 13);
    uint16_t done = 0;
    const int next = g_btl_next_actor;
    cls39_handler(1, &done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(g_btl_next_actor, next);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
}

TEST_F(LastFormsTest, MovesEndWhereTheirEntriesLeaveTheMover) {
    for (int side : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "side " << side);
        const int start_flags = side == 0 ? 1 : 0;
        // The running thrust and the leaping slash stay beyond the far edge,
        // the slash at y 208.
        for (int cls : {37, 45}) {
            strikes(cls, 12, side);
            EXPECT_TRUE(side == 0 ? fighter(side).x > 85 : fighter(side).x < -5) << "class " << cls;
            EXPECT_EQ(fighter(side).y, cls == 45 ? 208 : BTL_GROUND_Y) << "class " << cls;
            btl_free_scene();
        }
        // The minotaur runs out, turns, comes back 2 a column until it is
        // past column 35 (side 0) or at 46 (side 1), and faces the opponent again.
        strikes(41, 12, side);
        EXPECT_TRUE(side == 0 ? fighter(0).x == 33 || fighter(0).x == 34 : fighter(1).x == 46 || fighter(1).x == 47)
            << fighter(side).x;
        EXPECT_EQ(fighter(side).flags, start_flags);
        btl_free_scene();
        // The coffin rocks to and fro and its last rock brings the mummy
        // one column on, onto the coffin's column as it throws the opponent out.
        strikes(40, 13, side);
        const int coffin = btl_effect_index(fighter(side).first_effect, 0);
        EXPECT_EQ(fighter(side).x, side == 0 ? 21 : 61);
        EXPECT_EQ(btl_actor(coffin).x, fighter(side).x);
        btl_free_scene();
    }
}

TEST_F(LastFormsTest, SlopeStepAndTheGriffonsDivisionsAndDistances) {
    struct Case {
        int x1, y1, x2, y2, step;
    };
    const Case cases[] = {{20, 160, 60, 240, 4},
                          {60, 240, 20, 160, 4},
                          {20, 160, 21, 240, 0},
                          {20, 240, 60, 240, 0},
                          {20, 100, 23, 240, 140}};
    for (const Case& c : cases) EXPECT_EQ(cls45_slope_step(c.x1, c.y1, c.x2, c.y2), c.step);

    // The glide starting over the opponent (a distance of 0), and the stones
    // flown in from an odd distance (the first form's column), both end.
    for (const auto& [move, opp_x] : {std::pair{12, 60}, {13, 59}}) {
        a = MapTest::stats(10, 38, 0, 150);
        d = MapTest::stats(11, 13, 3, 150);
        begin(false, 0);
        fighter(1).x = static_cast<int16_t>(opp_x);
        fighter(0).x = static_cast<int16_t>(move == 12 ? opp_x : 20);
        EXPECT_LT(run_move(0, move), 300) << "move " << move;
        btl_free_scene();
    }
}

// --- the first form ----------------------------------------------------------------------

TEST_F(LastFormsTest, FirstFormStandsWithItsPartsMadeOnceAndNeverRecoils) {
    a = MapTest::stats(10, 13, 0, 150);
    d = MapTest::stats(11, CLASS_FIRST_FORM, 3, 150);
    begin(false, 0);
    const int next = g_btl_next_actor;
    uint16_t done = 0;
    for (int i = 0; i < 3; ++i) cls46_handler(1, &done);
    EXPECT_EQ(g_btl_next_actor, next) << "the parts are made once";
    EXPECT_EQ(fighter(1).down_flag, 99);
    auto in_place = [&](const char* when) {
        EXPECT_EQ(fighter(1).x, 59) << when;
        EXPECT_EQ(fighter(1).y, 224) << when;
        EXPECT_EQ(fighter(1).frame, 0) << when;
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(part(i).x, 58) << when;
            EXPECT_EQ(part(i).y, 224) << when;
            EXPECT_EQ(part(i).slot, fighter(1).slot) << when;
        }
        EXPECT_EQ(part(2).y, 0) << when;
    };
    in_place("at the entry");
    // The wizard's volley strikes three times; the body does not move.
    run_move(0, 12);
    EXPECT_EQ(fighter(1).hit_count, 3);
    EXPECT_EQ(fighter(1).x, 59);
    for (int move : {12, 13, 14}) {
        btl_scene_enter(1);
        run_move(1, move);
        in_place(move == 12 ? "after move 12" : move == 13 ? "after move 13" : "after move 14");
        EXPECT_EQ(g_btl_next_actor, next);
    }
}

TEST_F(LastFormsTest, FirstFormsDefeatDrawsAClippedDomeAndTurnsWhite) {
    a = MapTest::stats(10, 13, 0, 150);
    d = MapTest::stats(11, CLASS_FIRST_FORM, 3, 1);
    for (uint8_t* dib : {g_back_dib, g_background_dib}) std::memset(gfx_dib_pixels(dib), 4, SCREEN_IMAGE_SIZE);
    const int16_t terrain[2] = {1, 1};
    btl_plain_battle(terrain, 0, 0, &a, &d);
    EXPECT_EQ(d.hp, 0);
    EXPECT_EQ(fighter(1).ground_y, -1) << "the defeat ran to its end";
    EXPECT_EQ(g_btl_hit_phase[1], 0);
    // The dome's centre (span row 224, one line above), its edge rows clipped.
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 320, 223), 15);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 320, 0), 15);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 1, 223), 4) << "outside the widest dome";
    const uint8_t* colours = gfx_dib_colours(g_back_dib);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(std::memcmp(colours + 4 * i, colours, 3), 0) << "colour " << i;
}

// --- the transformation --------------------------------------------------------------------

TEST_F(LastFormsTest, TransformationDealsNoDamageAndEndsWhenEveryParticleHasRisen) {
    a = MapTest::stats(10, 13, 0, 80);
    d = MapTest::stats(11, CLASS_RISING_FORM, 3, 120);
    a.hp = 50;
    const int16_t terrain[2] = {1, 1};
    btl_plain_battle(terrain, 1, 1, &a, &d);
    EXPECT_EQ(a.hp, 50);
    EXPECT_EQ(d.hp, 120);
    EXPECT_EQ(g_btl_move[1], BTL_NO_MOVE) << "no counter";
    EXPECT_EQ(g_btl_damage_total, 0);
    EXPECT_EQ(fighter(1).state, 12) << "it stays in its move";
    EXPECT_EQ(fighter(1).frame, 31);
    EXPECT_GE(fighter(1).down_flag, 20);
    for (int i = 0; i < 20; ++i) {
        const BattleActor& p = btl_actor(btl_effect_index(fighter(1).first_effect, 2 + i));
        EXPECT_EQ(p.down_flag, 1) << "particle " << i;
    }
    for (const auto& l : sys_log_lines()) EXPECT_EQ(l.find("의 공격"), std::string::npos) << l;
}

// --- the last form ----------------------------------------------------------------------

TEST_F(LastFormsTest, RevealMaskLoadsOnlyFromAPicture128WideWithSixteenRows) {
    TempDir dir;
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s/", dir.str().c_str());
    struct Case {
        int w, h;
        bool loaded;
    };
    const Case cases[] = {{128, 16, true}, {128, 40, true}, {128, 15, false}, {127, 16, false}, {256, 16, false}};
    for (const Case& c : cases) {
        for (auto& tile : g_cls48_mask_tiles)
            for (auto& row : tile) row.fill(0xEE);
        // Pattern i holds i + 1 in its first stored row, 0x20 + i below it.
        write_bmp(dir.path / "LMASK.BMP", make_picture(c.w, c.h, 0, [&](int x, int line) {
                      const int stored = c.h - 1 - line;
                      return static_cast<uint8_t>((stored == 0 ? 1 : 0x20) + (x / 16) % 8);
                  }));
        const size_t errors = memory_errors();
        cls48_load_mask("F:LMASK.GEM");
        EXPECT_EQ(memory_errors() - errors, c.loaded ? 0u : 1u) << c.w << " x " << c.h;
        for (int i = 0; i < CLS48_MASKS; ++i) {
            const auto& tile = g_cls48_mask_tiles[static_cast<size_t>(i)];
            EXPECT_EQ(tile[0][5], c.loaded ? 1 + i : 0xEE) << c.w << " x " << c.h << " pattern " << i;
            EXPECT_EQ(tile[15][15], c.loaded ? 0x20 + i : 0xEE);
        }
    }
    // A missing mask keeps the patterns.
    std::filesystem::remove(dir.path / "LMASK.BMP");
    const size_t errors = memory_errors();
    cls48_load_mask("F:LMASK.GEM");
    EXPECT_EQ(memory_errors() - errors, 1u);
    EXPECT_EQ(g_cls48_mask_tiles[0][0][5], 0xEE);
}

TEST_F(LastFormsTest, MaskWipeRevealsTheFieldBandsFromTheBottomAndNothingElse) {
    // Pattern 7 shows the new picture everywhere; patterns 0..6 only at
    // their own column of the first row.
    for (int i = 0; i < CLS48_MASKS; ++i)
        for (auto& row : g_cls48_mask_tiles[static_cast<size_t>(i)]) row.fill(i == 7 ? 1 : 0);
    for (int i = 0; i < 7; ++i) g_cls48_mask_tiles[static_cast<size_t>(i)][0][static_cast<size_t>(i)] = 1;
    std::memset(gfx_dib_pixels(g_shadow_dib), 3, SCREEN_IMAGE_SIZE);
    std::memset(gfx_dib_pixels(g_background_dib), 9, SCREEN_IMAGE_SIZE);
    std::memset(gfx_dib_pixels(g_back_dib), 1, SCREEN_IMAGE_SIZE);
    cls48_mask_wipe();
    // Span row y is buffer row 416 - y: screen line y - 1.
    auto at = [](int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y - 1); };
    EXPECT_EQ(at(100, 31), 1) << "above the field";
    EXPECT_EQ(at(100, 256), 1) << "below the field";
    for (int band = 7; band <= 15; ++band) EXPECT_EQ(at(100, band * 16 + 5), 9) << "band " << band;
    for (int band = 2; band <= 6; ++band) {
        EXPECT_EQ(at(100, band * 16 + 5), 3) << "band " << band;
        EXPECT_EQ(at(16 + band, band * 16), 9) << "band " << band << " through its own pattern";
        EXPECT_EQ(at(16 + band + 1, band * 16), 3);
    }
}

TEST_F(LastFormsTest, LastFormsDefeatWaitsForTheEngineThenRevealsWithoutABackdrop) {
    // Beaten in its reaction, it stays in the first steps of its defeat and
    // idle until the engine marks it beaten.
    a = MapTest::stats(10, 13, 0, 150);
    d = MapTest::stats(11, CLASS_LAST_FORM, 3, 150);
    begin(false, 0);
    BattleActor& f = fighter(1);
    f.state = 7;
    uint16_t done = 0;
    for (int i = 0; i < 30; ++i) cls48_handler(1, &done);
    EXPECT_EQ(f.w21, 1);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
    f.down_flag = 1;
    g_btl_hit_phase[0] = 1;
    for (int i = 0; i < 9; ++i) cls48_handler(1, &done);
    EXPECT_EQ(f.w21, 2) << "the mask is loaded";
    EXPECT_EQ(g_btl_hit_phase[1], 1);
    cls48_handler(1, &done);
    EXPECT_EQ(f.w21, 2) << "it waits for the opponent to be idle";
    g_btl_hit_phase[0] = 0;
    cls48_handler(1, &done);
    EXPECT_EQ(f.w21, 3);
    EXPECT_EQ(f.frame, 4);
    cls48_handler(1, &done);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
    EXPECT_EQ(f.ground_y, -1);
    btl_free_scene();

    // Beaten in a plain battle: the defeat draws the scene again with no grid
    // and no sprites, so the field keeps the map picture.
    d.hp = 1;
    std::memset(gfx_dib_pixels(g_background_dib), 7, SCREEN_IMAGE_SIZE);
    keep_clicking();
    const int16_t terrain[2] = {1, 1};
    btl_plain_battle(terrain, 0, 0, &a, &d);
    polling = false;
    EXPECT_EQ(d.hp, 0);
    EXPECT_EQ(f.w21, 3);
    EXPECT_EQ(f.ground_y, -1);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
    EXPECT_FALSE(g_btl_bmap_grid);
    for (int y : {40, 120, 250}) EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 320, y), 7) << "line " << y;
}

}  // namespace
