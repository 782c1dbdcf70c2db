// Test fixture for play by clicks through the real turn loop: a stage of the
// kit set up as the game loop sets it up, a party put on ground of known
// terrain, and a session of steps, each of which waits on the polls until
// the screen shows what it needs and then gives the player's input where
// the game drew it.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/menu.h"
#include "platform/screen.h"
#include "platform/text.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/item_fixture.h"
#include "tests/scene_fixture.h"

// The view origin that centres cell v in a view of `cells` cells on a map
// side of `size` cells.
inline int centred_origin(int v, int cells, int size) {
    int o = v - cells / 2;
    if (o > size - cells) o = size - cells;
    return o < 0 ? 0 : o;
}

// Where text drawn in colour stands on the back image: the view position of
// the middle of its glyphs, the first place in reading order where every
// pixel its glyphs set already has that colour.
inline std::optional<ViewPoint> drawn_at(const char* text, int32_t colour = 15) {
    // The glyph pixels of the text, drawn at the left of a band of the image
    // filled with another colour.
    std::vector<uint8_t> band;
    for (int32_t y = 0; y < MENU_ROW_H; ++y) {
        uint8_t* p = gfx_screen_pixel(g_back_dib, 0, y);
        band.insert(band.end(), p, p + SCREEN_W);
        std::memset(p, colour == 0 ? 1 : 0, SCREEN_W);
    }
    const int32_t tx = g_text_x, ty = g_text_y;
    txt_draw_string(0, 0, text, colour);
    g_text_x = tx;
    g_text_y = ty;
    std::vector<std::pair<int32_t, int32_t>> glyph;
    int32_t left = SCREEN_W, right = 0;
    for (int32_t y = 0; y < MENU_ROW_H; ++y) {
        uint8_t* p = gfx_screen_pixel(g_back_dib, 0, y);
        for (int32_t x = 0; x < SCREEN_W; ++x)
            if (p[x] == colour) {
                glyph.emplace_back(x, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        std::memcpy(p, band.data() + static_cast<size_t>(y) * SCREEN_W, SCREEN_W);
    }
    if (glyph.empty()) return std::nullopt;
    for (int32_t row = 0; (row + 1) * MENU_ROW_H <= SCREEN_H; ++row)
        for (int32_t col = 0; col * 8 + right < SCREEN_W; ++col) {
            const bool all = std::all_of(glyph.begin(), glyph.end(), [&](const std::pair<int32_t, int32_t>& g) {
                return *gfx_screen_pixel(g_back_dib, col * 8 + g.first, row * MENU_ROW_H + g.second) == colour;
            });
            if (all) return ViewPoint{col * 8 + (left + right) / 2, row * MENU_ROW_H + MENU_ROW_H / 2};
        }
    return std::nullopt;
}

// 1 when the back image shows the map view exactly as a redraw at the
// current zoom and origin draws it: no menu, window or frame is left on it.
inline bool view_shows_map() {
    return std::memcmp(fresh_map().data(), gfx_dib_pixels(g_back_dib), SCREEN_IMAGE_SIZE) == 0;
}

class ClickTest : public LoopTest {
protected:
    // A stage of the kit as the game loop leaves it before the turns: its
    // chapter, map, map pictures and units, at zoom 1, faded in.
    void set_up_stage(int stage) {
        g_stage_index = stage;
        g_chapter = static_cast<uint32_t>(scn_chapter_of_stage(stage));
        g_module_index = static_cast<int32_t>(g_chapter);
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        ASSERT_EQ(map_load_stage_map(stage), 1);
        map_load_map_graphics(g_stage_tileset[static_cast<size_t>(stage)]);
        unit_load_stage_units(stage, 1);
        g_zoom = -1;
        map_set_zoom(1);
        map_redraw_view();
        gfx_fade_start(&g_default_palette, 0);
    }

    // The party of the sessions, around the leader's cell (the site). The
    // leader, a final class with a weapon that charges, stands on shop
    // ground (terrain class 5) with its partner next to it; three hurt units
    // wait on healing, plain and healing ground, two of them knocked out;
    // one more stands far up and left.
    struct Member {
        int ch, cls, dx, dy;
        uint32_t terrain;
        int max_hp, hp, status;
    };
    static constexpr Member PARTY[] = {
        {CHAR_LEADER, CLASS_HOLY_COMMANDO, 0, 0, 5, 150, 150, 100},  // slot 0
        {2, CLASS_PRINCE, 1, 0, 1, 100, 100, 100},                   // the partner
        {3, CLASS_PRINCE, -3, 2, 5, 25, 10, 100},                    // heals 30 %
        {4, CLASS_PRINCE, -2, 2, 8, 25, 10, 100},                    // heals 20 %
        {5, CLASS_PRINCE, -1, 2, 1, 25, 0, -1},                      // gets up next phase
        {6, CLASS_PRINCE, 0, 2, 5, 25, 0, -2},                       // still down next phase
        {9, CLASS_PRINCE, -8, -5, 1, 25, 25, 100},                   // far from the others
    };
    static constexpr int SITE_X = 20, SITE_Y = 30;
    static constexpr int LEADER_WEAPON = 18, LEADER_SPARE = 14, PARTNER_WEAPON = 38;

    static UnitRecord& member(int slot) { return g_units[static_cast<size_t>(slot)]; }

    // Puts the party on the site: the ground from 9 cells left to 3 right
    // and 6 up to 3 down of the leader made plain and cleared of units, the
    // party slots emptied and filled from PARTY, a bag of three herbs.
    void put_party() {
        const int plain = tile_of_class(1);
        ASSERT_GE(plain, 0);
        for (int y = SITE_Y - 6; y <= SITE_Y + 3; ++y)
            for (int x = SITE_X - 9; x <= SITE_X + 3; ++x) {
                ASSERT_TRUE(map_on_map(x, y));
                g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(plain);
                if (UnitRecord* u = unit_at_cell(x, y)) u->number = 0;
                g_occupancy.cells[y * MAP_SIDE + x] = 0;
            }
        for (int s = 0; s < UNIT_PARTY_SLOTS; ++s) {
            UnitRecord& u = member(s);
            if (u.number != 0 && map_on_map(u.x, u.y)) g_occupancy.cells[u.y * MAP_SIDE + u.x] = 0;
            u = {};
        }
        int slot = 0;
        for (const Member& m : PARTY) {
            const int x = SITE_X + m.dx, y = SITE_Y + m.dy;
            const int tile = tile_of_class(m.terrain);
            ASSERT_GE(tile, 0) << "terrain " << m.terrain;
            g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(tile);
            UnitRecord& u = place_record(slot, x, y, stats(m.ch, m.cls, 0, m.max_hp), static_cast<int16_t>(m.status));
            u.stats.hp = static_cast<int16_t>(m.hp);
            u.stats.level = 5;
            u.equipped_slot = 0;
            u.items[0] = static_cast<uint16_t>(slot == 0 ? LEADER_WEAPON : PARTNER_WEAPON);
            u.stats.weapon = static_cast<int16_t>(u.items[0]);
            ++slot;
        }
        member(0).items[1] = LEADER_SPARE;
        g_bag = {};
        g_bag[0] = {1, 3};  // 약초
        map_redraw_view();
    }

    // --- a session of steps ---------------------------------------------------------

    // A step waits until `ready` holds on a poll (ready may give input of its
    // own meanwhile, such as answering message windows), then gives its
    // input with `act`.
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    std::vector<Step> steps;
    size_t steps_done = 0;
    uint32_t step_since = 0;

    // Plays the steps from the polls; the run ends shortly after the last.
    void play(std::vector<Step> s) {
        steps = std::move(s);
        steps_done = 0;
        step_since = sys_headless_clock();
        start_polling([this] {
            if (steps_done >= steps.size() || !steps[steps_done].ready()) return;
            Step& s = steps[steps_done++];
            step_since = sys_headless_clock();
            if (s.act) s.act();
            if (steps_done == steps.size()) {
                // After the last input has been given.
                polling = false;
                at(INPUT_DELAY + 200, HeadlessKind::End);
            }
        });
    }
    // The step the session stopped at, or "" when it played to its end.
    std::string stalled_at() const { return steps_done < steps.size() ? steps[steps_done].what : ""; }
    uint32_t since_step() const { return sys_headless_clock() - step_since; }

    // Runs the turn loop on the set-up stage until it returns (its result)
    // or the session's end quits it (-1); a session stuck on a step ends
    // half a minute later.
    int run_turns(int resuming) {
        at(30000, HeadlessKind::End);
        int result = -1;
        try {
            result = turn_run_stage_battle(resuming);
        } catch (const WinQuit&) {}
        polling = false;
        return result;
    }

    // Input is given a little after the poll that saw its moment: a menu
    // drops the presses that come before its loop starts.
    static constexpr uint32_t INPUT_DELAY = 40;
    void tap(int x, int y) { click_view(x, y, INPUT_DELAY); }
    void rtap(int x, int y) { rclick_view(x, y, INPUT_DELAY); }

    static bool message_waits() { return g_cursor_shape == 5 || g_cursor_shape == 6; }
    static std::string banner(int turn) {
        char text[64];
        std::snprintf(text, sizeof text, "*턴%d：%s일행의 행동", turn, g_char_names[CHAR_LEADER]);
        return text;
    }
    // Clicks the middle of map cell (x, y) as the view shows it now.
    void click_cell(int x, int y) {
        int col = 0, top = 0;
        map_cell_to_screen(x - g_view_x, y - g_view_y, &col, &top);
        tap(col * 8 + g_cell_w8 * 4, top + g_cell_h / 2);
    }
    // Clicks the middle of text drawn in colour; false when it is not drawn.
    bool click_text(const char* text, int colour = 15) {
        const std::optional<ViewPoint> p = drawn_at(text, colour);
        if (p) tap(p->x, p->y);
        return p.has_value();
    }
    // A click on the strip below the view: it ends a wait for a click and
    // picks nothing on the map.
    void click_strip() { tap(320, 400); }

    // The first turn banner of the session, taken away by a click; the
    // turn's start before it answers message windows with a click and the
    // save prompt with `save_answer` (0 예, 1 아니오), cancelling the save
    // chooser. save_prompts and save_choosers count what was shown.
    int save_prompts = 0, save_choosers = 0;
    Step through_banner(int turn, int save_answer = 1) {
        save_prompts = save_choosers = 0;
        return {"banner of turn " + std::to_string(turn),
                [this, turn, save_answer] {
                    if (window_shown(banner(turn).c_str())) return true;
                    static const char* const SAVE = "저장하겠습니까? { 예 }{ 아니오 }";
                    if (save_prompts == 0 && drawn_at("저장하겠습니까?")) {
                        ++save_prompts;
                        const ViewPoint p = prompt_choice_at(SAVE, -1, 9, save_answer);
                        tap(p.x, p.y);
                    } else if (save_choosers == 0 && drawn_at("저장할 장소를 지정해 주십시오.", 6)) {
                        ++save_choosers;
                        rtap(320, 200);
                    } else if (message_waits()) {
                        click_strip();
                    }
                    return false;
                },
                [this] { click_strip(); }};
    }
    // The player phase waiting for a pick: the banner or window gone.
    Step idle(const std::string& what, std::function<void()> act) {
        return {what, [this] { return since_step() > 100 && !message_waits() && g_menu_chip_set == 0; },
                std::move(act)};
    }
    // A list menu open with its entry drawn: the entry is clicked.
    Step choose(const char* entry) {
        return {std::string("menu entry ") + entry,
                [entry] { return g_menu_chip_set == 1 && drawn_at(entry).has_value(); },
                [this, entry] { click_text(entry); }};
    }
    // A prompt on row 9 whose text is drawn: choice n is clicked.
    Step answer(const char* prompt, int n) {
        return {std::string("prompt ") + prompt,
                [prompt] {
                    std::string head(*prompt == '*' ? prompt + 1 : prompt);
                    head = head.substr(0, head.find(" {"));
                    return drawn_at(head.c_str()).has_value();
                },
                [this, prompt, n] {
                    const ViewPoint p = prompt_choice_at(prompt, -1, 9, n);
                    tap(p.x, p.y);
                }};
    }
    // Message windows answered until cond holds, then act.
    Step after_messages(const std::string& what, std::function<bool()> cond, std::function<void()> act = nullptr) {
        return {what,
                [this, cond] {
                    if (cond()) return true;
                    if (message_waits()) click_strip();
                    return false;
                },
                std::move(act)};
    }
};
