// System menu and settings, driven by scripted clicks.
#include "tactics/settings.h"

#include "tactics/save.h"
#include "tests/loop_fixture.h"

namespace {

// Middle of a choice's hit rect: row r of the dialog, choice starting at column c.
int choice_y(int r) { return (6 + 2 * r) * 20 + 10; }

}  // namespace

class SettingsTest : public LoopTest {
protected:
    TempDir folder;
    void SetUp() override {
        LoopTest::SetUp();
        use_program_folder(folder);
        g_opt_move_anim = g_opt_battle_real = g_opt_side_marks = 1;
        g_opt_battle_speed = 3;
        g_stage_index = 0;
        load_first_stage();
        map_set_zoom(1);
        map_redraw_view();
    }
    // Runs a script of poll steps: at step n, f(n).
    void script(std::function<void(int)> f) {
        auto step = std::make_shared<int>(0);
        start_polling([f, step] { f(++*step); });
    }
};

TEST_F(SettingsTest, RowsToggleTheFourDisplayOptions) {
    g_music_device = 4;
    g_game_opt4 = 6;
    std::vector<std::string> seen;
    auto expect = [&](bool ok, const char* what) {
        if (!ok) seen.push_back(what);
    };
    script([&](int n) {
        if (n == 10) {
            expect(text_shown(38, 6, "고속모드", 5) && text_shown(52, 6, "리얼모드", 15), "first row at start");
            expect(text_shown(38, 10, "고속모드", 5) && text_shown(52, 10, "보통모드", 15), "speed row at start");
            expect(text_shown(38, 12, "표시 안 한다", 5) && text_shown(56, 12, "표시한다", 15), "marks row at start");
            click_view(300, choice_y(0));  // 이동화면: 고속모드
        }
        if (n == 20) {
            expect(text_shown(38, 6, "고속모드", 15) && text_shown(52, 6, "리얼모드", 5), "first row after a click");
            click_view(300, choice_y(1));  // 전투화면: 간이모드
        }
        if (n == 30) click_view(300, choice_y(2));  // 고속모드
        if (n == 40) {
            expect(g_opt_battle_speed == 0, "fast stores 0");
            click_view(390, choice_y(2));  // between the two choices: nothing
        }
        if (n == 50) {
            expect(g_opt_battle_speed == 0, "no choice between");
            click_view(420, choice_y(2));  // 보통모드
        }
        if (n == 60) {
            expect(g_opt_battle_speed == 3, "normal stores 3");
            click_view(420, choice_y(2));  // the same choice again
        }
        if (n == 70) {
            expect(text_shown(52, 10, "보통모드", 15) && text_shown(38, 10, "고속모드", 5), "speed row redrawn");
            click_view(300, choice_y(3));  // 표시 안 한다
        }
        if (n == 80) rclick_view(300, 300);
    });
    menu_settings_dialog();
    polling = false;
    EXPECT_TRUE(seen.empty()) << seen.front();
    EXPECT_EQ(g_opt_move_anim, 0);
    EXPECT_EQ(g_opt_battle_real, 0);
    EXPECT_EQ(g_opt_battle_speed, 3);
    EXPECT_EQ(g_opt_side_marks, 0);
    EXPECT_EQ(g_game_state_record.word[GS_MUSIC_DEVICE], 4u);
    EXPECT_EQ(g_game_state_record.word[GS_OPT4], 6u);
    // The map is drawn over the dialog again.
    EXPECT_FALSE(text_shown(12, 6, "이동화면", 6));
}

TEST_F(SettingsTest, AnOptionValueWithoutAChoiceShowsNothingChosen) {
    g_opt_battle_speed = 1;  // as a save may carry it
    bool none = false;
    script([&](int n) {
        if (n == 10) {
            none = text_shown(38, 10, "고속모드", 5) && text_shown(52, 10, "보통모드", 5);
            click_view(420, choice_y(2));
        }
        if (n == 20) rclick_view(300, 300);
    });
    menu_settings_dialog();
    polling = false;
    EXPECT_TRUE(none);
    EXPECT_EQ(g_opt_battle_speed, 3);
}

TEST_F(SettingsTest, SystemMenuQuitLoadAndCancel) {
    // The list opens at the pointer: column 80 / 8 + 2, row 100 / 20.
    auto entry_y = [](int i) { return (5 + i) * 20 + 10; };
    struct Case {
        const char* what;
        std::function<void(int)> steps;
        int result;
    };
    const Case cases[] = {
        {"cancelled",
         [&](int n) {
             if (n == 10) rclick_view(300, 300);
         },
         0},
        {"quit, yes",
         [&](int n) {
             if (n == 10) click_view(120, entry_y(3));
             if (n == 30) click_view(392, 190);  // "{ 예 }"
         },
         1},
        {"quit, no",
         [&](int n) {
             if (n == 10) click_view(120, entry_y(3));
             if (n == 30) click_view(440, 190);  // "{ 아니오 }"
         },
         0},
        {"load cancelled",
         [&](int n) {
             if (n == 10) click_view(120, entry_y(0));
             if (n == 40) rclick_view(300, 300);
         },
         0},
    };
    for (const Case& c : cases) {
        g_stage_end = 0;
        Palette16 base{};
        base.colour[3][1] = 9;
        gfx_set_scene_palettes(&base, nullptr, &g_scene_palette);
        win_set_mouse_pos(80, 100);
        script(c.steps);
        EXPECT_EQ(menu_system_menu(), c.result) << c.what;
        polling = false;
        EXPECT_EQ(g_stage_end, 0) << c.what;
        EXPECT_EQ(std::memcmp(&g_scene_base_palette, &base, sizeof base), 0) << c.what;
        EXPECT_EQ(g_colour_cycle_block, 0) << c.what;
    }

    // A save in slot 0, then loaded from the menu: the stage ends.
    ASSERT_EQ(save_save_game(0), 1);
    win_set_mouse_pos(80, 100);
    script([&](int n) {
        if (n == 10) click_view(120, entry_y(0));
        if (n >= 40) click_view(300, 70);  // row of slot 0
    });
    EXPECT_EQ(menu_system_menu(), 1);
    polling = false;
    EXPECT_EQ(g_stage_end, 1);
}
