// Game loop: whole chapters from the first stage, the hand-over between
// chapters, the last stage, the game over and the resume of a loaded game.
#include "tactics/game.h"

#include <filesystem>
#include <set>

#include "platform/draw.h"
#include "story/hooks.h"
#include "sys/sys.h"
#include "tests/click_fixture.h"

namespace {

std::string card(int stage) {
    return "*Stage" + std::to_string(stage + 1) + ":" + g_stage_names[static_cast<size_t>(stage)];
}

}  // namespace

class GameTest : public LoopTest {
protected:
    TempDir pictures;

    static bool at_cell(int char_id, int x, int y) {
        const UnitRecord* u = unit_find_by_char_id(char_id);
        return u && u->x == x && u->y == y && (g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK) == u->number;
    }

    void SetUp() override {
        LoopTest::SetUp();
        g_module_index = 0;
        g_chapter = 1;
        g_game_state_record.word[GS_CHAPTER] = 1;
    }
    // The kit's pictures with a game-over picture where the kit has none.
    void use_pictures_with_game_over() {
        namespace fs = std::filesystem;
        const fs::path from = fs::path(ROWEN_KIT_DIR) / "bmp";
        const fs::path to = pictures.path / "bmp";
        fs::create_directories(to);
        bool has_game_over = false;
        for (const auto& e : fs::directory_iterator(from)) {
            fs::copy_file(e.path(), to / e.path().filename());
            std::string n = e.path().filename().string();
            for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            has_game_over |= n == "gameover.bmp";
        }
        if (!has_game_over) fs::copy_file(from / "Presents.bmp", to / "gameover.BMP");
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\bmp\\", pictures.str().c_str());
    }
    // Every poll right-clicks (ending the intro, card and banner waits and
    // refusing the save prompt) and ends each stage while its card shows.
    void clear_every_stage(std::set<int>* cards_seen) {
        start_polling([this, cards_seen] {
            if (g_stage_index >= 0 && g_stage_index < GAME_STAGES && !g_stage_end &&
                window_shown(card(g_stage_index).c_str())) {
                cards_seen->insert(g_stage_index);
                g_stage_end = 1;
            }
            rclick_view(300, 300, 0);
        });
        poll_period = 50;
    }
};

TEST_F(GameTest, WholeFlowOfTheFirstTurnOfChapter1) {
    int step = 0;
    MenuTurnEnd turn_end;
    bool card_seen = false, banner_seen = false, enemy_banner_seen = false, turn2_seen = false;
    int card_view_x = -1, card_view_y = -1;
    std::array<std::pair<int, int>, UNIT_PARTY_SLOTS> party_at_phase{};
    start_polling([&] {
        const uint32_t now = sys_headless_clock();
        switch (step) {
            case 0:
                if (window_shown("*Stage1:도피행")) {
                    card_seen = true;
                    card_view_x = g_view_x;
                    card_view_y = g_view_y;
                    click_view(300, 300);
                    step = 1;
                } else {
                    click_view(300, 300, 0);  // the prologue's messages
                }
                break;
            case 1:
                if (window_shown("*턴1：쿠시나일행의 행동")) {
                    banner_seen = true;
                    click_view(300, 300);
                    step = 2;
                    turn_end.since = now;
                } else {
                    click_view(300, 300, 0);  // the first turn's message
                }
                break;
            case 2:
                if (end_turn_by_menu(turn_end)) step = 5;
                break;
            case 5:
                if (g_enemy_phase == 1 && window_shown("*적의 행동")) {
                    enemy_banner_seen = true;
                    for (int s = 0; s < UNIT_PARTY_SLOTS; ++s)
                        party_at_phase[static_cast<size_t>(s)] = {g_units[static_cast<size_t>(s)].x,
                                                                  g_units[static_cast<size_t>(s)].y};
                    click_view(300, 300);
                    step = 6;
                }
                break;
            case 6:
                if (g_turn == 1 && window_shown("*턴2：쿠시나일행의 행동")) {
                    turn2_seen = true;
                    end_soon();
                }
                break;
            default: break;
        }
    });
    at(120000, HeadlessKind::End);
    EXPECT_TRUE(ends_by_quit([] { turn_run_game(); }));

    // A new game after the title (stage index -1) plays chapter 1 from stage 1.
    EXPECT_EQ(g_chapter, 1u);
    EXPECT_EQ(g_module_index, 1);
    EXPECT_EQ(g_stage_index, 0);
    EXPECT_TRUE(music_opened(g_stage_music[0]));
    EXPECT_EQ(g_sfx_enabled, 1);
    EXPECT_TRUE(card_seen);
    EXPECT_TRUE(banner_seen);
    EXPECT_TRUE(turn_end.menu_seen);
    EXPECT_TRUE(enemy_banner_seen);
    EXPECT_TRUE(turn2_seen);
    // The intro scroll came back from the enemies to the party's first unit.
    const UnitRecord* lead = unit_find_by_char_id(CHAR_LEADER);
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(card_view_x, centred_origin(lead->x, 19, map_width()));
    EXPECT_EQ(card_view_y, centred_origin(lead->y, 12, map_height()));
    // After the enemy phase every enemy stands on a cell that holds its
    // number, and no party unit was moved by it.
    int enemies = 0;
    for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number == 0 || u.stats.hp == 0 || u.stats.ai_mode == AI_MODE_IDLE) continue;
        ++enemies;
        EXPECT_EQ(g_occupancy.cells[u.y * MAP_SIDE + u.x] & OCC_UNIT_MASK, u.number) << "slot " << s;
    }
    EXPECT_GT(enemies, 0);
    for (int s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        EXPECT_EQ(u.x, party_at_phase[static_cast<size_t>(s)].first) << "slot " << s;
        EXPECT_EQ(u.y, party_at_phase[static_cast<size_t>(s)].second) << "slot " << s;
    }
}

TEST_F(GameTest, HandOverIsWrittenOnAChapterChangeAndRestoredByteForByte) {
    std::set<int> cards;
    clear_every_stage(&cards);
    auto inner = on_poll;
    on_poll = [&, inner] {
        // The party's bag, gold and options, set once the stage runs (after
        // the prologue, whose cut-scenes keep and restore the options).
        if (g_stage_index == 0 && g_gold == 0 && window_shown(card(0).c_str())) {
            g_bag[0] = {1, 4};
            g_bag[3] = {5, 2};
            g_gold = 1234;
            g_opt_move_anim = 0;
            g_opt_battle_real = 0;
            g_opt_side_marks = 0;
            g_opt_battle_speed = 0;
        }
        inner();
    };
    EXPECT_EQ(turn_run_game(), 2);
    EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 2u);
    EXPECT_EQ(g_module_index, 2);
    EXPECT_EQ(g_stage_index, 1);
    EXPECT_EQ(g_last_stage, 1);
    EXPECT_EQ(cards, std::set<int>{0});

    ChapterHandOver written;
    std::memcpy(&written, g_save_buffer.data(), sizeof written);
    EXPECT_EQ(std::memcmp(written.units, g_units.data(), sizeof written.units), 0);
    EXPECT_EQ(std::memcmp(written.bag, g_bag.data(), sizeof written.bag), 0);
    EXPECT_EQ(written.gold, 1234u);
    EXPECT_EQ(written.zoom, 1u);
    EXPECT_EQ(written.move_anim, 0u);
    EXPECT_EQ(written.battle_real, 0u);
    EXPECT_EQ(written.side_marks, 0u);
    EXPECT_EQ(written.battle_speed, 0u);
    int party = 0;
    for (const UnitRecord& u : written.units) party += u.number != 0;
    EXPECT_EQ(party, 3);

    // The shell runs chapter 2 next; the live state has moved on meanwhile.
    g_chapter = 2;
    g_units = {};
    g_bag = {};
    g_gold = 7;
    g_opt_move_anim = g_opt_battle_real = g_opt_side_marks = 1;
    g_opt_battle_speed = 3;
    polling = false;
    bool checked = false;
    start_polling([&] {
        if (checked) return;
        if (!window_shown(card(1).c_str())) {
            click_view(300, 300, 0);  // the stage's opening scene
            return;
        }
        checked = true;
        // The units come back whole; stage 2's opening places them anew.
        for (int s = 0; s < 3; ++s) {
            const UnitRecord& was = written.units[s];
            const UnitRecord& now = g_units[static_cast<size_t>(s)];
            EXPECT_EQ(now.number, was.number) << "slot " << s;
            EXPECT_EQ(std::memcmp(&now.stats, &was.stats, sizeof was.stats), 0) << "slot " << s;
            EXPECT_EQ(std::memcmp(now.items, was.items, sizeof was.items), 0) << "slot " << s;
        }
        EXPECT_TRUE(at_cell(1, 4, 17));
        EXPECT_TRUE(at_cell(2, 3, 17));
        EXPECT_EQ(std::memcmp(written.bag, g_bag.data(), sizeof written.bag), 0);
        EXPECT_EQ(g_gold, 1234u);
        EXPECT_EQ(g_opt_move_anim, 0);
        EXPECT_EQ(g_opt_battle_real, 0);
        EXPECT_EQ(g_opt_side_marks, 0);
        EXPECT_EQ(g_opt_battle_speed, 0);
        EXPECT_EQ(g_zoom, 1);
        end_soon();
    });
    at(60000, HeadlessKind::End);
    EXPECT_TRUE(ends_by_quit([] { turn_run_game(); }));
    EXPECT_TRUE(checked);
    EXPECT_EQ(g_chapter, 2u);
}

TEST_F(GameTest, ClearingTheLastStageReturnsToTheTitle) {
    // Chapter 5 with a party handed over from chapter 4.
    ChapterHandOver h{};
    h.units[0].number = 1;
    h.units[0].x = 5;
    h.units[0].y = 5;
    h.units[0].stats = MapTest::stats(CHAR_LEADER, 1, 0);
    h.units[1].number = 2;
    h.units[1].x = 6;
    h.units[1].y = 5;
    h.units[1].stats = MapTest::stats(CHAR_SECOND_LEADER, 3, 0);
    h.gold = 500;
    h.zoom = 2;
    h.move_anim = h.battle_real = h.side_marks = 1;
    h.battle_speed = 3;
    std::memcpy(g_save_buffer.data(), &h, sizeof h);
    g_module_index = 5;
    g_chapter = 5;

    std::set<int> cards;
    clear_every_stage(&cards);
    at(600000, HeadlessKind::End);
    EXPECT_EQ(turn_run_game(), 0);
    EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 0u);
    EXPECT_EQ(cards, (std::set<int>{33, 34, 35, 36, 37, 38, 39}));
    EXPECT_EQ(g_stage_index, 40);
    EXPECT_EQ(g_last_stage, 40);
    EXPECT_EQ(g_module_index, 6);
    // The hand-over was written on leaving the last stage, at zoom 2.
    ChapterHandOver written;
    std::memcpy(&written, g_save_buffer.data(), sizeof written);
    EXPECT_EQ(std::memcmp(written.units, g_units.data(), sizeof written.units), 0);
    EXPECT_EQ(written.gold, 500u);
    EXPECT_EQ(written.zoom, 2u);
    EXPECT_EQ(g_music_track, -1);
}

TEST_F(GameTest, DefeatShowsTheGameOverAndReturnsToTheTitle) {
    use_pictures_with_game_over();
    int step = 0;
    uint32_t since = 0;
    start_polling([&] {
        const uint32_t now = sys_headless_clock();
        switch (step) {
            case 0:
                if (window_shown("*Stage1:도피행")) {
                    click_view(300, 300);
                    step = 1;
                } else {
                    click_view(300, 300, 0);  // the prologue's messages
                }
                break;
            case 1:
                if (window_shown("*턴1：쿠시나일행의 행동")) {
                    // Both leaders fall; a click on a unit runs the defeat test.
                    unit_find_by_char_id(CHAR_LEADER)->stats.hp = 0;
                    unit_find_by_char_id(CHAR_SECOND_LEADER)->stats.hp = 0;
                    click_view(300, 300);
                    step = 2;
                    since = now;
                } else {
                    click_view(300, 300, 0);  // the first turn's message
                }
                break;
            case 2:
                if (now - since > 200) {
                    const UnitRecord* u = unit_find_by_char_id(CHAR_PAUL);
                    click_view(16 + (u->x - g_view_x) * 32 + 16, (u->y - g_view_y) * 32 + 16);
                    // The unit's command menu opens; a right click closes it.
                    rclick_view(300, 300, 400);
                    step = 3;
                }
                break;
            case 3:
                if (music_opened(14)) {
                    rclick_view(300, 300, 300);
                    step = 4;
                }
                break;
            default: break;
        }
    });
    g_game_state_record.word[GS_CHAPTER] = 1;
    at(120000, HeadlessKind::End);
    EXPECT_EQ(turn_run_game(), 0);
    EXPECT_EQ(step, 4);
    EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 0u);
    EXPECT_EQ(g_music_track, -1);
    EXPECT_EQ(g_fade_running, 0);
}

TEST_F(GameTest, WithoutEnemiesTheIntroViewCentresOnSlot17AndScrollsBack) {
    // The kit's data, with a stage unit file that places no unit on any stage.
    namespace fs = std::filesystem;
    for (const auto& e : fs::directory_iterator(fs::path(ROWEN_KIT_DIR) / "dat"))
        fs::copy_file(e.path(), data.path / "dat" / e.path().filename(), fs::copy_options::overwrite_existing);
    std::vector<uint8_t> unt;
    for (int i = 0; i < GAME_STAGES; ++i) unt.insert(unt.end(), {2 * GAME_STAGES, 0});
    unt.insert(unt.end(), {0, 0});
    write_dat("stage.unt", unt);
    use_temp_data();

    // Chapter 5, with a party handed over that stage 34's placement list
    // does not name, so it stays where it stood: the first unit near the
    // map's top left corner, the one in slot 17 near its bottom right corner.
    ASSERT_EQ(map_load_stage_map(33), 1);
    const int w = map_width(), h = map_height();
    ASSERT_GT(w, 19 + 8);
    ASSERT_GT(h, 12 + 8);
    ChapterHandOver ho{};
    ho.units[0].number = 1;
    ho.units[0].x = 2;
    ho.units[0].y = 2;
    ho.units[0].stats = MapTest::stats(9, 1, 0);
    ho.units[17].number = 18;
    ho.units[17].x = static_cast<int16_t>(w - 3);
    ho.units[17].y = static_cast<int16_t>(h - 3);
    ho.units[17].stats = MapTest::stats(10, 3, 0);
    ho.zoom = 1;
    ho.move_anim = ho.battle_real = ho.side_marks = 1;
    std::memcpy(g_save_buffer.data(), &ho, sizeof ho);
    g_module_index = 5;
    g_chapter = 5;

    int intro_x = -1, intro_y = -1, card_x = -1, card_y = -1;
    start_polling([&] {
        // The farthest view before the card: the intro's.
        if (card_x < 0 && g_stage_index == 33) {
            intro_x = std::max(intro_x, g_view_x);
            intro_y = std::max(intro_y, g_view_y);
        }
        if (card_x < 0 && window_shown(card(33).c_str())) {
            card_x = g_view_x;
            card_y = g_view_y;
            end_soon();
        }
    });
    at(60000, HeadlessKind::End);
    EXPECT_TRUE(ends_by_quit([] { turn_run_game(); }));
    EXPECT_EQ(g_units[18].number, 0);
    EXPECT_EQ(intro_x, centred_origin(w - 3, 19, w));
    EXPECT_EQ(intro_y, centred_origin(h - 3, 12, h));
    EXPECT_EQ(card_x, 0);
    EXPECT_EQ(card_y, 0);
}

TEST_F(GameTest, ResumeSkipsTheStageStartAndTheFirstTurnStart) {
    // A loaded game on stage 6 (chapter 2), turn 4, set up as the save
    // leaves it: its own map, units, view and flags.
    g_stage_index = 5;
    ASSERT_EQ(map_load_stage_map(5), 1);
    UnitStats lead = MapTest::stats(CHAR_LEADER, 1, 0), second = MapTest::stats(CHAR_SECOND_LEADER, 3, 0);
    UnitStats enemy = MapTest::stats(10, 35, 7);
    UnitRecord* a = unit_place_new(10, 10, &lead);
    unit_place_new(11, 10, &second);
    unit_place_new(15, 12, &enemy);
    a->acted = 1;
    g_turn = 3;
    g_stage_flags[0] = 7;
    g_zoom = 1;
    g_view_x = 3;
    g_view_y = 4;
    g_module_index = 0;
    g_chapter = 0;
    g_game_state_record.word[GS_RESUME] = 1;
    g_game_state_record.word[GS_CHAPTER] = 2;
    // The save holds that state; the live one differs until it is unpacked.
    SaveFile save;
    save_pack_state(&save);
    std::memcpy(g_save_buffer.data(), &save, sizeof save);
    g_turn = 0;
    g_stage_flags[0] = 0;
    g_view_x = g_view_y = 0;

    bool card_checked = false, banner_checked = false;
    start_polling([&] {
        if (!card_checked && window_shown(card(5).c_str())) {
            card_checked = true;
            EXPECT_EQ(g_chapter, 2u);
            EXPECT_EQ(g_module_index, 2);
            EXPECT_EQ(g_game_state_record.word[GS_RESUME], 0u);
            EXPECT_EQ(g_turn, 3);
            EXPECT_EQ(g_stage_flags[0], 7);
            EXPECT_EQ(g_view_x, 3);
            EXPECT_EQ(g_view_y, 4);
            int in_use = 0;
            for (const UnitRecord& u : g_units) in_use += u.number != 0;
            EXPECT_EQ(in_use, 3);  // nothing loaded from the stage unit file
            click_view(300, 300);
        }
        if (card_checked && !banner_checked && window_shown("*턴4：쿠시나일행의 행동")) {
            banner_checked = true;
            EXPECT_EQ(a->acted, 1);  // the turn start did not run
            end_soon();
        }
    });
    at(60000, HeadlessKind::End);
    EXPECT_TRUE(ends_by_quit([] { turn_run_game(); }));
    EXPECT_TRUE(card_checked);
    EXPECT_TRUE(banner_checked);
}

TEST_F(GameTest, ResumeOfASaveWithoutAStageGoesBackToTheTitle) {
    g_stage_index = 40;
    SaveFile save;
    save_pack_state(&save);
    std::memcpy(g_save_buffer.data(), &save, sizeof save);
    g_stage_index = 3;
    g_game_state_record.word[GS_RESUME] = 1;
    g_game_state_record.word[GS_CHAPTER] = 5;
    EXPECT_EQ(turn_run_game(), 0);
    EXPECT_EQ(g_game_state_record.word[GS_CHAPTER], 0u);
    EXPECT_EQ(memory_errors(), 1u);
}
