// Whole play through the real program: from the title into stage 1, a party
// unit walks, the turn ends, the enemy phase runs and turn 2 begins.
#include <fstream>
#include <map>
#include <sstream>

#include "battle/battle.h"
#include "platform/input.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/fixture.h"
#include "tests/title_script.h"

namespace {

// The prologue of a new game runs for about 20 seconds of messages, walks
// and fades; the stage's own flow starts after it.
constexpr uint32_t PROLOGUE = 32000;
// The game starts a little after the title menu's new-game entry is
// clicked; times below count from the end of the prologue.
constexpr uint32_t T = TITLE_MENU_AT + PROLOGUE;

// Window position of the middle of a map cell at zoom 1.
void cell_to_window(int x, int y, int* wx, int* wy) {
    *wx = 16 + (x - g_view_x) * 32 + 16 + g_view_offset.x;
    *wy = (y - g_view_y) * 32 + 16 + g_view_offset.y;
}

void click_now(int x, int y) {
    HeadlessEvent e;
    e.at = sys_headless_clock() + 10;
    e.kind = HeadlessKind::Click;
    e.x = x;
    e.y = y;
    sys_headless_push(e);
}

// Answers every message window (the pointer blinks between shapes 5 and 6
// while one waits) of the prologue and the first turn's start, until the
// stage's own flow is scripted.
void click_through_messages(GameRun& g) {
    for (uint32_t t = TITLE_MENU_AT + 200; t < T + 11500; t += 200)
        g.call_at(t, [] {
            if (g_cursor_shape == 5 || g_cursor_shape == 6) click_now(320, 248);
        });
}

// Clicks where the pointer is, moved by (dx, dy): the menus put the
// pointer on their first or default entry.
void click_pointer(int dx = 0, int dy = 0) {
    int x, y;
    sys_get_cursor_pos(g_hwnd_game, &x, &y);
    click_now(x + dx, y + dy);
}

TEST(PlayTest, AUnitWalksAndTheTurnPassesThroughTheEnemyPhase) {
    GameRun g;
    title_script_new_game(g);
    click_through_messages(g);
    int start_x = -1, start_y = -1;
    // Stage 1 runs its intro, title card and first banner; then the leader
    // is clicked, which opens its command menu.
    g.call_at(T + 12000, [&] {
        UnitRecord* u = unit_find_by_char_id(1);
        ASSERT_NE(u, nullptr);
        start_x = u->x;
        start_y = u->y;
        int wx, wy;
        cell_to_window(u->x, u->y, &wx, &wy);
        click_now(wx, wy);
    });
    g.call_at(T + 12800, [] { click_pointer(); });  // the first command: act
    g.call_at(T + 13600, [&] {                     // two cells up
        int wx, wy;
        cell_to_window(start_x, start_y - 2, &wx, &wy);
        click_now(wx, wy);
    });
    g.call_at(T + 15500, [&] {  // its own cell again: no attack, the action ends
        int wx, wy;
        cell_to_window(start_x, start_y - 2, &wx, &wy);
        click_now(wx, wy);
    });
    int acted_after_move = -1, turn_before = -1;
    g.call_at(T + 16100, [&] {
        acted_after_move = unit_find_by_char_id(1)->acted;
        turn_before = g_turn;
    });
    g.event(T + 16200, HeadlessKind::RClick, 200, 200);  // the map command menu
    // The menu opens beside the pointer; its first entry ends the turn.
    g.call_at(T + 16800, [] { click_pointer(60, 0); });
    // The question has the pointer on "아니오"; "예" is six columns left.
    g.call_at(T + 17300, [] { click_pointer(-48, 0); });
    bool enemy_phase_seen = false;
    for (uint32_t t = T + 17400; t < T + 19000; t += 100)
        g.call_at(t, [&] { enemy_phase_seen |= g_enemy_phase == 1; });
    int turn_after = -1, acted_next_turn = -1, x_after = -1, y_after = -1;
    g.call_at(T + 22000, [&] {
        turn_after = g_turn;
        UnitRecord* u = unit_find_by_char_id(1);
        acted_next_turn = u->acted;
        x_after = u->x;
        y_after = u->y;
    });
    g.event(T + 22100, HeadlessKind::End);
    g.run();

    ASSERT_GE(start_x, 0);
    EXPECT_EQ(acted_after_move, 1);
    EXPECT_TRUE(enemy_phase_seen);
    EXPECT_EQ(turn_after, turn_before + 1);
    EXPECT_EQ(acted_next_turn, 0);
    EXPECT_EQ(x_after, start_x);
    EXPECT_EQ(y_after, start_y - 2);
    EXPECT_FALSE(g.logged("msgbox"));
}

TEST(PlayTest, TheMapMenuShowsTheClearConditions) {
    GameRun g;
    title_script_new_game(g);
    click_through_messages(g);
    g.event(T + 12000, HeadlessKind::RClick, 200, 200);
    // The menu opens beside the pointer; " 클리어 조건 " is its fifth entry,
    // four rows of 20 lines below the first.
    g.call_at(T + 12600, [] { click_pointer(60, 80); });
    bool shown = false;
    g.call_at(T + 13500, [&] { shown = sys_log_lines().back() == "message 64"; });
    g.event(T + 13600, HeadlessKind::End);
    g.run();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(g.logged("message 64"));
}

TEST(PlayTest, TheReadmesFightScriptPlaysTheAnimatedScene) {
    // The headless driver's example: the leader walks up to the sentry and
    // attacks it; its shots fall inside the battle scene.
    std::ifstream in(std::string(ROWEN_SOURCE_DIR) + "/tests/driver/stage1_fight.txt");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    GameRun g;
    std::string err;
    ASSERT_TRUE(sys_headless_parse_script(text.str(), &g.options.script, &err)) << err;
    std::map<std::string, bool> in_scene;
    int sentry_hp = -1;
    for (const HeadlessEvent& e : g.options.script)
        if (e.kind == HeadlessKind::Shot)
            g.call_at(e.at, [&, name = e.name] {
                in_scene[name] = g_btl_animated == 1 && g_btl_bmap_image != nullptr && btl_bmap_tile(0, 0) >= 0;
                if (name == "map") {
                    for (const UnitRecord& u : g_units)
                        if (u.stats.char_id == 10 && u.x == 23 && u.y == 35) sentry_hp = u.stats.hp;
                }
            });
    g.run();
    EXPECT_TRUE(in_scene["fight-1"]);
    EXPECT_TRUE(in_scene["fight-2"]);
    EXPECT_FALSE(in_scene["map"]);
    EXPECT_GE(sentry_hp, 0) << "the sentry still stands after one exchange";
    EXPECT_LT(sentry_hp, 21);
    EXPECT_FALSE(g.logged("msgbox"));
}

}  // namespace
