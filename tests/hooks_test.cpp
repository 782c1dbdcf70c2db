// Chapter hooks: the chapter of a stage, the tick routines, the shops and
// the steps the chapter modules share.
#include "story/hooks.h"

#include <algorithm>

#include "platform/input.h"
#include "platform/palette.h"
#include "story/chapter_shared.h"
#include "tests/item_fixture.h"
#include "tests/loop_fixture.h"

namespace {

bool colours_white() {
    const uint8_t* c = gfx_dib_colours(g_back_dib);
    for (int i = 0; i < 16; ++i)
        if (c[i * 4] != 255 || c[i * 4 + 1] != 255 || c[i * 4 + 2] != 255) return false;
    return true;
}

// The ticks (0..n-1) on which the chapter's tick flashed the screen white.
std::vector<int> flashes(uint32_t chapter, int n) {
    const Palette16 grey = [] {
        Palette16 p{};
        for (auto& c : p.colour) c[0] = c[1] = c[2] = 8;
        return p;
    }();
    std::vector<int> out;
    g_chapter = chapter;
    for (int i = 0; i < n; ++i) {
        gfx_set_palette16(&grey);
        scn_tick();
        if (colours_white()) out.push_back(i);
    }
    return out;
}

}  // namespace

using HooksTest = LoopTest;

TEST(HooksChapter, StageIndexToChapter) {
    const std::pair<int, int> cases[] = {{-1, 1}, {0, 1},  {1, 2},  {14, 2}, {15, 3},
                                         {20, 3}, {21, 4}, {32, 4}, {33, 5}, {39, 5}};
    for (auto [stage, chapter] : cases) EXPECT_EQ(scn_chapter_of_stage(stage), chapter) << "stage " << stage;
}

TEST_F(HooksTest, StageStartSetsChapterAndModule) {
    for (int stage : {15, 21, 33, 5}) {
        g_stage_index = stage;
        g_chapter = 0;
        g_module_index = 0;
        scn_stage_start();
        EXPECT_EQ(static_cast<int>(g_chapter), scn_chapter_of_stage(stage));
        EXPECT_EQ(g_module_index, scn_chapter_of_stage(stage));
    }
}

TEST_F(HooksTest, TicksMoveOnlyInChapters1To5) {
    for (uint32_t chapter = 0; chapter <= 7; ++chapter) {
        g_chapter = chapter;
        g_tick_counter = 10;
        for (int i = 0; i < 5; ++i) scn_tick();
        EXPECT_EQ(g_tick_counter, chapter >= 1 && chapter <= 5 ? 15 : 10) << "chapter " << chapter;
    }
}

TEST_F(HooksTest, LightningFlashesFromTheFixedSeedsInChapters3And5Only) {
    RandomMirror wh;
    std::vector<int> expected;
    for (int i = 0; i < 300; ++i)
        if (wh.next() % 20 == 0) expected.push_back(i);
    ASSERT_GE(expected.size(), 3u);

    g_lightning = 1;
    for (uint32_t chapter : {3u, 5u}) {
        util_random_reset();
        EXPECT_EQ(flashes(chapter, 300), expected) << "chapter " << chapter;
        // The flash fades back to the default palette, one paint per step.
        EXPECT_EQ(g_fade_delay, 1);
    }

    // Chapter 4 has no lightning step: nothing flashes, no random draw.
    util_random_reset();
    EXPECT_TRUE(flashes(4, 300).empty());
    EXPECT_EQ(util_random(), RandomMirror{}.next());

    // Without a storm the ticks of chapter 3 draw nothing either.
    g_lightning = 0;
    util_random_reset();
    EXPECT_TRUE(flashes(3, 300).empty());
    EXPECT_EQ(util_random(), RandomMirror{}.next());
}

TEST_F(HooksTest, ShakeStepsOnlyInChapters4And5) {
    for (uint32_t chapter : {1u, 2u, 3u, 4u, 5u}) {
        g_view_offset = {0, 48};
        gfx_shake_start(7);
        util_random_reset();
        g_chapter = chapter;
        std::vector<int> offsets;
        for (int i = 0; i < 20; ++i) {
            scn_tick();
            offsets.push_back(g_view_offset.y);
        }
        g_shake_on = 0;
        g_shake_lock = 0;
        const bool moved = std::any_of(offsets.begin(), offsets.end(), [](int y) { return y != 48; });
        EXPECT_EQ(moved, chapter >= 4) << "chapter " << chapter;
        for (int y : offsets) EXPECT_TRUE(y >= 48 && y < 55);
    }
}

// Watches the shop: while its music plays, reads back the items it lists
// (names on rows 3..6 at column 32, each with its hit rect) and right-clicks
// out; outside the shop it clicks on, for the message waits.
struct ShopWatch {
    std::vector<std::string> visits;  // "ids" listed, one entry per visit
    int shown = 0;                    // shop greetings (message 576) seen
    size_t best = 0;
};

void watch_shop(ShopWatch* w, const std::function<void(int, int, int)>& click) {
    if (g_music_track != 13) {
        click(0, 320, 200);
        return;
    }
    const auto& log = sys_log_lines();
    const int greetings = static_cast<int>(std::count(log.begin(), log.end(), "message 576"));
    if (greetings != w->shown) {
        w->shown = greetings;
        w->best = 0;
        w->visits.emplace_back();
    }
    if (w->visits.empty()) return;
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < 4; ++i) {
        if (g_hit_rects[i].id != static_cast<uint32_t>(i)) break;
        const int32_t id = item_listed_at(32, 3 + i);
        if (id == 0) break;
        ids.push_back(id);
    }
    if (ids.size() > w->best) {
        w->best = ids.size();
        std::string s;
        for (int32_t id : ids) s += (s.empty() ? "" : " ") + std::to_string(id);
        w->visits.back() = s;
    }
    click(1, 320, 200);
}

TEST_F(HooksTest, ShopSellsTheStageRow) {
    UnitRecord* u = unit_place_new(3, 3, [] {
        static UnitStats s = MapTest::stats(1, 0, 0);
        return &s;
    }());
    ASSERT_NE(u, nullptr);
    const std::pair<int, std::string> rows[] = {
        {1, "1 5"},        {2, "1 5"}, {4, "20 14 1 5"}, {11, "32 26 1 5"}, {14, "21 14 38 5"},
        {18, "10 12 4 5"}, {0, ""},    {39, ""},         {-1, ""},
    };
    ShopWatch w;
    start_polling(
        [&] { watch_shop(&w, [this](int right, int x, int y) { right ? rclick_view(x, y) : click_view(x, y); }); });
    for (uint32_t chapter : {1u, 3u, 5u}) {
        g_chapter = chapter;
        for (const auto& [stage, items] : rows) {
            w.visits.clear();
            g_stage_index = stage;
            scn_shop(u);
            ASSERT_EQ(w.visits.size(), 1u) << "chapter " << chapter << " stage " << stage;
            EXPECT_EQ(w.visits[0], items) << "chapter " << chapter << " stage " << stage;
        }
    }
    // After the title's quit (chapter 6) no hook runs.
    w.visits.clear();
    g_chapter = 6;
    scn_shop(u);
    EXPECT_TRUE(w.visits.empty());
    EXPECT_EQ(count_messages(576), 27);
}

TEST_F(HooksTest, ChapterTwoShopOfStage15TalksToCharacter11) {
    UnitStats foal = MapTest::stats(CHAR_FOAL, CLASS_WHITE_HORSE, 0);
    UnitStats lead = MapTest::stats(1, 0, 0);
    UnitRecord* a = unit_place_new(3, 3, &foal);
    UnitRecord* b = unit_place_new(4, 3, &lead);
    g_chapter = 2;
    g_stage_index = 14;
    ShopWatch w;
    start_polling(
        [&] { watch_shop(&w, [this](int right, int x, int y) { right ? rclick_view(x, y) : click_view(x, y); }); });
    scn_shop(a);
    scn_shop(b);
    EXPECT_EQ(count_messages(53), 1);
    EXPECT_EQ(w.visits, (std::vector<std::string>{"21 14 38 5"}));
    EXPECT_EQ(count_messages(576 + 1), 1);  // the talk to character 1 only
    // Other chapters and other stages open the shop for character 11.
    w.visits.clear();
    g_chapter = 3;
    scn_shop(a);
    g_chapter = 2;
    g_stage_index = 11;
    scn_shop(a);
    EXPECT_EQ(w.visits, (std::vector<std::string>{"21 14 38 5", "32 26 1 5"}));
    EXPECT_EQ(count_messages(576 + 11), 2);
}

TEST_F(HooksTest, EnemyActionOfChaptersTwoToFiveHasNoGoal) {
    // An open field of plain ground: with a goal the unit would walk.
    set_map_size(12, 12);
    int32_t plain = 0;
    while (plain < MAP_TILES && g_terrain_class_of_tile[plain] != 1) ++plain;
    ASSERT_LT(plain, MAP_TILES);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(plain);
    UnitStats s = MapTest::stats(10, 35, 7);
    UnitRecord* e = unit_place_new(5, 5, &s);
    ASSERT_NE(e, nullptr);
    for (uint32_t chapter : {2u, 3u, 4u, 5u}) {
        e->acted = 0;
        g_chapter = chapter;
        scn_enemy_act(e);
        // The AI ran (the action is spent) and, without a goal, stayed.
        EXPECT_EQ(e->acted, 1) << chapter;
        EXPECT_EQ(e->x, 5);
        EXPECT_EQ(e->y, 5);
    }
}

// --- shared chapter steps ------------------------------------------------------------

class SharedStepsTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        g_stage_index = 0;
        load_first_stage();
    }
};

TEST_F(SharedStepsTest, CutsceneFrameKeepsAndRestoresTheDisplay) {
    g_opt_side_marks = 1;
    g_opt_move_anim = 0;
    g_zoom = -1;
    map_set_zoom(2);
    scn_cutscene_begin();
    EXPECT_EQ(g_opt_side_marks, 0);
    EXPECT_EQ(g_opt_move_anim, 1);
    EXPECT_EQ(g_zoom, 1);
    scn_cutscene_end();
    EXPECT_EQ(g_opt_side_marks, 1);
    EXPECT_EQ(g_opt_move_anim, 0);
    EXPECT_EQ(g_zoom, 2);

    // A frame begun before any view keeps the zoom it set.
    g_zoom = -1;
    scn_cutscene_begin();
    scn_cutscene_end();
    EXPECT_EQ(g_zoom, 1);
}

TEST_F(SharedStepsTest, WakingTheHiddenEnemies) {
    g_zoom = -1;
    map_set_zoom(1);
    UnitStats hidden9 = MapTest::stats(CHAR_SUMMONER_PARTNER, 31, AI_MODE_DORMANT);
    UnitStats hidden = MapTest::stats(10, 35, AI_MODE_DORMANT), awake = MapTest::stats(10, 35, AI_MODE_ADVANCE);
    UnitRecord* a = unit_place_new(5, 5, &hidden9);
    UnitRecord* b = unit_place_new(6, 5, &hidden);
    UnitRecord* c = unit_place_new(7, 5, &awake);
    ASSERT_TRUE(a && b && c);
    // Dormant units stand off the grid until they wake.
    g_occupancy.cells[5 * MAP_SIDE + 5] = 0;
    g_occupancy.cells[5 * MAP_SIDE + 6] = 0;
    scn_wake_hidden_enemies(SCN_SCROLL_NONE);
    EXPECT_EQ(a->stats.ai_mode, AI_MODE_ADVANCE);
    EXPECT_EQ(b->stats.ai_mode, AI_MODE_BOSS);
    EXPECT_EQ(c->stats.ai_mode, AI_MODE_ADVANCE);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 5] & OCC_UNIT_MASK, a->number);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 6] & OCC_UNIT_MASK, b->number);

    // The scroll before it stops at the map's edge.
    g_view_x = 3;
    g_view_y = 0;
    scn_wake_hidden_enemies(SCN_SCROLL_LEFT);
    EXPECT_EQ(g_view_x, 0);
}

TEST_F(SharedStepsTest, BossContactAndAftermath) {
    UnitStats boss_s = MapTest::stats(10, 35, AI_MODE_BOSS_UNMET), other_s = MapTest::stats(10, 35, AI_MODE_ADVANCE),
              guest_s = MapTest::stats(10, 35, AI_MODE_WALK_ON);
    UnitRecord* boss = unit_place_new(5, 5, &boss_s);
    UnitRecord* other = unit_place_new(6, 6, &other_s);
    UnitRecord* guest = unit_place_new(7, 7, &guest_s);
    keep_clicking();

    EXPECT_EQ(scn_boss_first_contact(boss, 50, nullptr), 0);
    EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS);
    EXPECT_TRUE(music_opened(12));
    // Once met, no second contact message.
    EXPECT_EQ(scn_boss_first_contact(boss, 50, nullptr), 0);
    EXPECT_EQ(count_messages(50), 1);

    EXPECT_EQ(scn_boss_beaten(boss), 0);
    boss->stats.hp = 0;
    EXPECT_EQ(scn_boss_beaten(boss), 1);
    EXPECT_EQ(scn_boss_beaten(other), 0);

    sys_log_clear();
    scn_boss_aftermath(SCN_MUSIC_STAGE, 51, nullptr);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(other->number, 0);
    EXPECT_NE(boss->number, 0);
    EXPECT_NE(guest->number, 0);
    EXPECT_EQ(count_messages(51), 1);
    EXPECT_TRUE(music_opened(g_stage_music[0]));
}

TEST_F(SharedStepsTest, GoalCellEndsTheStage) {
    UnitStats s = MapTest::stats(2, 2, 0);
    UnitRecord* u = unit_place_new(19, 1, &s);
    keep_clicking();
    EXPECT_EQ(scn_goal_reached(u, 20, 0, 21, 1, 99), 0);
    EXPECT_EQ(g_stage_end, 0);
    EXPECT_EQ(scn_goal_reached(u, 19, 1, 20, 1, 99), 1);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(count_messages(99), 1);
}

TEST_F(SharedStepsTest, PlacementListSkipsAMissingCharacter) {
    UnitStats s1 = MapTest::stats(1, 0, 0), s2 = MapTest::stats(2, 2, 0);
    UnitRecord* a = unit_place_new(1, 1, &s1);
    UnitRecord* b = unit_place_new(2, 1, &s2);
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    const PlacementEntry list[] = {{1, 10, 10}, {7, 11, 10}, {2, 12, 10}, {-1, 0, 0}};
    scn_place_list(list);
    EXPECT_EQ(a->x, 10);
    EXPECT_EQ(b->x, 12);
    EXPECT_EQ(g_occupancy.cells[10 * MAP_SIDE + 11], 0);
    EXPECT_EQ(g_occupancy.cells[10 * MAP_SIDE + 12], b->number);
}
