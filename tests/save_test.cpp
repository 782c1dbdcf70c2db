// Saving and loading: the slot files and the index in a temporary program
// folder, the chooser driven by scripted clicks, and refused files.
#include "tactics/save.h"

#include <fstream>
#include <iterator>

#include "tactics/settings.h"
#include "tests/loop_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

int row_y(int slot) { return (3 + slot) * 20 + 10; }

}  // namespace

class SaveTest : public LoopTest {
protected:
    TempDir folder;

    void SetUp() override {
        LoopTest::SetUp();
        use_program_folder(folder);
        g_save_index = {};
        g_save_index_state = 0;
        g_reserved_state_word = 0;
        g_music_device = g_game_opt3 = g_game_opt4 = 0;
        g_opt_move_anim = g_opt_battle_real = g_opt_side_marks = 1;
        g_opt_battle_speed = 3;
    }

    std::filesystem::path path(const std::string& name) const { return folder.path / name; }
    Bytes read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void write(const std::string& name, const void* data, size_t n) const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
    }
    void write_index(const std::array<SaveIndexEntry, SAVE_SLOTS>& index) const {
        write("savekq.idx", index.data(), SAVE_INDEX_SIZE);
    }
    static size_t boxes_naming(const std::string& name) {
        size_t n = 0;
        for (const auto& l : sys_log_lines()) n += l.rfind("msgbox |", 0) == 0 && l.find(name) != std::string::npos;
        return n;
    }

    // A stage in progress with something in every part of the state.
    void set_up_state() {
        g_stage_index = 5;
        ASSERT_EQ(map_load_stage_map(5), 1);
        g_map.cells[2 * MAP_SIDE + 3] |= MAP_MARK;
        UnitStats lead = MapTest::stats(1, 1, 0), second = MapTest::stats(2, 3, 0), enemy = MapTest::stats(10, 35, 7);
        UnitRecord* a = unit_place_new(10, 10, &lead);
        unit_place_new(11, 10, &second);
        UnitRecord* e = unit_place_new(15, 12, &enemy);
        ASSERT_TRUE(a && e);
        a->items[1] = 14;
        a->equipped_slot = 1;
        a->stats.weapon = 14;
        a->status = -3;
        a->victories = 12;
        e->acted = 1;
        g_occupancy.cells[10 * MAP_SIDE + 10] |= OCC_MARK_A;
        g_bag[0] = {1, 5};
        g_bag[1] = {7, 2};
        g_gold = 60000;
        g_chests[0] = {2, 3, 4, 0, 5};
        g_chests[1] = {3, 10, 11, 0, 0};
        g_stage_flags = {1, 2, 3, 4, 0xFFFF};
        g_view_x = 3;
        g_view_y = 4;
        g_zoom = 2;
        g_opt_move_anim = 0;
        g_opt_battle_real = 0;
        g_opt_battle_speed = 0;
        g_opt_side_marks = 0;
        g_turn = 7;
        g_reserved_state_word = 0xBEEF;
        g_music_device = 2;
        g_game_opt3 = 1;
        g_game_opt4 = 9;
    }
    static SaveFile packed() {
        SaveFile f;
        save_pack_state(&f);
        return f;
    }
    // A sound slot file of the state above, as bytes.
    Bytes good_file() {
        set_up_state();
        SaveFile f = packed();
        const auto* p = reinterpret_cast<const uint8_t*>(&f);
        return Bytes(p, p + sizeof f);
    }
    // Clicks the row of a slot at every poll until stopped.
    void keep_clicking_slot(int slot) {
        start_polling([this, slot] { click_view(300, row_y(slot)); });
    }
};

TEST_F(SaveTest, SaveThenLoadRoundTripsEveryByteThroughTheChooser) {
    set_up_state();
    const SaveFile expected = packed();
    g_sfx_enabled = 1;

    // The fifteenth row: save14.dat and entry 14; the confirmation takes a click too.
    keep_clicking_slot(14);
    EXPECT_EQ(save_save_game(-1), 1);
    polling = false;
    const Bytes file = read("save14.dat");
    ASSERT_EQ(file.size(), SAVE_FILE_SIZE);
    EXPECT_EQ(std::memcmp(file.data(), &expected, SAVE_FILE_SIZE), 0);
    const Bytes index = read("savekq.idx");
    ASSERT_EQ(index.size(), SAVE_INDEX_SIZE);
    SaveIndexEntry entry;
    std::memcpy(&entry, index.data() + 14 * sizeof entry, sizeof entry);
    uint16_t year, month, day;
    util_get_date(&year, &month, &day);
    EXPECT_EQ(entry.used, 1);
    EXPECT_EQ(entry.stage, 5);
    EXPECT_EQ(entry.year, year);
    EXPECT_GE(entry.month, 1);
    EXPECT_LE(entry.month, 12);
    for (int s = 0; s < 14; ++s) EXPECT_EQ(index[static_cast<size_t>(s) * 14], 0) << s;
    EXPECT_FALSE(std::filesystem::exists(path("save14.dat.tmp")));

    // Another game in the live state, then the load and the unpack.
    g_units = {};
    std::memset(&g_map, 0, sizeof g_map);
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    g_bag = {};
    g_chests = {};
    g_gold = 5;
    g_stage_flags = {};
    g_turn = 0;
    g_view_x = g_view_y = 0;
    g_opt_move_anim = g_opt_battle_real = g_opt_side_marks = 1;
    g_opt_battle_speed = 3;
    g_reserved_state_word = 0;
    g_stage_index = 30;
    keep_clicking_slot(14);
    EXPECT_EQ(save_load_game(-1), 1);
    polling = false;
    EXPECT_EQ(g_stage_index, 5);
    EXPECT_EQ(std::memcmp(g_save_buffer.data(), &expected, SAVE_FILE_SIZE), 0);
    save_unpack_state();
    const SaveFile after = packed();
    EXPECT_EQ(std::memcmp(&after, &expected, SAVE_FILE_SIZE), 0);
    EXPECT_EQ(g_gold, 60000u);
    EXPECT_EQ(g_turn, 7);
    EXPECT_EQ(g_opt_battle_speed, 0);
    EXPECT_EQ(g_opt_side_marks, 0);
    EXPECT_EQ(g_game_state_record.word[GS_OPT3], 1u);
    EXPECT_EQ(g_game_state_record.word[GS_OPT4], 9u);

    // With the sound effects off the third option comes back 0.
    g_sfx_enabled = 0;
    save_unpack_state();
    EXPECT_EQ(g_game_opt3, 0);
    EXPECT_EQ(g_game_state_record.word[GS_OPT3], 0u);
}

TEST_F(SaveTest, ChooserRowsAndLoadModeIgnoresEmptyRows) {
    std::array<SaveIndexEntry, SAVE_SLOTS> index{};
    index[14] = {1, 5, 2024, 3, 7, 9, 5};
    write_index(index);
    const Bytes before(g_save_buffer.begin(), g_save_buffer.end());
    g_stage_index = 2;

    int step = 0;
    bool rows_ok = false, still_open = false;
    start_polling([&] {
        if (step == 0 && text_shown(10, 17, "15.", 15)) {
            rows_ok = text_shown(16, 17, "Stage 6…『불의 신전』", 15) && text_shown(52, 17, "2024// 3// 7", 15) &&
                      text_shown(64, 17, " 9:05", 15) && text_shown(10, 3, " 1.", 15) &&
                      !text_shown(16, 3, "Stage", 15);
            click_view(300, row_y(0));  // an empty row
            step = 1;
        } else if (step >= 1 && ++step == 10) {
            still_open = g_colour_cycle_block != 0;
            rclick_view(300, 200);
        }
    });
    EXPECT_EQ(save_load_game(-1), 0);
    polling = false;
    EXPECT_TRUE(rows_ok);
    EXPECT_TRUE(still_open);
    EXPECT_EQ(g_stage_index, 2);
    EXPECT_EQ(Bytes(g_save_buffer.begin(), g_save_buffer.end()), before);
    EXPECT_EQ(g_colour_cycle_block, 0);
}

TEST_F(SaveTest, SavingOverAUsedSlotAsksFirst) {
    std::array<SaveIndexEntry, SAVE_SLOTS> index{};
    index[2] = {1, 3, 2020, 1, 1, 1, 1};
    write_index(index);
    const Bytes old(SAVE_FILE_SIZE, 0x5A);
    write("save02.dat", old.data(), old.size());
    set_up_state();

    // Declined (right click on the question), then the chooser cancelled.
    int step = 0;
    start_polling([&] {
        ++step;
        if (step == 20) click_view(300, row_y(2));
        if (step == 40) rclick_view(300, 200);  // the question
        if (step == 60) rclick_view(300, 200);  // the chooser
    });
    EXPECT_EQ(save_save_game(-1), 0);
    polling = false;
    EXPECT_EQ(read("save02.dat"), old);

    // Accepted with "예": the slot and its entry are replaced.
    step = 0;
    start_polling([&] {
        ++step;
        if (step == 20) click_view(300, row_y(2));
        if (step == 40) click_view(360, 190);  // "{ 예 }" of the centred question
        if (step > 60) click_view(300, 200);   // the confirmation
    });
    EXPECT_EQ(save_save_game(-1), 1);
    polling = false;
    const SaveFile expected = packed();
    const Bytes now = read("save02.dat");
    ASSERT_EQ(now.size(), SAVE_FILE_SIZE);
    EXPECT_EQ(std::memcmp(now.data(), &expected, SAVE_FILE_SIZE), 0);
    EXPECT_EQ(read("savekq.idx")[2 * 14 + 2], 5);
}

TEST_F(SaveTest, TheIndexNamesASlotOnlyAfterItsFileIsWritten) {
    set_up_state();
    // No index yet: its box and "Memory Error", and the save makes it.
    EXPECT_EQ(save_save_game(1), 1);
    EXPECT_EQ(boxes_naming("savekq.idx"), 1u);
    EXPECT_EQ(memory_errors(), 1u);
    ASSERT_EQ(read("savekq.idx").size(), SAVE_INDEX_SIZE);

    // A slot file that cannot be written: its box, not saved, the index as it was.
    const Bytes index_before = read("savekq.idx");
    std::filesystem::create_directory(path("save03.dat"));
    sys_log_clear();
    EXPECT_EQ(save_save_game(3), 0);
    EXPECT_EQ(boxes_naming("save03.dat"), 1u);
    EXPECT_EQ(read("savekq.idx"), index_before);
    EXPECT_EQ(g_save_index[3].used, 0);

    // An index that is a folder reads as damaged: nothing is written and
    // the save is not reported as made.
    std::filesystem::remove(path("savekq.idx"));
    std::filesystem::create_directory(path("savekq.idx"));
    sys_log_clear();
    EXPECT_EQ(save_save_game(4), 0);
    EXPECT_GE(boxes_naming("savekq.idx"), 1u);
    EXPECT_FALSE(std::filesystem::exists(path("save04.dat")));
}

TEST_F(SaveTest, AnIndexThatCannotBeReadIsNotOverwritten) {
    set_up_state();
    std::array<SaveIndexEntry, SAVE_SLOTS> bad_stage{};
    bad_stage[0] = {1, 40, 2024, 1, 1, 1, 1};
    std::array<SaveIndexEntry, SAVE_SLOTS> bad_flag{};
    bad_flag[6] = {2, 1, 2024, 1, 1, 1, 1};
    const std::vector<Bytes> damaged = {
        Bytes(100, 0),  // short
        Bytes(211, 0),  // long
        Bytes(reinterpret_cast<const uint8_t*>(bad_stage.data()),
              reinterpret_cast<const uint8_t*>(bad_stage.data()) + SAVE_INDEX_SIZE),
        Bytes(reinterpret_cast<const uint8_t*>(bad_flag.data()),
              reinterpret_cast<const uint8_t*>(bad_flag.data()) + SAVE_INDEX_SIZE),
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        write("savekq.idx", damaged[i].data(), damaged[i].size());
        sys_log_clear();
        EXPECT_EQ(save_save_game(1), 0) << i;
        EXPECT_EQ(g_save_index_state, -1) << i;
        EXPECT_GE(boxes_naming("savekq.idx"), 1u) << i;
        EXPECT_EQ(read("savekq.idx"), damaged[i]) << i;
        EXPECT_FALSE(std::filesystem::exists(path("save01.dat"))) << i;
        // Every slot reads as empty, so nothing can be loaded either.
        EXPECT_EQ(save_load_game(0), 0) << i;
    }
}

TEST_F(SaveTest, ADamagedSaveIsRefusedAndNothingChanges) {
    const Bytes good = good_file();
    std::array<SaveIndexEntry, SAVE_SLOTS> index{};
    index[2] = {1, 5, 2024, 1, 1, 1, 1};
    write_index(index);

    auto damage = [&](auto change) {
        Bytes b = good;
        SaveFile f;
        std::memcpy(&f, b.data(), sizeof f);
        change(f);
        std::memcpy(b.data(), &f, sizeof f);
        return b;
    };
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"short", Bytes(good.begin(), good.end() - 1)},
        {"long",
         [&] {
             Bytes b = good;
             b.push_back(0);
             return b;
         }()},
        {"stage", damage([](SaveFile& f) { f.word[SW_STAGE] = 40; })},
        {"view", damage([](SaveFile& f) { f.word[SW_VIEW_X] = 60; })},
        {"option", damage([](SaveFile& f) { f.word[SW_BATTLE_SPEED] = 5; })},
        {"map width", damage([](SaveFile& f) { std::memset(f.map.header + 6, 0, 2); })},
        {"map height", damage([](SaveFile& f) {
             f.map.header[8] = 61;
             f.map.header[9] = 0;
         })},
        {"tile", damage([](SaveFile& f) { f.map.cells[100] = 0x7C; })},
        {"unit number", damage([](SaveFile& f) { f.units[1].number = 7; })},
        {"unit cell", damage([](SaveFile& f) { f.units[0].y = -1; })},
        {"class", damage([](SaveFile& f) { f.units[0].stats.class_id = 54; })},
        {"weapon", damage([](SaveFile& f) { f.units[0].stats.weapon = 107; })},
        {"slot item", damage([](SaveFile& f) { f.units[0].items[3] = 500; })},
        {"equipped slot", damage([](SaveFile& f) { f.units[0].equipped_slot = 4; })},
        {"bag item", damage([](SaveFile& f) { f.bag[3].item_id = -2; })},
        {"occupancy", damage([](SaveFile& f) { f.occupancy.cells[5] = 63; })},
        {"chest state", damage([](SaveFile& f) { f.chests[5].state = 4; })},
        {"chest cell", damage([](SaveFile& f) { f.chests[0].x = 60; })},
        {"chest item", damage([](SaveFile& f) { f.chests[1].item_id = 107; })},
    };
    std::fill(g_save_buffer.begin(), g_save_buffer.end(), 0x11);
    for (const auto& [what, bytes] : cases) {
        write("save02.dat", bytes.data(), bytes.size());
        g_stage_index = 9;
        sys_log_clear();
        EXPECT_EQ(save_load_game(2), 0) << what;
        EXPECT_EQ(g_stage_index, 9) << what;
        EXPECT_EQ(boxes_naming("save02.dat"), 1u) << what;
        EXPECT_EQ(memory_errors(), 1u) << what;
        EXPECT_TRUE(std::all_of(g_save_buffer.begin(), g_save_buffer.end(), [](uint8_t b) { return b == 0x11; }))
            << what;
    }
    // A missing slot file is refused the same way; the sound one loads.
    std::filesystem::remove(path("save02.dat"));
    EXPECT_EQ(save_load_game(2), 0);
    write("save02.dat", good.data(), good.size());
    EXPECT_EQ(save_load_game(2), 1);
    EXPECT_EQ(g_stage_index, 5);
    EXPECT_EQ(Bytes(g_save_buffer.begin(), g_save_buffer.end()), good);
}
