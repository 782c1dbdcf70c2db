// Test fixtures for the map, the unit table and the map view: a headless
// machine in chapter 1, data files read from a temporary folder or the
// sample kit.
#pragma once

#include <algorithm>
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
