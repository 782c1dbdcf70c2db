// The map command menu and the unit command menu played by clicks in the
// turn loop, on stage 2 of the kit: every entry is clicked where the menu
// draws it, and checked by what it changes for the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tactics/command.h"
#include "tactics/game.h"
#include "tactics/save.h"
#include "tests/click_fixture.h"

namespace {

// Stage 2: tile set 0 (shop ground), a shop of 약초 and 테킬라, no message
// at the start of its second turn.
constexpr int STAGE = 1;
constexpr int FAR_SLOT = 6;

class MapMenusTest : public ClickTest {
protected:
    TempDir folder;

    void SetUp() override {
        ClickTest::SetUp();
        use_program_folder(folder);
    }
    // The stage and the party on its second turn (no turn-start message, no
    // save prompt) at the zoom given, the saves in a folder of the test's own.
    void set_up_row(int zoom) {
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", folder.str().c_str());
        set_up_stage(STAGE);
        put_party();
        if (zoom == 2) map_set_zoom(2);
        g_turn = 1;
        sys_log_clear();
    }

    // The player's first input of the turn: the right button on the map
    // opens the map menu at the pointer, a left click on the leader its
    // command menu.
    Step open_map_menu() {
        return idle("the player phase", [this] { rtap(200, 100); });
    }
    Step click_leader() {
        return idle("the player phase", [this] { click_cell(SITE_X, SITE_Y); });
    }
    // The pointer moved to the strip below the view, where the map shows no
    // cell cursor, once cond holds.
    Step pointer_off_view(const std::string& what, std::function<bool()> cond) {
        return {what, [this, cond] { return since_step() > 100 && g_menu_chip_set == 0 && cond(); },
                [this] { at(INPUT_DELAY, HeadlessKind::Move, 320, 400 + 48); }};
    }
    // A step that records, once the step before has had time to show.
    Step record(const std::string& what, std::function<void()> f) {
        return {what, [this] { return since_step() > 100; }, std::move(f)};
    }

    // The unit commands drawn on the screen, by their numbers, top to bottom.
    static std::string drawn_commands() {
        std::vector<std::pair<int, int>> at_row;
        for (int c = 0; c < CMD_COUNT; ++c)
            if (const auto p = drawn_at(g_command_names[static_cast<size_t>(c)])) at_row.emplace_back(p->y, c);
        std::sort(at_row.begin(), at_row.end());
        std::string s;
        for (const auto& [y, c] : at_row) s += static_cast<char>('0' + c);
        return s;
    }
    // The command menu drawn with the entry given: its commands recorded.
    Step command_menu(std::string* offered, int entry = CMD_ACT) {
        return {"the command menu",
                [entry] {
                    return g_menu_chip_set == 1 && drawn_at(g_command_names[static_cast<size_t>(entry)]).has_value();
                },
                [offered] { *offered = drawn_commands(); }};
    }
    // An item list drawn from (col, row) down: once its first item is there
    // (message windows answered before), the items of its four rows are
    // recorded and act gives the next input.
    Step items_listed(const std::string& what, int col, int row, std::vector<int>* items, std::function<void()> act) {
        return after_messages(
            what, [col, row] { return item_listed_at(col, row) != 0; },
            [col, row, items, act] {
                for (int r = row; r < row + 4; ++r) items->push_back(item_listed_at(col, r));
                act();
            });
    }
    static bool map_marked() {
        for (int i = 0; i < MAP_CELLS; ++i)
            if (g_map.cells[i] & MAP_MARK) return true;
        return false;
    }
    static bool any_marks() {
        for (int i = 0; i < MAP_CELLS; ++i)
            if ((g_map.cells[i] & MAP_MARK) || (g_occupancy.cells[i] & (OCC_MARK_A | OCC_MARK_B))) return true;
        return false;
    }
};

// What a row saw during its session.
struct Seen {
    int view_x = -1, view_y = -1, zoom = -1, turn = -1, hp = -1;
    bool fresh = false, named = false;
    std::vector<int> listed, acted;
    std::string offered, offered_again;
};

TEST_F(MapMenusTest, EveryMapMenuEntryByClicks) {
    Seen seen;
    auto view_now = [&] {
        seen.view_x = g_view_x;
        seen.view_y = g_view_y;
        seen.zoom = g_zoom;
        seen.fresh = view_shows_map();
    };
    // The frame of the zoom change moved to 10 cells right and 8 down of
    // the view's origin, and picked there.
    constexpr int FRAME_X = 16 + 152 + 10 * 16 + 8, FRAME_Y = 96 + 8 * 16 + 8;
    const int centre_x = centred_origin(SITE_X, 19, 40), centre_y = centred_origin(SITE_Y, 12, 40);
    const UnitRecord& far = g_units[FAR_SLOT];
    int from_x = -1, from_y = -1;

    struct Row {
        const char* entry;
        int zoom;
        std::function<void()> before;
        std::vector<Step> after;  // the steps after the entry is clicked
        int result;               // the turn loop's result; -1 still running
        std::function<void()> check;
    };
    const Row rows[] = {
        // A soldier next to the partner strikes it in the enemy phase,
        // while the party waits with its turn over.
        {" 턴 종료 ",
         1,
         [&] {
             g_opt_battle_real = 0;
             UnitStats soldier = stats(10, CLASS_SOLDIER, 3);
             ASSERT_NE(unit_place_new(SITE_X + 2, SITE_Y, &soldier), nullptr);
         },
         {answer("적의 턴으로 이동해도 좋습니까? {  예  }{ 아니오 }", 0),
          {"the enemy banner", [] { return g_enemy_phase == 1 && window_shown("*적의 행동"); },
           [this] { click_strip(); }},
          after_messages(
              "the next turn's banner",
              [&] {
                  if (g_enemy_phase == 1 && seen.acted.empty() && !window_shown("*적의 행동"))
                      for (size_t s = 0; s < std::size(PARTY); ++s) seen.acted.push_back(g_units[s].acted);
                  return window_shown(banner(3).c_str());
              },
              [&] {
                  seen.turn = g_turn;
                  seen.hp = g_units[1].stats.hp;
              })},
         -1,
         [&] {
             EXPECT_EQ(seen.acted, std::vector<int>(std::size(PARTY), 1));
             EXPECT_LT(seen.hp, 100);
             EXPECT_EQ(seen.turn, 2);
         }},
        {" 확대맵 ",
         2,
         nullptr,
         {{"the zoom frame", [this] { return since_step() > 100 && g_menu_chip_set == 0; },
           [&] {
               from_x = g_view_x;
               from_y = g_view_y;
               at(INPUT_DELAY, HeadlessKind::Move, FRAME_X, FRAME_Y + 48);
               click_view(FRAME_X, FRAME_Y, INPUT_DELAY + 100);
           }},
          pointer_off_view("the view at zoom 1", [] { return g_zoom == 1; }),
          record("the view", view_now)},
         -1,
         [&] {
             EXPECT_EQ(seen.zoom, 1);
             EXPECT_EQ(seen.view_x, std::clamp(from_x + 10, 0, 40 - 19));
             EXPECT_EQ(seen.view_y, std::clamp(from_y + 8, 0, 40 - 12));
             EXPECT_TRUE(seen.fresh);
         }},
        {" 축소맵 ",
         1,
         nullptr,
         {pointer_off_view("the view at zoom 2", [] { return g_zoom == 2; }), record("the view", view_now)},
         -1,
         [&] {
             EXPECT_EQ(seen.zoom, 2);
             EXPECT_TRUE(seen.fresh);
         }},
        {" 유닛 일람 ",
         1,
         nullptr,
         {{"the party list", [&] { return text_shown_at(12, 3 + FAR_SLOT, unit_display_name(&far.stats), 15); },
           [&] {
               // Every party unit on the row of its slot; the far one is clicked.
               for (size_t s = 0; s < std::size(PARTY); ++s)
                   seen.listed.push_back(
                       text_shown_at(12, 3 + static_cast<int>(s), unit_display_name(&g_units[s].stats), 15));
               tap(300, (3 + FAR_SLOT) * 20 + 10);
           }},
          pointer_off_view("back on the map", [] { return g_colour_cycle_block == 0; }),
          record("the view", view_now)},
         -1,
         [&] {
             EXPECT_EQ(seen.listed, std::vector<int>(std::size(PARTY), 1));
             // The view jumps to the chosen unit.
             EXPECT_EQ(seen.view_x, centred_origin(far.x, 19, 40));
             EXPECT_EQ(seen.view_y, centred_origin(far.y, 12, 40));
             EXPECT_NE(seen.view_x, centre_x);
             EXPECT_TRUE(seen.fresh);
         }},
        {" 클리어 조건 ",
         1,
         nullptr,
         {after_messages("message 64 read",
                         [this] { return count_messages(64) == 1 && since_step() > 300 && !message_waits(); }),
          pointer_off_view("back on the map", [] { return true; }), record("the view", view_now)},
         -1,
         [&] {
             EXPECT_EQ(count_messages(64), 1);
             EXPECT_EQ(seen.view_x, centre_x);
             EXPECT_EQ(seen.view_y, centre_y);
             EXPECT_TRUE(seen.fresh);
         }},
        {" 시스템 ",
         1,
         [] { g_game_state_record.word[GS_CHAPTER] = 7; },
         {choose(" 게임 종료 "), answer("정말로 종료해도 좋습니까? { 예 }{ 아니오 }", 0)},
         0,
         [] { EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 0u); }},
        // The system menu's load: a game saved on stage 16 (chapter 3).
        {" 시스템 ",
         1,
         [] {
             g_stage_index = 15;
             ASSERT_EQ(save_save_game(0), 1);
             g_stage_index = STAGE;
             g_game_state_record.word[GS_CHAPTER] = 7;
             g_game_state_record.word[GS_RESUME] = 0;
         },
         {choose(" 게임 불러오기 "),
          {"the saved game", [] { return drawn_at(g_stage_names[15]).has_value(); },
           [this] { click_text(g_stage_names[15]); }}},
         0,
         [] {
             EXPECT_EQ(g_stage_index, 15);
             EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 3u);
             EXPECT_EQ(g_game_state_record.word[GS_RESUME], 1u);
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("map menu row " + std::to_string(&r - rows));
        seen = {};
        set_up_row(r.zoom);
        if (r.before) r.before();
        std::vector<Step> s = {through_banner(2), open_map_menu(), choose(r.entry)};
        s.insert(s.end(), r.after.begin(), r.after.end());
        play(s);
        EXPECT_EQ(run_turns(0), r.result);
        EXPECT_EQ(stalled_at(), "");
        r.check();
        fresh_machine();
    }
}

TEST_F(MapMenusTest, EveryUnitCommandByClicks) {
    Seen seen;
    UnitRecord& leader = g_units[0];
    UnitRecord& partner = g_units[1];
    const UnitRecord& far = g_units[FAR_SLOT];
    const int far_distance = 13;  // from the leader
    // The leader in the command menu: every command is offered.
    const std::string all = "0234568";

    struct Row {
        int command;
        std::function<void()> before;
        std::vector<Step> after;  // the steps after the command is clicked
        std::function<void()> check;
    };
    const Row rows[] = {
        // Walks two cells up, then ends its action there.
        {CMD_ACT,
         nullptr,
         {{"the movement range", [this] { return since_step() > 100 && g_menu_chip_set == 0 && map_marked(); },
           [this] { click_cell(SITE_X, SITE_Y - 2); }},
          {"the attack ring",
           [&] {
               return leader.x == SITE_X && leader.y == SITE_Y - 2 &&
                      (g_occupancy.cells[(SITE_Y - 2) * MAP_SIDE + SITE_X] & (OCC_MARK_A | OCC_MARK_B)) != 0;
           },
           [this] { click_cell(SITE_X, SITE_Y - 2); }},
          record("the action's end", [] {})},
         [&] {
             EXPECT_EQ(leader.x, SITE_X);
             EXPECT_EQ(leader.y, SITE_Y - 2);
             EXPECT_EQ(leader.acted, 1);
             EXPECT_EQ(g_occupancy.cells[(SITE_Y - 2) * MAP_SIDE + SITE_X], 1);
             EXPECT_EQ(g_occupancy.cells[SITE_Y * MAP_SIDE + SITE_X], 0);
             EXPECT_FALSE(any_marks());
         }},
        // Charges, then is offered only what an acted unit may do.
        {CMD_CHARGE,
         nullptr,
         {{"the charge message", [&] { return leader.charged == 1 && drawn_at("힘을 모으고 있다.").has_value(); },
           [&] {
               seen.named = drawn_at(unit_display_name(&leader.stats), 7).has_value();
               click_strip();
           }},
          click_leader(),
          command_menu(&seen.offered_again, CMD_WEAPON),
          {"the menu cancelled", [] { return true; }, [this] { rtap(320, 200); }},
          record("the map", [] {})},
         [&] {
             EXPECT_EQ(leader.charged, 1);
             EXPECT_EQ(leader.acted, 1);
             EXPECT_TRUE(seen.named);
             EXPECT_EQ(seen.offered_again, "34568");
         }},
        // The shop sells the stage's stock.
        {CMD_SHOP,
         nullptr,
         {items_listed("the shop's stock", 32, 3, &seen.listed, [this] { rtap(320, 200); }),
          pointer_off_view("back on the map", [] { return g_music_track != 13; }),
          record("the view", [&] { seen.fresh = view_shows_map(); })},
         [&] {
             EXPECT_EQ(seen.listed, (std::vector<int>{1, 5, 0, 0}));
             EXPECT_EQ(count_messages(576), 1);
             EXPECT_TRUE(music_opened(13));
             EXPECT_TRUE(seen.fresh);
         }},
        // The slot menu lists the leader's items; the spare is equipped.
        {CMD_WEAPON,
         nullptr,
         {items_listed("the slot list", 32, 4, &seen.listed, [this] { tap(400, 5 * 20 + 10); }),
          {"the offer", [] { return drawn_at("장비한다").has_value(); }, [this] { click_text("장비한다"); }},
          {"the spare equipped", [&] { return leader.stats.weapon == LEADER_SPARE; }, [this] { rtap(320, 200); }},
          record("the map", [] {})},
         [&] {
             EXPECT_EQ(seen.listed, (std::vector<int>{LEADER_WEAPON, LEADER_SPARE, 0, 0}));
             EXPECT_EQ(count_messages(568), 1);
             EXPECT_EQ(leader.stats.weapon, LEADER_SPARE);
             EXPECT_EQ(leader.equipped_slot, 1);
         }},
        // A herb from the bag heals the leader by 40.
        {CMD_ITEM,
         [&] { leader.stats.hp = 50; },
         {{"the bag", [] { return item_listed_at(17, 4) == 1; },
           [&] {
               seen.hp = leader.stats.hp;
               tap(300, 4 * 20 + 10);
           }},
          choose("  쓴  다  "),
          after_messages("healed",
                         [&] { return leader.stats.hp != seen.hp && !message_waits() && since_step() > 100; }),
          record("the map", [] {})},
         [&] {
             EXPECT_EQ(leader.stats.hp, seen.hp + 40);
             EXPECT_EQ(g_bag[0].item_id, 1);
             EXPECT_EQ(g_bag[0].count, 2);
         }},
        // The spare goes to the partner's empty second slot.
        {CMD_EXCHANGE,
         nullptr,
         {{"the partner pick",
           [] { return g_exchange_marking == 1 && drawn_at("유닛을 선택해 주십시오.").has_value(); },
           [this] { click_cell(SITE_X + 1, SITE_Y); }},
          after_messages(
              "the exchange screen", [&] { return text_shown_at(26, 3, unit_display_name(&leader.stats), 7); },
              [this] { tap(300, (1 + 4) * 20 + 10); }),
          {"the spare chosen", [] { return text_shown_at(26, 5, g_items[LEADER_SPARE].name, 6); },
           [this] { tap(300, (1 + 13) * 20 + 10); }},
          {"the spare handed over", [&] { return partner.items[1] == LEADER_SPARE; }, [this] { rtap(320, 200); }},
          record("the map", [] {})},
         [&] {
             EXPECT_EQ(leader.items[0], LEADER_WEAPON);
             EXPECT_EQ(leader.items[1], 0);
             EXPECT_EQ(partner.items[0], PARTNER_WEAPON);
             EXPECT_EQ(partner.items[1], LEADER_SPARE);
             EXPECT_EQ(count_messages(567), 1);
         }},
        // The party gathers around the leader.
        {CMD_GATHER,
         nullptr,
         {answer("집합시키겠습니까? { 예 } { 아니오 }", 0),
          {"the party gathered", [&] { return far.acted == 1 && g_cursor_shape == 0 && since_step() > 100; }, nullptr}},
         [&] {
             EXPECT_EQ(far.acted, 1);
             EXPECT_LT(map_manhattan_distance(far.x, far.y, SITE_X, SITE_Y), far_distance);
             EXPECT_EQ(g_occupancy.cells[(SITE_Y - 5) * MAP_SIDE + SITE_X - 8], 0);
             EXPECT_EQ(leader.acted, 0);
         }},
    };
    for (const Row& r : rows) {
        const char* entry = g_command_names[static_cast<size_t>(r.command)];
        SCOPED_TRACE("command " + std::to_string(r.command));
        seen = {};
        set_up_row(1);
        ASSERT_EQ(map_manhattan_distance(far.x, far.y, SITE_X, SITE_Y), far_distance);
        if (r.before) r.before();
        std::vector<Step> s = {through_banner(2), click_leader(), command_menu(&seen.offered), choose(entry)};
        s.insert(s.end(), r.after.begin(), r.after.end());
        play(s);
        run_turns(0);
        EXPECT_EQ(stalled_at(), "");
        EXPECT_EQ(seen.offered, all);
        r.check();
        fresh_machine();
    }
}

}  // namespace
