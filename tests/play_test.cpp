// Whole play through the real program: from the title into stage 1, a party
// unit walks, the turn ends, the enemy phase runs and turn 2 begins; a fight
// and the prologue's messages keep their pace while the pointer moves.
#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>

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
        UnitRecord* u = unit_find_by_char_id(CHAR_LEADER);
        ASSERT_NE(u, nullptr);
        start_x = u->x;
        start_y = u->y;
        int wx, wy;
        cell_to_window(u->x, u->y, &wx, &wy);
        click_now(wx, wy);
    });
    g.call_at(T + 12800, [] { click_pointer(); });  // the first command: act
    g.call_at(T + 13600, [&] {                      // two cells up
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
        acted_after_move = unit_find_by_char_id(CHAR_LEADER)->acted;
        turn_before = g_turn;
    });
    g.event(T + 16200, HeadlessKind::RClick, 200, 200);  // the map command menu
    // The menu opens beside the pointer; its first entry ends the turn.
    g.call_at(T + 16800, [] { click_pointer(60, 0); });
    // The question has the pointer on "아니오"; "예" is six columns left.
    g.call_at(T + 17300, [] { click_pointer(-48, 0); });
    bool enemy_phase_seen = false;
    for (uint32_t t = T + 17400; t < T + 19000; t += 100) g.call_at(t, [&] { enemy_phase_seen |= g_enemy_phase == 1; });
    int turn_after = -1, acted_next_turn = -1, x_after = -1, y_after = -1;
    g.call_at(T + 22000, [&] {
        turn_after = g_turn;
        UnitRecord* u = unit_find_by_char_id(CHAR_LEADER);
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

// The headless driver's example: a new game, the prologue's messages
// answered, the leader walks up to the sentry and attacks it.
void load_fight_script(GameRun& g) {
    std::ifstream in(std::string(ROWEN_SOURCE_DIR) + "/tests/driver/stage1_fight.txt");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    std::string err;
    ASSERT_TRUE(sys_headless_parse_script(text.str(), &g.options.script, &err)) << err;
}

TEST(PlayTest, TheReadmesFightScriptPlaysTheAnimatedScene) {
    // Its shots fall inside the battle scene; back on the map the leader
    // stands, having lost less than half its HP to the sentry's counter,
    // and the sentry stands too, wounded by a blow of which two or three
    // beat it.
    GameRun g;
    load_fight_script(g);
    std::map<std::string, bool> in_scene;
    UnitStats sentry{}, leader{};
    for (const HeadlessEvent& e : g.options.script)
        if (e.kind == HeadlessKind::Shot)
            g.call_at(e.at, [&, name = e.name] {
                in_scene[name] = g_btl_animated == 1 && g_btl_bmap_image != nullptr && btl_bmap_tile(0, 0) >= 0;
                if (name == "map") {
                    for (const UnitRecord& u : g_units)
                        if (u.number != 0 && u.stats.char_id == CHAR_GENERIC && u.x == 23 && u.y == 35)
                            sentry = u.stats;
                    if (const UnitRecord* u = unit_find_by_char_id(CHAR_LEADER)) leader = u->stats;
                }
            });
    g.run();
    EXPECT_TRUE(in_scene["fight-1"]);
    EXPECT_TRUE(in_scene["fight-2"]);
    EXPECT_FALSE(in_scene["map"]);
    ASSERT_GT(sentry.max_hp, 0) << "the sentry still stands after one exchange";
    const int blow = sentry.max_hp - sentry.hp;
    EXPECT_GT(blow, 0);
    EXPECT_LT(blow, sentry.max_hp);
    EXPECT_GE(3 * blow, sentry.max_hp) << "more than three blows to beat a level-1 enemy";
    EXPECT_LT(leader.hp, leader.max_hp) << "the sentry countered";
    EXPECT_GT(2 * leader.hp, leader.max_hp) << "the leader stands with " << leader.hp << " HP";
    EXPECT_FALSE(g.logged("msgbox"));
}

// A new game's first enemy phases on stage 1, the party ending its turns
// where it stands: in the first an enemy walks, and within the first three
// one fights.
TEST(PlayTest, StageOnesFirstEnemyPhasesShowAWalkAndAFight) {
    GameRun g;
    title_script_new_game(g);
    click_through_messages(g);
    struct Look {
        int16_t number, x, y, hp;
    };
    std::array<Look, UNIT_SLOTS> phase_start{};
    int phases = 0, walked_in = 0, fought_in = 0, turn_ended = -1, step = 0;
    uint32_t idle_since = 0, step_at = 0;
    for (uint32_t t = T + 12000; t < T + 60000; t += 100)
        g.call_at(t, [&, t] {
            if (g_cursor_shape == 5 || g_cursor_shape == 6) click_now(320, 248);  // the experience window
            if (g_enemy_phase == 1) {
                if (turn_ended == g_turn && phases <= g_turn) {  // the phase's first look
                    ++phases;
                    for (size_t s = 0; s < phase_start.size(); ++s)
                        phase_start[s] = {g_units[s].number, g_units[s].x, g_units[s].y, g_units[s].stats.hp};
                }
                for (size_t s = 0; s < phase_start.size(); ++s) {
                    const Look& was = phase_start[s];
                    const UnitRecord& u = g_units[s];
                    if (was.number == 0) continue;
                    const bool party = s < static_cast<size_t>(UNIT_PARTY_SLOTS);
                    if (!party && u.number == was.number && (u.x != was.x || u.y != was.y) && !walked_in)
                        walked_in = phases;
                    const bool hurt = u.number != was.number || u.stats.hp < was.hp;
                    if (hurt && !fought_in) fought_in = phases;
                }
                idle_since = 0;
                return;
            }
            // The player's phase: once it has stood for two seconds (the
            // banner gone), the turn is ended from the map menu, which opens
            // beside the pointer: its first entry, then "예", six columns
            // left of the default "아니오".
            if (step == 1 && t - step_at >= 600) {
                click_pointer(60, 0);
                step = 2;
                step_at = t;
            } else if (step == 2 && t - step_at >= 500) {
                click_pointer(-48, 0);
                step = 0;
            }
            if (step != 0 || turn_ended == g_turn || phases >= 3) return;
            if (!idle_since) idle_since = t;
            if (t - idle_since < 2000) return;
            turn_ended = g_turn;
            HeadlessEvent e;
            e.at = sys_headless_clock() + 10;
            e.kind = HeadlessKind::RClick;
            e.x = 200;
            e.y = 200;
            sys_headless_push(e);
            step = 1;
            step_at = t;
        });
    g.event(T + 60100, HeadlessKind::End);
    g.run();
    EXPECT_EQ(phases, 3);
    EXPECT_EQ(walked_in, 1) << "no enemy walked in the first enemy phase";
    EXPECT_GE(fought_in, 1);
    EXPECT_LE(fought_in, 3) << "no fight in the first three enemy phases";
    EXPECT_FALSE(g.logged("msgbox"));
}

// Where the pointer was at each shot of a run, in window coordinates.
using PointerPlaces = std::map<uint32_t, std::pair<int, int>>;

struct FightShots {
    std::map<uint32_t, size_t> frames;  // a hash of the window's frame at each shot
    PointerPlaces pointer;
    int message_waits = 0;  // prologue shots that found a message's click wait
};

// The fight script, with shots of its own and one every 8 ms through the
// title menu's fade and the prologue's first message. With `still` given,
// the pointer moves every 3 ms through those and from the attack click on,
// and for the 40 ms before each shot it stands where it stood at that shot
// in the still run (the cursor is drawn where the pointer is).
FightShots fight_shots(const PointerPlaces* still) {
    GameRun g;
    load_fight_script(g);
    const std::vector<HeadlessEvent> script = g.options.script;
    std::vector<uint32_t> shots;
    uint32_t attack = 0, end = 0;
    for (const HeadlessEvent& e : script) {
        if (e.kind == HeadlessKind::Shot) {
            shots.push_back(e.at);
            // The attack click: the last click before the first shot.
            if (!attack)
                for (const HeadlessEvent& c : script)
                    if (c.kind == HeadlessKind::Click && c.at < e.at) attack = c.at;
        }
        if (e.kind == HeadlessKind::End) end = e.at;
    }
    // Message 120 opens at about 4,040 ms; its pages follow the clicks.
    constexpr uint32_t PROLOGUE_FROM = TITLE_MENU_AT, PROLOGUE_TO = TITLE_MENU_AT + 2000;
    for (uint32_t t = PROLOGUE_FROM; t < PROLOGUE_TO; t += 8) shots.push_back(t);
    std::sort(shots.begin(), shots.end());
    if (still) {
        auto move = [&](uint32_t from, uint32_t to) {
            for (uint32_t t = from + 1; t < to; t += 3) {
                const auto after = std::lower_bound(shots.begin(), shots.end(), t);
                const uint32_t next = after == shots.end() ? shots.back() : *after;
                auto [x, y] = still->at(next);
                if (next < t || next - t >= 40) {
                    x += static_cast<int>(t / 3 % 17) * 8 - 64;
                    y += static_cast<int>(t / 3 % 11) * 8 - 40;
                }
                g.event(t, HeadlessKind::Move, x, y);
            }
        };
        move(PROLOGUE_FROM, PROLOGUE_TO);
        move(attack, end);
    }
    FightShots out;
    for (uint32_t s : shots)
        g.call_at(s, [&out, s, PROLOGUE_TO] {
            int w = 0, h = 0;
            const uint32_t* px = sys_headless_frame(&w, &h);
            out.frames[s] = std::hash<std::string_view>{}(
                std::string_view(reinterpret_cast<const char*>(px), static_cast<size_t>(w) * h * sizeof *px));
            sys_get_cursor_pos(g_hwnd_game, &out.pointer[s].first, &out.pointer[s].second);
            if (s < PROLOGUE_TO && (g_cursor_shape == 5 || g_cursor_shape == 6)) ++out.message_waits;
        });
    g.run();
    EXPECT_FALSE(g.logged("msgbox"));
    return out;
}

TEST(PlayTest, ThePointerDoesNotChangeThePaceOfTheFightOrTheMessages) {
    const FightShots still = fight_shots(nullptr);
    const FightShots moving = fight_shots(&still.pointer);
    EXPECT_GT(still.message_waits, 0) << "the prologue's shots miss its first message";
    ASSERT_EQ(still.frames.size(), moving.frames.size());
    std::string differ;
    for (const auto& [at, frame] : still.frames) {
        const auto it = moving.frames.find(at);
        ASSERT_NE(it, moving.frames.end()) << at;
        if (it->second != frame) differ += " " + std::to_string(at);
    }
    EXPECT_EQ(differ, "") << "shots (ms) that differ with the pointer moving";
}

}  // namespace
