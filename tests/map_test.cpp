// Stage map and terrain: the map file reader and its re-lay to the 60-cell
// stride, refused sizes, stage numbers to file names and tile sets, the map
// graphics with their palettes, grid steps and marks, and the kit's maps.
#include <cstring>

#include "platform/palette.h"
#include "platform/screen.h"
#include "tests/map_fixture.h"

namespace {

std::vector<uint8_t> map_file(int w, int h, uint8_t (*tile)(int x, int y)) {
    std::vector<uint8_t> f(48, 0xAB);  // header bytes other than the size stay as the file has them
    f[6] = static_cast<uint8_t>(w & 0xFF);
    f[7] = static_cast<uint8_t>((w >> 8) & 0xFF);
    f[8] = static_cast<uint8_t>(h & 0xFF);
    f[9] = static_cast<uint8_t>((h >> 8) & 0xFF);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.push_back(tile(x, y));
    return f;
}

uint8_t pattern(int x, int y) { return static_cast<uint8_t>(1 + (x * 7 + y * 11) % 110); }

}  // namespace

TEST_F(MapTest, SmallMapIsLaidOutAtStride60WithTheRestZero) {
    use_temp_data();
    std::vector<uint8_t> f = map_file(10, 8, pattern);
    f[48 + 3 * 10 + 4] = 0x80 | 121;  // an unknown tile with the mark
    f[48 + 5 * 10 + 9] = 127;
    write_dat("stage03.map", f);
    ASSERT_EQ(map_load_stage_map(2), 1);
    EXPECT_EQ(map_width(), 10);
    EXPECT_EQ(map_height(), 8);
    EXPECT_EQ(g_map.header[0], 0xAB);
    EXPECT_EQ(g_map.header[47], 0xAB);
    for (int y = 0; y < MAP_SIDE; ++y)
        for (int x = 0; x < MAP_SIDE; ++x) {
            uint8_t want = (x < 10 && y < 8) ? pattern(x, y) : 0;
            if (x == 4 && y == 3) want = 0x80;  // tiles 120..127 read as tile 0
            if (x == 9 && y == 5) want = 0;
            ASSERT_EQ(g_map.cells[y * MAP_SIDE + x], want) << x << "," << y;
        }
    EXPECT_EQ(map_terrain_class_at(4, 3), static_cast<int32_t>(g_terrain_class_of_tile[0]));
    EXPECT_EQ(memory_errors(), 0u);
}

TEST_F(MapTest, FullSizeAndOverlongFilesAreCutAtTheRecord) {
    use_temp_data();
    std::vector<uint8_t> f = map_file(60, 60, pattern);
    f.resize(f.size() + 500, 99);  // trailing bytes past the record
    write_dat("stage01.map", f);
    ASSERT_EQ(map_load_stage_map(0), 1);
    EXPECT_EQ(g_map.cells[59 * 60 + 59], pattern(59, 59));
    EXPECT_EQ(g_map.cells[0], pattern(0, 0));
}

TEST_F(MapTest, SizesOutside1To60AndShortFilesAreRefused) {
    use_temp_data();
    const int sizes[][2] = {{0, 8}, {61, 8}, {10, 0}, {10, 70}, {-3, 5}};
    for (const auto& s : sizes) {
        std::vector<uint8_t> f = map_file(1, 1, pattern);
        f[6] = static_cast<uint8_t>(s[0] & 0xFF);
        f[7] = static_cast<uint8_t>((s[0] >> 8) & 0xFF);
        f[8] = static_cast<uint8_t>(s[1] & 0xFF);
        write_dat("stage05.map", f);
        sys_log_clear();
        std::memset(&g_map, 0x55, sizeof g_map);
        EXPECT_EQ(map_load_stage_map(4), 0) << s[0] << "x" << s[1];
        EXPECT_EQ(map_width(), 0);
        EXPECT_EQ(g_map.cells[0], 0);
        EXPECT_EQ(memory_errors(), 1u);
    }
    write_dat("stage06.map", {1, 2, 3, 4, 5});  // cut inside the header
    EXPECT_EQ(map_load_stage_map(5), 0);
    EXPECT_EQ(map_height(), 0);
    // A missing file: the loader's box and "Memory Error", an empty map.
    sys_log_clear();
    EXPECT_EQ(map_load_stage_map(30), 0);
    EXPECT_EQ(memory_errors(), 1u);
    EXPECT_EQ(sys_log_lines().size(), 2u);
}

TEST_F(MapTest, StageIndexPicksFileAndTileSet) {
    use_temp_data();
    write_dat("stage01.map", map_file(7, 3, pattern));
    write_dat("stage02.map", map_file(9, 4, pattern));
    write_dat("stage40.map", map_file(11, 5, pattern));
    ASSERT_EQ(map_load_stage_map(0), 1);
    EXPECT_EQ(map_width(), 7);
    ASSERT_EQ(map_load_stage_map(39), 1);
    EXPECT_EQ(map_width(), 11);
    EXPECT_EQ(g_stage_tileset[0], 4);
    EXPECT_EQ(g_stage_tileset[5], 5);
    EXPECT_EQ(g_stage_tileset[39], 7);
    EXPECT_STREQ(g_terrain_names[0][5], "거리마을");
    EXPECT_STREQ(g_terrain_names[7][10], "공중");
    EXPECT_EQ(map_terrain_damage_percent(3), 70);
    EXPECT_EQ(map_terrain_damage_percent(0), 100);
    EXPECT_EQ(map_terrain_heal_percent(5), 30);
    EXPECT_EQ(map_terrain_heal_percent(8), 20);
}

TEST_F(MapTest, GraphicsOfTileSetsSetTerrainSheetsAndPalettes) {
    // Chapter 1: unit sheet 0 and the sprite list of 23 classes.
    map_load_map_graphics(4);
    ASSERT_NE(g_tile_sheet_overlay, nullptr);
    ASSERT_NE(g_tile_sheet_base, nullptr);
    EXPECT_EQ(g_terrain_class_of_tile, g_tileset_terrain[4].data());
    EXPECT_EQ(g_tile_overlay_limit, 23);
    EXPECT_EQ(g_colour_cycle_on, 0);
    EXPECT_EQ(g_default_palette.colour[14][0], 15);  // the key colour, not the cycle start
    EXPECT_EQ(g_default_palette.colour[14][1], 0);
    EXPECT_EQ(0, std::memcmp(g_map_palette.colour[14], g_map_palette.colour[6], 3));

    // Tile sets that cycle: the kit's colours 0..13 are the reference, so the
    // painter cycles colour 14, which starts at (15, 11, 8).
    for (int set : {0, 3, 5}) {
        g_module_index = 5;
        map_load_map_graphics(set);
        EXPECT_EQ(g_colour_cycle_on, 1);
        for (int c = 0; c < 14; ++c)
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(g_default_palette.colour[c][k] * 17,
                          g_cycle_reference[static_cast<size_t>(c)][static_cast<size_t>(k)])
                    << set << ":" << c;
        // The scene palette (black here) is what the back image shows until the fade in.
        EXPECT_EQ(gfx_dib_colours(g_back_dib)[4 * 5 + 1], g_scene_palette.colour[5][1] * 17);
        EXPECT_EQ(g_default_palette.colour[14][0], 15);
        EXPECT_EQ(g_default_palette.colour[14][1], 11);
        EXPECT_EQ(g_default_palette.colour[14][2], 8);
        EXPECT_EQ(g_tile_overlay_limit, 36);
    }
    // Module 0 shares module 2's set.
    g_module_index = 0;
    map_load_map_graphics(1);
    EXPECT_EQ(g_tile_overlay_limit, 31);
    EXPECT_EQ(memory_errors(), 0u);
    map_free_map_graphics();
    EXPECT_EQ(g_tile_sheet_overlay, nullptr);
    EXPECT_EQ(g_tile_sheet_base, nullptr);
    // Walk sheets: every class that walks, 128 x 96; none beyond 99.
    for (int n = 0; n <= 99; ++n) {
        if (n > 66 && n < 97) continue;
        const HeapBlock w = map_load_walk_sheet(n);
        ASSERT_NE(w, nullptr) << n;
        DibInfoHeader h;
        std::memcpy(&h, w.get(), sizeof h);
        EXPECT_EQ(h.width, 128);
        EXPECT_EQ(h.height, 96);
    }
    EXPECT_EQ(map_load_walk_sheet(100), nullptr);
    EXPECT_EQ(memory_errors(), 1u);
}

TEST_F(MapTest, StepsReportLeavingTheMapAndDistance) {
    set_map_size(10, 8);
    int32_t x = 0, y = 5;
    EXPECT_EQ(map_step_dir(&x, &y, 3), 0);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, 5);
    x = 0;
    EXPECT_EQ(map_step_dir(&x, &y, 4), 1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 5);
    x = 9, y = 7;
    EXPECT_EQ(map_step_dir(&x, &y, 1), 0);
    x = 9;
    EXPECT_EQ(map_step_dir(&x, &y, 2), 0);
    x = 9, y = 7;
    EXPECT_EQ(map_step_dir(&x, &y, 0), 1);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(map_manhattan_distance(3, 9, 7, 2), 11);
}

TEST_F(MapTest, MarkingKeepsTiles) {
    for (int i = 0; i < MAP_CELLS; ++i) g_map.cells[i] = static_cast<uint8_t>(i % 120 | (i % 7 == 0 ? 0x80 : 0));
    MapBuffer before = g_map;
    map_mark_all_cells(g_map.cells);
    for (int i = 0; i < MAP_CELLS; ++i) {
        ASSERT_EQ(g_map.cells[i] & 0x80, 0x80);
        ASSERT_EQ(g_map.cells[i] & 0x7F, before.cells[i] & 0x7F);
    }
    map_unmark_all_cells(g_map.cells);
    for (int i = 0; i < MAP_CELLS; ++i) ASSERT_EQ(g_map.cells[i], before.cells[i] & 0x7F);
    EXPECT_EQ(0, std::memcmp(g_map.header, before.header, sizeof g_map.header));
}

TEST_F(MapTest, KitMapsHoldEveryNamedCellWithVariedTerrain) {
    for (int stage = 0; stage < 40; ++stage) {
        ASSERT_EQ(map_load_stage_map(stage), 1) << stage;
        EXPECT_GE(map_width(), 40);
        EXPECT_GE(map_height(), 37);
        g_terrain_class_of_tile =
            g_tileset_terrain[static_cast<size_t>(g_stage_tileset[static_cast<size_t>(stage)])].data();
        int classes[TERRAIN_CLASSES] = {};
        for (int y = 0; y < map_height(); ++y)
            for (int x = 0; x < map_width(); ++x) ++classes[map_terrain_class_at(x, y)];
        int kinds = 0;
        for (int c : classes) kinds += c > 0;
        EXPECT_GE(kinds, 4) << "stage " << stage;
    }
    // Scene maps (map_load_stage_map(n) reads file n + 1) and a cell each
    // scene names at its far corner.
    const int scenes[][3] = {{50, 19, 36}, {51, 38, 20}, {52, 10, 20}, {53, 10, 10}, {54, 10, 7},
                             {55, 10, 10}, {56, 11, 11}, {59, 13, 12}, {60, 15, 10}};
    for (const auto& s : scenes) {
        ASSERT_EQ(map_load_stage_map(s[0]), 1) << s[0];
        EXPECT_TRUE(map_on_map(s[1], s[2])) << s[0];
    }
    EXPECT_EQ(memory_errors(), 0u);
}
