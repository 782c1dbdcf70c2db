// Test fixture for the chapter modules: the loop fixture with the display
// options on, the messages shown, unit placement and a stage's own map.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"
#include "tests/loop_fixture.h"

class ChapterFixture : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        g_opt_move_anim = 1;
        g_opt_side_marks = 1;
    }

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
    static int units_on_grid() {
        int n = 0;
        for (int i = 0; i < MAP_CELLS; ++i) n += (g_occupancy.cells[i] & OCC_UNIT_MASK) != 0;
        return n;
    }
};
