// Test fixture for the chapter modules: the loop fixture with the messages
// shown, unit placement, a fresh stage, a stage's start and its own map.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "platform/input.h"
#include "platform/sound.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"
#include "tests/loop_fixture.h"

class ChapterFixture : public LoopTest {
protected:
    // The messages shown, in order.
    static std::vector<int> messages() {
        std::vector<int> ids;
        for (const auto& l : sys_log_lines())
            if (l.rfind("message ", 0) == 0) ids.push_back(std::stoi(l.substr(8)));
        return ids;
    }
    static bool at_cell(int char_id, int x, int y) {
        const UnitRecord* u = unit_find_by_char_id(char_id);
        return u && u->x == x && u->y == y && (g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK) == u->number;
    }
    static UnitRecord* unit(int char_id, int cls, int mode, int x, int y) {
        UnitStats s = MapTest::stats(char_id, cls, mode);
        return unit_place_new(x, y, &s);
    }
    // Party members 1, 2, .. of the given classes, off the grid as the last
    // stage left them.
    static void party_off_grid(std::initializer_list<int> classes) {
        int c = 1;
        for (int cls : classes) {
            UnitRecord* u = unit(c, cls, 0, c, 0);
            ASSERT_NE(u, nullptr);
            g_occupancy.cells[u->x] = 0;
            ++c;
        }
    }
    // A stage's own map as the game loop leaves it after the stage start.
    void play_on(int stage) {
        g_stage_index = stage;
        g_chapter = static_cast<uint32_t>(scn_chapter_of_stage(stage));
        g_module_index = static_cast<int32_t>(g_chapter);
        ASSERT_EQ(map_load_stage_map(stage), 1);
        map_load_map_graphics(g_stage_tileset[static_cast<size_t>(stage)]);
        g_zoom = -1;
        map_set_zoom(1);
        map_redraw_view();
    }
    // A fresh stage: no music, no units, an empty grid and log, not ended.
    void reset_stage() {
        snd_play_music(-1);
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        sys_log_clear();
        g_stage_end = 0;
    }
    // Runs the stage start of stage number `stage`, answering its messages.
    void start_stage(int stage) {
        g_stage_index = stage - 1;
        keep_clicking();
        scn_stage_start();
        polling = false;
    }
    // Runs stage `stage`'s start with a party of eight off the grid and the
    // view at zoom 2, and checks what every stage start of a chapter leaves:
    // its messages and tracks, the display options, zoom and shake as they
    // were, and only the party on the grid, at its cells.
    void check_stage_start(uint32_t chapter, int stage, const std::vector<int>& ids, const std::vector<int>& music,
                           const std::vector<std::tuple<int, int, int>>& party) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        reset_stage();
        party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
        g_zoom = 2;
        start_stage(stage);
        EXPECT_EQ(g_chapter, chapter);
        EXPECT_EQ(messages(), ids);
        for (int track : music) EXPECT_TRUE(music_opened(track)) << "track " << track;
        EXPECT_EQ(g_zoom, 2);
        EXPECT_EQ(g_opt_move_anim, 1);
        EXPECT_EQ(g_opt_side_marks, 1);
        EXPECT_EQ(g_shake_on, 0);
        for (const auto& [ch, x, y] : party) EXPECT_TRUE(at_cell(ch, x, y)) << "character " << ch;
        // Only the party stands on the grid: walk-on units are gone.
        EXPECT_EQ(units_on_grid(), static_cast<int>(party.size()));
    }
    // The boss's fall: a battle it survives ends nothing; once it is beaten
    // and off its cell, the battle's aftermath ends the stage.
    static void beat_boss(UnitRecord* lead, UnitRecord* boss) {
        scn_after_battle(lead, boss);
        EXPECT_EQ(g_stage_end, 0);  // still standing
        boss->stats.hp = 0;
        g_occupancy.cells[boss->y * MAP_SIDE + boss->x] = 0;
        scn_after_battle(lead, boss);
        EXPECT_EQ(g_stage_end, 1);
    }
    static int tile(int x, int y) { return g_map.cells[y * MAP_SIDE + x] & ~MAP_MARK; }
    static int enemy_records() {
        int n = 0;
        for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) n += g_units[static_cast<size_t>(s)].number != 0;
        return n;
    }
    static int units_on_grid() {
        int n = 0;
        for (int i = 0; i < MAP_CELLS; ++i) n += (g_occupancy.cells[i] & OCC_UNIT_MASK) != 0;
        return n;
    }
};
