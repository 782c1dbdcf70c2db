// Test fixture for the game loop, the turn loop and the chapter hooks: the
// map fixture with the interface sheets loaded, a poll that runs a check
// from inside whatever wait is running, and a test for a card or banner
// window being on the screen.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/menu.h"
#include "platform/screen.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/turn.h"
#include "tests/map_fixture.h"

class LoopTest : public MapTest {
protected:
    std::function<void()> on_poll;
    bool polling = false;
    uint32_t poll_period = 20;

    void SetUp() override {
        options.on_shot = [this](const std::string& name) {
            // The name lives in the script, which a push below may move.
            const bool is_poll = name == "poll";
            if (!is_poll || !polling) return;
            // The next poll is queued first: a check that runs a flow of the
            // game with waits of its own is polled meanwhile (re-entrantly).
            sys_headless_push(poll_event());
            if (on_poll) on_poll();
        };
        MapTest::SetUp();
        gfx_load_ui_sheets();
    }
    void TearDown() override {
        polling = false;
        gfx_free_ui_sheets();
        MapTest::TearDown();
    }

    // A fresh machine after a run that ended by quit (the quit stays
    // posted): the map and interface sheets and the screens freed, the
    // headless machine started again with the interface sheets.
    void fresh_machine() {
        map_free_map_graphics();
        gfx_free_ui_sheets();
        gfx_screens_free();
        sys_shutdown();
        start();
        gfx_load_ui_sheets();
    }

    HeadlessEvent poll_event() const {
        HeadlessEvent e;
        e.at = sys_headless_clock() + poll_period;
        e.kind = HeadlessKind::Shot;
        e.name = "poll";
        return e;
    }
    // Runs f every poll period from now on, inside the running waits.
    void start_polling(std::function<void()> f) {
        on_poll = std::move(f);
        polling = true;
        sys_headless_push(poll_event());
    }

    // Clicks in view coordinates, soon after now (the full-screen window
    // shows view line 0 at client line 48).
    void click_view(int x, int y, uint32_t delay = 5) { at(delay, HeadlessKind::Click, x, y + 48); }
    void rclick_view(int x, int y, uint32_t delay = 5) { at(delay, HeadlessKind::RClick, x, y + 48); }
    // Ends the turn as the player does, one step a poll: 200 ms after
    // start, a right click on the map for its command menu; once the menu
    // is drawn, " 턴 종료 " (its first line, row 10); 400 ms later "예"
    // (columns 48..53 of row 9). True on the poll that clicks "예".
    struct MenuTurnEnd {
        int step = 0;
        uint32_t since = 0;
        bool menu_seen = false;
    };
    bool end_turn_by_menu(MenuTurnEnd& t) {
        const uint32_t now = sys_headless_clock();
        switch (t.step) {
            case 0:
                if (now - t.since > 200) {
                    rclick_view(200, 200);
                    t.step = 1;
                }
                return false;
            case 1:
                if (g_menu_chip_set == 1) {
                    t.menu_seen = true;
                    click_view(250, 210, 50);
                    t.step = 2;
                    t.since = now;
                }
                return false;
            case 2:
                if (now - t.since <= 400) return false;
                click_view(400, 190);
                t.step = 3;
                return true;
            default: return false;
        }
    }
    void end_soon() {
        polling = false;
        at(5, HeadlessKind::End);
    }

    // 1 when text in colour stands at (col, row) of the back image: drawing
    // it again changes no pixel.
    static bool text_shown(int col, int row, const char* text, int colour) {
        std::vector<uint8_t> before(g_back_dib, g_back_dib + SCREEN_DIB_SIZE);
        txt_draw_string(col, row, text, colour);
        const bool same = std::memcmp(before.data(), g_back_dib, SCREEN_DIB_SIZE) == 0;
        std::memcpy(g_back_dib, before.data(), SCREEN_DIB_SIZE);
        return same;
    }
    // A program folder of the test's own, holding the font: the saves and
    // the settings go beside the program.
    static void use_program_folder(const TempDir& folder) {
        std::filesystem::create_symlink(std::filesystem::path(ROWEN_KIT_DIR) / "k.fnt", folder.path / "k.fnt");
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", folder.str().c_str());
    }

    // 1 when the "*" window of text (centred on row 9) is on the back image:
    // drawing it again changes no pixel.
    static bool window_shown(const char* text) {
        std::vector<uint8_t> before(g_back_dib, g_back_dib + SCREEN_DIB_SIZE);
        SavedRect* saved = menu_prompt_keep(-1, 9, text);
        const bool same = saved && saved->w > 0 && std::memcmp(before.data(), g_back_dib, SCREEN_DIB_SIZE) == 0;
        std::memcpy(g_back_dib, before.data(), SCREEN_DIB_SIZE);
        delete saved;
        return same;
    }

    // How many times message id was shown.
    static int count_messages(int id) {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l == "message " + std::to_string(id);
        return n;
    }
    // Answers every click wait from now on with a left click in the middle
    // of the view.
    void keep_clicking() {
        start_polling([this] { click_view(320, 200); });
    }
    static bool music_opened(int track) {
        char name[16];
        std::snprintf(name, sizeof name, "kqm%02d.mid", track);
        for (const auto& l : sys_log_lines())
            if (l.rfind("midi open", 0) == 0 && l.find(name) != std::string::npos) return true;
        return false;
    }
    // Runs f, which must end by the quit that end_soon schedules.
    template <class F>
    static bool ends_by_quit(F f) {
        try {
            f();
        } catch (const WinQuit&) {
            return true;
        }
        return false;
    }
};
