// Chapter 3 through the chapter hooks: the stage scenes and where the party
// starts, the turn-start events, the goal of stage 21, the bosses, the
// stage-21 vision with its effects, and the debug flag that skips scenes.
#include "story/chapter3.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "platform/draw.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "story/chapter_shared.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tests/chapter_fixture.h"

class Chapter3Test : public ChapterFixture {
protected:
    // In the unit's slots, or in the bag for a bag item.
    static bool holds(const UnitRecord* u, int item) {
        for (uint16_t i : u->items)
            if (i == item) return true;
        for (const BagEntry& e : g_bag)
            if (e.item_id == item && e.count > 0) return true;
        return false;
    }
};

// --- stage starts ----------------------------------------------------------------------

namespace {

struct StageStart {
    int stage;
    std::vector<int> messages;
    int music;
    std::vector<std::tuple<int, int, int>> party;
};

const StageStart STARTS[] = {
    {16, {}, -1, {{1, 19, 28}, {2, 20, 28}, {3, 18, 29}, {4, 20, 29}, {5, 18, 28}, {6, 19, 29}}},
    {17, {48, 49, 50}, 10, {{1, 22, 28}, {2, 23, 28}, {3, 21, 29}, {4, 23, 29}, {5, 21, 28}, {6, 22, 29}}},
    {18,
     {97, 98, 99, 100},
     -1,
     {{1, 20, 28}, {2, 21, 28}, {3, 19, 29}, {4, 21, 29}, {5, 19, 28}, {6, 20, 29}, {7, 20, 30}}},
    {19, {48, 49, 50}, -1, {{1, 37, 8}, {2, 37, 7}, {3, 38, 9}, {4, 38, 7}, {5, 38, 8}, {6, 37, 9}, {7, 39, 8}}},
    {20, {}, -1, {{1, 34, 15}, {2, 34, 14}, {3, 35, 16}, {4, 35, 14}, {5, 35, 15}, {6, 34, 16}, {7, 36, 15}}},
};

}  // namespace

TEST_F(Chapter3Test, EveryStageStartShowsItsSceneAndPlacesTheParty) {
    for (const StageStart& c : STARTS) {
        SCOPED_TRACE("stage " + std::to_string(c.stage));
        reset_stage();
        party_off_grid({0, 2, 4, 6, 8, 10, 12});
        g_stage_index = c.stage - 1;
        g_zoom = 2;
        keep_clicking();
        scn_stage_start();
        polling = false;
        EXPECT_EQ(g_chapter, 3u);
        EXPECT_EQ(messages(), c.messages);
        if (c.music >= 0) {
            EXPECT_TRUE(music_opened(c.music));
        }
        EXPECT_EQ(g_zoom, 2);
        EXPECT_EQ(g_opt_move_anim, 1);
        EXPECT_EQ(g_opt_side_marks, 1);
        for (const auto& [ch, x, y] : c.party) EXPECT_TRUE(at_cell(ch, x, y)) << "character " << ch;
        // Only the party stands on the grid: the walk-on units are gone.
        EXPECT_EQ(units_on_grid(), static_cast<int>(c.party.size()));
    }
    // The scene of stage 18 turned character 6 to class 13 with no weapon.
    reset_stage();
    party_off_grid({0, 2, 4, 6, 8, 10, 12});
    UnitRecord* sixth = unit_find_by_char_id(CHAR_AARON);
    sixth->stats.weapon = 5;
    sixth->equipped_slot = 1;
    g_stage_index = 17;
    keep_clicking();
    scn_stage_start();
    polling = false;
    EXPECT_EQ(sixth->stats.class_id, CLASS_WIZARD);
    EXPECT_EQ(sixth->stats.weapon, 0);
    EXPECT_EQ(sixth->equipped_slot, 0xFFFF);
}

TEST_F(Chapter3Test, StageStartSkipsAMissingCharacter) {
    // Only characters 1 and 3 are left.
    unit(1, 0, 0, 1, 0);
    unit(3, 4, 0, 3, 0);
    g_occupancy.cells[1] = g_occupancy.cells[3] = 0;
    g_stage_index = 17;
    keep_clicking();
    scn_stage_start();
    polling = false;
    EXPECT_TRUE(at_cell(1, 20, 28));
    EXPECT_TRUE(at_cell(3, 19, 29));
    EXPECT_EQ(units_on_grid(), 2);
}

// --- the vision of stage 21 ------------------------------------------------------------

TEST_F(Chapter3Test, StageTwentyOneVisionRunsWholeAndLeavesTheSecondMemberOfClassThree) {
    party_off_grid({0, 2, 4, 6, 8, 10, 12});
    g_stage_index = 20;
    g_zoom = 1;
    bool lightning_seen = false;
    start_polling([&] {
        lightning_seen |= g_lightning == 1;
        click_view(320, 200);
    });
    scn_stage_start();
    polling = false;
    std::vector<int> expected;
    for (int id = 97; id <= 111; ++id) expected.push_back(id);
    for (int id = 65; id <= 80; ++id) expected.push_back(id);
    EXPECT_EQ(messages(), expected);
    EXPECT_TRUE(lightning_seen);
    EXPECT_EQ(g_lightning, 0);
    EXPECT_EQ(g_span_origin_x, 0);
    EXPECT_EQ(g_span_origin_y, 0);
    EXPECT_EQ(unit_find_by_char_id(CHAR_SECOND_LEADER)->stats.class_id, CLASS_LORD);
    for (const auto& [ch, x, y] :
         {std::tuple{1, 19, 29}, {2, 20, 29}, {3, 19, 30}, {4, 21, 29}, {5, 18, 29}, {6, 20, 30}, {7, 18, 30}})
        EXPECT_TRUE(at_cell(ch, x, y)) << "character " << ch;
    EXPECT_EQ(units_on_grid(), 7);
    EXPECT_TRUE(music_opened(11));
    EXPECT_TRUE(music_opened(3));
}

TEST_F(Chapter3Test, DebugFlagSkipsTheDreamOfTheVisionButNotItsStills) {
    party_off_grid({0, 2, 4, 6, 8, 10, 12});
    g_debug_flags = 0x400;
    g_stage_index = 20;
    bool still_b = false;
    start_polling([&] {
        // The first frame of vis21b (navy) at the still's place.
        still_b |= *gfx_screen_pixel(g_back_dib, 320, 200) == 11;
        click_view(320, 200);
    });
    scn_stage_start();
    polling = false;
    std::vector<int> expected;
    for (int id = 67; id <= 80; ++id) expected.push_back(id);
    EXPECT_EQ(messages(), expected);
    EXPECT_TRUE(still_b);
    EXPECT_EQ(unit_find_by_char_id(CHAR_SECOND_LEADER)->stats.class_id, CLASS_LORD);
    EXPECT_TRUE(at_cell(1, 19, 29));
    EXPECT_EQ(units_on_grid(), 7);
}

TEST_F(Chapter3Test, TheVisionFadesVis21dInFromWhiteAndKeepsMessage70InTheDark) {
    party_off_grid({0, 2, 4, 6, 8, 10, 12});
    g_debug_flags = 0x400;
    g_stage_index = 20;
    // Colour c as shown (back image) and as the palette being faded to, at
    // the first poll that sees each step.
    struct Seen {
        bool seen = false;
        std::vector<uint8_t> shown, target;
    } frame_bl, message70;
    const auto note = [](Seen& s, int c) {
        if (s.seen) return;
        s.seen = true;
        const uint8_t* e = gfx_dib_colours(g_back_dib) + 4 * c;
        s.shown.assign(e, e + 3);
        for (int k = 0; k < 3; ++k) s.target.push_back(static_cast<uint8_t>(g_default_palette.colour[c][k] * 17));
    };
    start_polling([&] {
        int last = 0;
        const auto& log = sys_log_lines();
        for (auto l = log.rbegin(); l != log.rend() && last == 0; ++l)
            if (l->rfind("message ", 0) == 0) last = std::stoi(l->substr(8));
        // vis21d in the shadow image and its frame BL (orange) on the screen.
        if (last == 67 && *gfx_screen_pixel(g_shadow_dib, 10, 210) == 9 && *gfx_screen_pixel(g_back_dib, 170, 110) == 9)
            note(frame_bl, 9);
        if (last == 70) note(message70, 15);
        click_view(320, 200);
    });
    scn_stage_start();
    polling = false;
    ASSERT_TRUE(frame_bl.seen);
    ASSERT_TRUE(message70.seen);
    // Both are still fading in when first seen: white toward vis21d's
    // colours, black toward the text's.
    EXPECT_NE(frame_bl.shown, frame_bl.target);
    EXPECT_GT(frame_bl.shown[0], frame_bl.target[0]);  // orange has no blue; white has
    EXPECT_NE(message70.shown, message70.target);
}

TEST_F(Chapter3Test, FillEllipseDrawsColourFourteenWithinItsRadii) {
    gfx_clear_screen();
    gfx_set_span_origin(0, 0);
    scn_ch3_fx_fill_ellipse(200, 200, 30, 10);
    // gfx_fill_span puts line y one line above the other primitives' line y.
    const auto px = [](int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y - 1); };
    EXPECT_EQ(px(200, 200), 14);
    EXPECT_EQ(px(170, 200), 14);
    EXPECT_EQ(px(230, 200), 14);
    EXPECT_EQ(px(231, 200), 0);
    EXPECT_EQ(px(169, 200), 0);
    EXPECT_EQ(px(200, 191), 14);
    EXPECT_EQ(px(200, 209), 14);
    EXPECT_EQ(px(200, 189), 0);
    EXPECT_EQ(px(200, 211), 0);
    // Narrower towards the top.
    EXPECT_EQ(px(228, 191), 0);
    // Radii below 1 draw nothing.
    gfx_clear_screen();
    scn_ch3_fx_fill_ellipse(200, 200, 0, 10);
    scn_ch3_fx_fill_ellipse(200, 200, 10, 0);
    for (int y = 180; y < 220; ++y)
        for (int x = 180; x < 220; ++x) ASSERT_EQ(*gfx_screen_pixel(g_back_dib, x, y), 0);
}

TEST_F(Chapter3Test, FlashCircleFillsWhiteWithAFlatLowerHalf) {
    gfx_clear_screen();
    gfx_set_span_origin(0, 0);
    keep_clicking();
    scn_ch3_fx_flash_circle(318, 244);
    polling = false;
    const auto px = [](int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y - 1); };
    // The largest radius is 200: 200 up, 100 down.
    EXPECT_EQ(px(318, 244), 15);
    EXPECT_EQ(px(318, 244 - 190), 15);
    EXPECT_EQ(px(318, 244 + 95), 15);
    EXPECT_EQ(px(318, 244 + 110), 0);
    EXPECT_EQ(px(318 + 195, 244), 15);
    EXPECT_EQ(px(318 + 205, 244), 0);
}

// --- turn starts and the goal -----------------------------------------------------------

TEST_F(Chapter3Test, FirstTurnEventsAndHiddenEnemiesWake) {
    keep_clicking();
    const std::pair<int, std::vector<int>> cases[] = {{16, {48, 49, 50}}, {17, {51}},     {18, {48, 49}},
                                                      {19, {}},           {20, {48, 49}}, {21, {48}}};
    for (const auto& [stage, ids] : cases) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        reset_stage();
        play_on(stage - 1);
        UnitRecord* hidden = unit(10, 35, AI_MODE_DORMANT, 5, 5);
        UnitRecord* sage = unit(CHAR_SUMMONER_PARTNER, 35, AI_MODE_DORMANT, 7, 5);
        g_occupancy.cells[5 * MAP_SIDE + 5] = g_occupancy.cells[5 * MAP_SIDE + 7] = 0;
        g_turn = 0;
        scn_turn_start();
        EXPECT_EQ(messages(), ids);
        const bool wakes = stage == 18 || stage == 20;
        EXPECT_EQ(hidden->stats.ai_mode, wakes ? AI_MODE_BOSS : AI_MODE_DORMANT);
        EXPECT_EQ(sage->stats.ai_mode, wakes ? AI_MODE_ADVANCE : AI_MODE_DORMANT);
        EXPECT_EQ((g_occupancy.cells[5 * MAP_SIDE + 5] & OCC_UNIT_MASK) == hidden->number, wakes);
        // Later turns say nothing.
        sys_log_clear();
        g_turn = 1;
        scn_turn_start();
        EXPECT_TRUE(messages().empty());
    }
}

TEST_F(Chapter3Test, StageTwentyOneEndsOnlyOnItsGoalCell) {
    play_on(20);
    UnitRecord* a = unit(3, 4, 0, 19, 4);
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(a, 19, 5), 0);
    EXPECT_EQ(g_stage_end, 0);
    g_occupancy.cells[4 * MAP_SIDE + 19] = 0;
    a->y = 3;
    EXPECT_EQ(scn_unit_moved(a, 19, 4), 1);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), std::vector<int>{49});
    // The same cell is no goal on another stage of the chapter.
    reset_stage();
    play_on(19);
    UnitRecord* b = unit(1, 0, 0, 19, 3);
    EXPECT_EQ(scn_unit_moved(b, 19, 4), 0);
    EXPECT_EQ(g_stage_end, 0);
    EXPECT_EQ(scn_unit_moved(nullptr, 0, 0), 0);
}

// --- bosses ---------------------------------------------------------------------------------

TEST_F(Chapter3Test, BossContacts) {
    keep_clicking();
    play_on(16);  // stage 17
    UnitRecord* lead = unit(1, 0, 0, 5, 5);
    UnitRecord* boss = unit(10, 35, AI_MODE_BOSS_UNMET, 6, 5);
    EXPECT_EQ(scn_before_battle(lead, boss), 0);
    EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS);
    EXPECT_EQ(messages(), std::vector<int>{52});
    EXPECT_TRUE(music_opened(12));
    // A second contact shows nothing more.
    EXPECT_EQ(scn_before_battle(lead, boss), 0);
    EXPECT_EQ(messages(), std::vector<int>{52});

    // Stage 19: the knight is taken away and the stage ends with no fight.
    reset_stage();
    play_on(18);
    lead = unit(1, 0, 0, 5, 5);
    boss = unit(10, 50, AI_MODE_BOSS_UNMET, 6, 5);
    EXPECT_EQ(scn_before_battle(lead, boss), 1);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), (std::vector<int>{51, 52}));
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 6] & OCC_UNIT_MASK, 0);
    EXPECT_FALSE(music_opened(12));

    // An ordinary enemy starts no boss music.
    reset_stage();
    play_on(15);
    lead = unit(1, 0, 0, 5, 5);
    UnitRecord* grunt = unit(10, 35, AI_MODE_ADVANCE, 6, 5);
    EXPECT_EQ(scn_before_battle(lead, grunt), 0);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(music_opened(12));
}

TEST_F(Chapter3Test, BossesFall) {
    keep_clicking();
    // Stage 16: a body at the boss's cell and two messages.
    play_on(15);
    UnitRecord* lead = unit(1, 0, 0, 5, 5);
    UnitRecord* boss = unit(10, 35, AI_MODE_BOSS, 6, 5);
    beat_boss(lead, boss);
    EXPECT_EQ(messages(), (std::vector<int>{51, 52}));
    const UnitRecord* body = unit_at_cell(6, 5);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->stats.class_id, 57);
    EXPECT_TRUE(music_opened(g_stage_music[15]));

    // Stage 17: the stage just ends.
    reset_stage();
    play_on(16);
    lead = unit(1, 0, 0, 5, 5);
    boss = unit(10, 35, AI_MODE_BOSS, 6, 5);
    boss->stats.hp = 0;
    scn_after_battle(lead, boss);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_TRUE(messages().empty());

    // Stage 18: the aftermath.
    reset_stage();
    play_on(17);
    lead = unit(1, 0, 0, 5, 5);
    boss = unit(10, 35, AI_MODE_BOSS, 6, 5);
    UnitRecord* grunt = unit(10, 35, AI_MODE_ADVANCE, 9, 9);
    boss->stats.hp = 0;
    scn_after_battle(lead, boss);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(grunt->number, 0);
    EXPECT_EQ(messages(), std::vector<int>{50});

    // Stage 19 has no boss to fall.
    reset_stage();
    play_on(18);
    lead = unit(1, 0, 0, 5, 5);
    boss = unit(10, 35, AI_MODE_BOSS, 6, 5);
    boss->stats.hp = 0;
    scn_after_battle(lead, boss);
    EXPECT_EQ(g_stage_end, 0);
}

TEST_F(Chapter3Test, StageTwentyBossGivesItsItemAlsoWhenTheDebugFlagSkipsTheMessages) {
    keep_clicking();
    for (uint32_t flags : {0u, 0x400u}) {
        SCOPED_TRACE(flags);
        reset_stage();
        g_bag = {};
        g_debug_flags = flags;
        play_on(19);
        UnitRecord* lead = unit(1, 0, 0, 5, 5);
        UnitRecord* boss = unit(10, 35, AI_MODE_BOSS, 6, 5);
        UnitRecord* grunt = unit(10, 35, AI_MODE_ADVANCE, 9, 9);
        boss->stats.hp = 0;
        scn_after_battle(lead, boss);
        EXPECT_EQ(g_stage_end, 1);
        EXPECT_EQ(grunt->number, 0);
        EXPECT_TRUE(holds(lead, 58));
        EXPECT_EQ(messages(), (flags ? std::vector<int>{} : std::vector<int>{50, 51}));
    }
}

TEST_F(Chapter3Test, VisionPicturesTooSmallAreRefusedAndTheirStepsSkipped) {
    // The kit's pictures, with a 320 x 200 still where the two-frame picture
    // of 400 rows is read and that 320-wide picture where a sheet is read.
    TempDir pictures;
    namespace fs = std::filesystem;
    for (const auto& f : fs::directory_iterator(fs::path(ROWEN_KIT_DIR) / "bmp"))
        fs::copy(f.path(), pictures.path / f.path().filename());
    fs::copy_file(pictures.path / "vis21c.BMP", pictures.path / "vis21d.BMP", fs::copy_options::overwrite_existing);
    fs::copy_file(pictures.path / "vis03.BMP", pictures.path / "vis21c.BMP", fs::copy_options::overwrite_existing);
    std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\", pictures.str().c_str());
    party_off_grid({0, 2, 4, 6, 8, 10, 12});
    g_debug_flags = 0x400;
    g_stage_index = 20;
    keep_clicking();
    scn_stage_start();
    polling = false;
    int refused = 0;
    for (const auto& l : sys_log_lines()) refused += l == "msgbox |Memory Error";
    EXPECT_EQ(refused, 2);
    EXPECT_EQ(sys_quit_posted(), 0);
    // The rest of the vision still runs.
    std::vector<int> expected;
    for (int id = 67; id <= 80; ++id) expected.push_back(id);
    EXPECT_EQ(messages(), expected);
    EXPECT_TRUE(at_cell(2, 20, 29));
}
