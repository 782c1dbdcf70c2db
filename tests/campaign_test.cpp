// The whole campaign on the headless machine, through the shell's scene
// messages: from the title's new game every stage 1 to 40 is started, won
// and handed over to the next, until the ending has run and the title shows
// again. A stage is won by a test shortcut through the game's own entries:
// the acting unit is put on the stage's goal cell (or next to its boss) and
// the unit-moved hook is asked as the act command asks it; a boss, brought
// down to 1 HP, is fought with the attack command; on the two stages won by
// clearing the field, the other enemies are taken away first. The first
// stage of every chapter is saved, changed, and loaded back through the
// system menu before it is won.
//
// The campaign runs in five parts, one a chapter, that can run side by side:
// each later part starts from the party its chapter is handed, and each part
// checks the party at every hand-over it crosses: the party as the last stage
// of a chapter left it is the party the next chapter starts with.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "platform/input.h"
#include "platform/menu.h"
#include "platform/shell.h"
#include "story/hooks.h"
#include "story/title.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/save.h"
#include "tactics/turn.h"
#include "tests/loop_fixture.h"

namespace {

struct Goal {
    int stage, x, y;
};
// Stages won on a cell (stage 1: the gate row, with the escort near).
const Goal kGoals[] = {{1, 19, 1},  {2, 37, 17}, {3, 34, 4},  {5, 36, 15}, {7, 24, 0},
                       {12, 12, 1}, {21, 19, 3}, {22, 24, 0}, {23, 4, 6},  {26, 29, 26},
                       {31, 36, 8}, {32, 31, 4}, {33, 8, 1},  {34, 20, 0}, {35, 10, 19}};
// Stages won when the last counted enemy falls.
const int kClearTheField[] = {11, 24};

const Goal* goal_of(int stage) {
    for (const Goal& g : kGoals)
        if (g.stage == stage) return &g;
    return nullptr;
}

bool in_use(const UnitRecord* u) { return u && u->number != 0; }

// The fields of a party record that a hand-over carries and a stage's
// placement leaves alone.
bool same_member(const UnitRecord& a, const UnitRecord& b) {
    UnitStats sa = a.stats, sb = b.stats;
    sa.hp = sb.hp = 0;
    return a.number == b.number && a.equipped_slot == b.equipped_slot && a.victories == b.victories &&
           std::memcmp(a.items, b.items, sizeof a.items) == 0 && std::memcmp(&sa, &sb, sizeof sa) == 0;
}

}  // namespace

class CampaignTest : public LoopTest {
protected:
    TempDir saves;
    enum class Mode { Title, Play, Load };
    Mode mode = Mode::Play;
    bool busy = false;     // a shortcut's flow runs; polls only answer its waits
    int last_chapter = 0;  // the part ends when this chapter starts (6: back at the title)
    bool ending_seen = false;
    std::vector<int> stages;  // stage numbers in the order they started
    std::vector<int> won;     // stage numbers in the order the shortcut ended them
    std::vector<int> handed;  // chapters whose start restored the party handed to them
    int attempts = 0;
    int load_step = 0;
    uint32_t since = 0;
    uint32_t gold_saved = 0;
    std::vector<UnitRecord> party_saved;
    std::vector<int> loaded;  // stage numbers saved and loaded back
    bool done = false;
    // The party, bag and gold as the last stage of a chapter left them.
    std::vector<UnitRecord> party_at_end;
    BagEntry bag_at_end[BAG_ENTRIES]{};
    uint32_t gold_at_end = 0;

    void SetUp() override {
        LoopTest::SetUp();
        // The saves lie beside the program: a folder of their own.
        std::filesystem::create_symlink(std::filesystem::path(ROWEN_KIT_DIR) / "k.fnt", saves.path / "k.fnt");
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", saves.str().c_str());
        g_opening_pending = 0;
        g_logo_shown = 1;
        poll_period = 50;
    }

    // The party that the earlier chapters hand to chapter `chapter`, as the
    // story leaves it: the characters who joined on the earlier stages
    // (character 11 became 6 at the end of stage 15), with the classes the
    // earlier scenes gave them.
    static void hand_over_to(int chapter) {
        g_units = {};
        const int late = chapter >= 4;
        const int classes[13] = {0, 0, late ? 3 : 2, 4, 6, 8, 13, 10, 11, 0, 0, 0, 53};
        const std::vector<int> joined = chapter == 2   ? std::vector<int>{1, 2, 12}
                                        : chapter == 3 ? std::vector<int>{1, 2, 3, 4, 5, 6, 12}
                                                       : std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 12};
        int slot = 0;
        for (int ch : joined) {
            UnitRecord& u = g_units[static_cast<size_t>(slot)];
            u.number = static_cast<int16_t>(slot + 1);
            u.status = 100;
            u.equipped_slot = 0;
            u.items[0] = 38;
            u.victories = static_cast<uint16_t>(ch);
            u.stats = MapTest::stats(ch, classes[ch], 0, 60 + ch);
            u.stats.level = static_cast<int16_t>(8 + 2 * chapter);
            u.stats.attack = 20;
            u.stats.defence = 12;
            ++slot;
        }
        g_bag = {};
        g_bag[0] = {1, 3};
        g_gold = static_cast<uint32_t>(500 * chapter);
        g_zoom = 1;
        g_opt_move_anim = g_opt_battle_real = g_opt_side_marks = 1;
        g_opt_battle_speed = 3;
        turn_write_hand_over();
        g_units = {};
        g_bag = {};
        g_gold = 0;
        g_module_index = chapter;
        g_chapter = static_cast<uint32_t>(chapter);
        g_game_state_record.word[GS_CHAPTER] = static_cast<uint32_t>(chapter);
    }

    // Runs the shell from a scene message until the part ends.
    void run(uint32_t message, int until_chapter) {
        last_chapter = until_chapter;
        start_polling([this] { poll(); });
        at(3u * 3600u * 1000u, HeadlessKind::End);  // a stuck flow fails rather than hangs
        sys_post_message(g_hwnd_game, message, 0, 0);
        SysMsg m;
        while (sys_get_message(&m)) {
            try {
                sys_dispatch(&m);
            } catch (const WinQuit&) {
            }
        }
        polling = false;
        EXPECT_TRUE(done) << "the part did not reach its end; last stage " << g_stage_index + 1;
    }

    // Every poll: answers waits with a right click (the player phase then
    // opens the map command menu), and once that menu is open runs the
    // stage's next step from inside it.
    void poll() {
        if (done) return;
        const int32_t stage = g_stage_index + 1;
        // A stage has started once the chapter that plays it runs (the game
        // loop counts on to the next chapter's stage before it hands over).
        if (stage >= 1 && stage <= GAME_STAGES && static_cast<int>(g_chapter) == scn_chapter_of_stage(stage - 1) &&
            (stages.empty() || stages.back() != stage))
            stage_started(stage);
        if (mode == Mode::Title) {
            if (g_chapter != 0) {
                mode = Mode::Play;
            } else {
                at(5, HeadlessKind::Click, 320, 350);  // "처음 부터", row 15 of the title's view
                return;
            }
        }
        if (last_chapter == 6 && ending_seen && g_chapter == 0 && g_menu_chip_set == 1) {
            done = true;  // the title menu after the ending
            end_soon();
            return;
        }
        if (mode == Mode::Load && load_step > 0 && load_step < 3) {
            load_steps();
            return;
        }
        const bool map_menu = g_chapter >= 1 && g_chapter <= 5 && g_menu_chip_set == 1 && g_stage_end == 0 &&
                              g_enemy_phase == 0 && stage >= 1 && stage <= GAME_STAGES;
        if (busy || !map_menu) {
            rclick_view(200, 100, 0);
            return;
        }
        busy = true;
        if (mode == Mode::Load) {
            check_loaded();
        } else if (stage == g_chapter_first_stage[g_chapter] + 1 &&
                   std::find(loaded.begin(), loaded.end(), stage) == loaded.end()) {
            save_and_load();
        } else {
            win(stage);
        }
        busy = false;
    }

    void stage_started(int stage) {
        stages.push_back(stage);
        attempts = 0;
        const int chapter = scn_chapter_of_stage(stage - 1);
        if (stage - 1 != g_chapter_first_stage[static_cast<size_t>(chapter)]) return;
        if (chapter >= 2) check_hand_over(chapter);
        if (chapter == last_chapter) {
            done = true;
            end_soon();
        }
    }

    // The chapter's start restored the party it was handed (the records,
    // bag and gold of the hand-over, placed anew), and that is the party the
    // last chapter ended with.
    void check_hand_over(int chapter) {
        ChapterHandOver h;
        std::memcpy(&h, g_save_buffer.data(), sizeof h);
        int members = 0;
        for (int s = 0; s < UNIT_PARTY_SLOTS; ++s) {
            const UnitRecord& live = g_units[static_cast<size_t>(s)];
            EXPECT_TRUE(same_member(h.units[s], live)) << "chapter " << chapter << " slot " << s;
            if (!party_at_end.empty()) {
                EXPECT_TRUE(same_member(party_at_end[static_cast<size_t>(s)], live))
                    << "chapter " << chapter << " slot " << s;
            }
            members += h.units[s].number != 0;
        }
        EXPECT_GE(members, 3) << "chapter " << chapter;
        EXPECT_EQ(std::memcmp(h.bag, g_bag.data(), sizeof h.bag), 0) << "chapter " << chapter;
        EXPECT_EQ(h.gold, g_gold) << "chapter " << chapter;
        if (!party_at_end.empty()) {
            EXPECT_EQ(std::memcmp(bag_at_end, g_bag.data(), sizeof bag_at_end), 0) << "chapter " << chapter;
            EXPECT_EQ(gold_at_end, g_gold) << "chapter " << chapter;
        }
        handed.push_back(chapter);
    }

    // --- the shortcut ---------------------------------------------------------------------

    // Puts a unit's record on a cell and the cell's number on the grid, as a
    // walk leaves them.
    static void put(UnitRecord* u, int x, int y) {
        uint8_t& old_cell = g_occupancy.cells[u->y * MAP_SIDE + u->x];
        if ((old_cell & OCC_UNIT_MASK) == u->number) old_cell = 0;
        u->x = static_cast<int16_t>(x);
        u->y = static_cast<int16_t>(y);
        g_occupancy.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(u->number);
    }
    // A free cell at distance 1 from the target, or 2 for a body of several
    // cells; false when there is none.
    static bool free_cell_near(const UnitRecord* t, int* x, int* y) {
        for (int d = 1; d <= 2; ++d)
            for (int dy = -d; dy <= d; ++dy)
                for (int dx = -d; dx <= d; ++dx) {
                    const int cx = t->x + dx, cy = t->y + dy;
                    if (std::abs(dx) + std::abs(dy) != d || !map_on_map(cx, cy)) continue;
                    if (map_terrain_class_at(cx, cy) == 0 || (g_occupancy.cells[cy * MAP_SIDE + cx] & OCC_UNIT_MASK))
                        continue;
                    *x = cx;
                    *y = cy;
                    return true;
                }
        return false;
    }
    // The enemy to beat: the last enemy's body on the grid, else a boss.
    static UnitRecord* boss() {
        UnitRecord* found = nullptr;
        for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
            UnitRecord& u = g_units[static_cast<size_t>(s)];
            if (!in_use(&u) || u.stats.hp <= 0 || (u.stats.ai_mode != 1 && u.stats.ai_mode != 2)) continue;
            const bool on_grid = (g_occupancy.cells[u.y * MAP_SIDE + u.x] & OCC_UNIT_MASK) == u.number;
            if (!on_grid) continue;
            if (!found || u.stats.char_id == 28) found = &u;
        }
        return found;
    }
    // The act command's question after a walk: the unit now stands on (x, y).
    static int32_t moved(UnitRecord* u, int x, int y) {
        const int ox = u->x, oy = u->y;
        put(u, x, y);
        return scn_unit_moved(u, ox, oy);
    }

    void win(int stage) {
        if (++attempts > 4) {
            ADD_FAILURE() << "stage " << stage << " was not won";
            done = true;
            end_soon();
            return;
        }
        UnitRecord* lead = unit_find_by_char_id(1);
        ASSERT_TRUE(in_use(lead)) << "stage " << stage;
        lead->stats.hp = lead->stats.max_hp;
        if (const Goal* g = goal_of(stage)) {
            if (stage == 1) put(unit_find_by_char_id(12), 19, 2);  // the escort close by
            EXPECT_EQ(moved(lead, g->x, g->y), 1) << "stage " << stage;
        } else {
            UnitRecord* target = nullptr;
            if (std::find(std::begin(kClearTheField), std::end(kClearTheField), stage) != std::end(kClearTheField)) {
                // Every enemy but the first counted one is taken away.
                for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
                    UnitRecord& u = g_units[static_cast<size_t>(s)];
                    if (!in_use(&u)) continue;
                    if (!target && u.stats.ai_mode != 16 && u.stats.ai_mode != 19)
                        target = &u;
                    else
                        map_move_unit_step(&u, 6);
                }
            } else {
                target = boss();
            }
            ASSERT_NE(target, nullptr) << "stage " << stage;
            int x = 0, y = 0;
            ASSERT_TRUE(free_cell_near(target, &x, &y)) << "stage " << stage;
            // The walk next to it (the unit-moved events may change the
            // field), then the attack on it with 1 HP left.
            moved(lead, x, y);
            if (!g_stage_end) {
                if (!in_use(target) || target->stats.ai_mode < 1) target = boss();
                ASSERT_NE(target, nullptr) << "stage " << stage;
                ASSERT_TRUE(free_cell_near(target, &x, &y)) << "stage " << stage;
                put(lead, x, y);
                lead->stats.hp = lead->stats.max_hp;
                lead->acted = 0;
                target->stats.hp = 1;
                btl_attack_command(lead, target);
            }
        }
        if (!g_stage_end) return;
        won.push_back(stage);
        if (stage == GAME_STAGES) ending_seen = count_messages(75) == 1;
        // The last stage of its chapter (stage numbers count from 1, indexes from 0).
        if (scn_part_of_stage(stage) != scn_part_of_stage(stage - 1)) {
            party_at_end.assign(g_units.begin(), g_units.begin() + UNIT_PARTY_SLOTS);
            std::memcpy(bag_at_end, g_bag.data(), sizeof bag_at_end);
            gold_at_end = g_gold;
        }
    }

    // --- save and load -------------------------------------------------------------------

    // Saves the stage, changes the gold and a member, then loads it back
    // through the system menu: " 시스템 " is the sixth entry of the map
    // command menu opened at view (200,100), rows 5..10.
    void save_and_load() {
        ASSERT_EQ(save_save_game(0), 1);
        gold_saved = g_gold;
        party_saved.assign(g_units.begin(), g_units.begin() + UNIT_PARTY_SLOTS);
        g_gold += 4321;
        g_units[0].stats.exp = static_cast<int16_t>(g_units[0].stats.exp + 7);
        mode = Mode::Load;
        load_step = 1;
        since = sys_headless_clock();
        click_view(250, 210, 0);
    }
    void load_steps() {
        const uint32_t now = sys_headless_clock();
        if (load_step == 1 && now - since > 400) {
            // The system menu opens at the pointer, rows 10..13: load first.
            click_view(290, 210, 0);
            load_step = 2;
            since = now;
        } else if (load_step == 2 && now - since > 800) {
            if (g_stage_end) {
                load_step = 3;
                return;
            }
            click_view(300, 70, 0);  // the chooser's row of slot 0
        }
    }
    // The stage resumed from its save: the change is gone.
    void check_loaded() {
        EXPECT_EQ(g_gold, gold_saved) << "stage " << g_stage_index + 1;
        for (int s = 0; s < UNIT_PARTY_SLOTS; ++s)
            EXPECT_EQ(
                std::memcmp(&g_units[static_cast<size_t>(s)], &party_saved[static_cast<size_t>(s)], sizeof(UnitRecord)),
                0)
                << "stage " << g_stage_index + 1 << " slot " << s;
        loaded.push_back(g_stage_index + 1);
        mode = Mode::Play;
        load_step = 0;
    }

    static std::vector<int> range(int first, int last) {
        std::vector<int> v;
        for (int s = first; s <= last; ++s) v.push_back(s);
        return v;
    }
};

TEST_F(CampaignTest, ChapterOneFromANewGame) {
    mode = Mode::Title;
    run(MSG_SCENE_TITLE, 2);
    EXPECT_EQ(stages, range(1, 2));
    EXPECT_EQ(won, range(1, 1));
    EXPECT_EQ(handed, (std::vector<int>{2}));
    EXPECT_EQ(loaded, (std::vector<int>{1}));
}

TEST_F(CampaignTest, ChapterTwo) {
    hand_over_to(2);
    run(MSG_SCENE_GAME, 3);
    EXPECT_EQ(stages, range(2, 16));
    EXPECT_EQ(won, range(2, 15));
    EXPECT_EQ(handed, (std::vector<int>{2, 3}));
    EXPECT_EQ(loaded, (std::vector<int>{2}));
}

TEST_F(CampaignTest, ChapterThree) {
    hand_over_to(3);
    run(MSG_SCENE_GAME, 4);
    EXPECT_EQ(stages, range(16, 22));
    EXPECT_EQ(won, range(16, 21));
    EXPECT_EQ(handed, (std::vector<int>{3, 4}));
    EXPECT_EQ(loaded, (std::vector<int>{16}));
}

TEST_F(CampaignTest, ChapterFour) {
    hand_over_to(4);
    run(MSG_SCENE_GAME, 5);
    EXPECT_EQ(stages, range(22, 34));
    EXPECT_EQ(won, range(22, 33));
    EXPECT_EQ(handed, (std::vector<int>{4, 5}));
    EXPECT_EQ(loaded, (std::vector<int>{22}));
}

TEST_F(CampaignTest, ChapterFiveToTheEndingAndBackToTheTitle) {
    hand_over_to(5);
    run(MSG_SCENE_GAME, 6);
    EXPECT_EQ(stages, range(34, 40));
    EXPECT_EQ(won, range(34, 40));
    EXPECT_EQ(handed, (std::vector<int>{5}));
    EXPECT_EQ(loaded, (std::vector<int>{34}));
    EXPECT_TRUE(ending_seen);
    // The game loop went past the last stage, handed the party over as it
    // stood, and the shell ran the title.
    ChapterHandOver h;
    std::memcpy(&h, g_save_buffer.data(), sizeof h);
    for (int s = 0; s < UNIT_PARTY_SLOTS; ++s)
        EXPECT_TRUE(same_member(h.units[s], party_at_end[static_cast<size_t>(s)]));
    EXPECT_EQ(g_last_stage, GAME_STAGES);
    EXPECT_EQ(g_chapter, 0u);
    EXPECT_TRUE(music_opened(19));
}
