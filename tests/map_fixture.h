// Test fixtures for the map, the unit table and the map view: a headless
// machine in chapter 1, data files read from a temporary folder or the
// sample kit.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/shell.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"
#include "tests/fixture.h"

class MapTest : public HeadlessTest {
protected:
    TempDir data;

    void SetUp() override {
        HeadlessTest::SetUp();
        g_chapter = 1;
        g_module_index = 1;
        sys_log_clear();
        std::filesystem::create_directories(data.path / "dat");
    }
    void TearDown() override {
        map_free_map_graphics();
        HeadlessTest::TearDown();
    }
    // Reads data files from the temporary folder instead of the kit.
    void use_temp_data() { std::snprintf(g_dat_dir, sizeof g_dat_dir, "%s\\dat\\", data.str().c_str()); }
    void write_dat(const std::string& name, const std::vector<uint8_t>& bytes) {
        FILE* f = std::fopen((data.path / "dat" / name).string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    static void set_map_size(int w, int h) {
        const int16_t ww = static_cast<int16_t>(w), hh = static_cast<int16_t>(h);
        std::memcpy(g_map.header + 6, &ww, 2);
        std::memcpy(g_map.header + 8, &hh, 2);
    }
    // Stage 1's map read from the data folder and the map pictures of a tile
    // set (by default stage 1's own).
    static void load_first_stage(int32_t tile_set = g_stage_tileset[0]) {
        ASSERT_EQ(map_load_stage_map(0), 1);
        map_load_map_graphics(tile_set);
    }
    // A terrain table in which tiles 0 to 10 are of the class of their own
    // number and every other tile of class 0.
    static const uint32_t* terrain_is_tile() {
        static const std::array<uint32_t, MAP_TILES> t = [] {
            std::array<uint32_t, MAP_TILES> a{};
            for (uint32_t i = 0; i < MAP_TILES; ++i) a[i] = i <= 10 ? i : 0;
            return a;
        }();
        return t.data();
    }
    // A 20 x 14 map of tile 1 read through terrain_is_tile (terrain class
    // 1), at zoom 1 with the sound effects on.
    static void flat_map() {
        g_terrain_class_of_tile = terrain_is_tile();
        set_map_size(20, 14);
        for (int y = 0; y < MAP_SIDE; ++y)
            for (int x = 0; x < MAP_SIDE; ++x) g_map.cells[y * MAP_SIDE + x] = 1;
        map_set_zoom(1);
        g_sfx_enabled = 1;
    }
    // A fresh record in unit slot `slot` with the stats and status counter
    // given, standing on the grid at (x, y).
    static UnitRecord& place_record(int slot, int x, int y, const UnitStats& s, int16_t status = 0) {
        UnitRecord& r = g_units[static_cast<size_t>(slot)];
        r = {};
        r.number = static_cast<int16_t>(slot + 1);
        r.x = static_cast<int16_t>(x);
        r.y = static_cast<int16_t>(y);
        r.status = status;
        r.stats = s;
        g_occupancy.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(slot + 1);
        return r;
    }
    // A tile of the current tile set (the one whose terrain the map reads)
    // whose terrain class is the one asked for; -1 when it has none.
    static int tile_of_class(uint32_t terrain) {
        for (int t = 0; t < MAP_TILES; ++t)
            if (g_terrain_class_of_tile[t] == terrain) return t;
        return -1;
    }
    static size_t memory_errors() {
        return static_cast<size_t>(std::count(sys_log_lines().begin(), sys_log_lines().end(), "msgbox |Memory Error"));
    }
    static UnitStats stats(int ch, int cls, int mode, int hp = 20) {
        UnitStats s{};
        s.char_id = static_cast<int16_t>(ch);
        s.class_id = static_cast<int16_t>(cls);
        s.level = 1;
        s.max_hp = static_cast<int16_t>(hp);
        s.hp = static_cast<int16_t>(hp);
        s.ai_mode = static_cast<int16_t>(mode);
        s.weapon = 38;
        return s;
    }
};
