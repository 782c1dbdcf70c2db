// Unit table and roster: slots by side, counting and removal by AI mode,
// lookups that find nothing, names and face codes, and the stage unit file
// read within its size.
#include <cstring>

#include "tests/map_fixture.h"

namespace {

void put16(std::vector<uint8_t>& v, int v16) {
    v.push_back(static_cast<uint8_t>(v16 & 0xFF));
    v.push_back(static_cast<uint8_t>((v16 >> 8) & 0xFF));
}

void put_record(std::vector<uint8_t>& f, int x, int y, int ch, int cls, int mode) {
    put16(f, x);
    put16(f, y);
    const int s[13] = {ch, cls, 1, 20, 20, 0, 5, 5, 5, 5, 5, mode, 38};
    for (int v : s) put16(f, v);
}

}  // namespace

TEST_F(MapTest, PartyFromSlot0ComputerFrom18PartySpillsOver) {
    const UnitStats party = stats(1, 0, 0), foe = stats(10, 29, 7);
    UnitRecord* a = unit_place_new(3, 4, &party);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, &g_units[0]);
    EXPECT_EQ(a->number, 1);
    EXPECT_EQ(a->status, 100);
    EXPECT_EQ(a->items[0], 38);
    EXPECT_EQ(a->equipped_slot, 0);
    EXPECT_EQ(g_occupancy.cells[4 * 60 + 3], 1);
    UnitRecord* b = unit_place_new(5, 4, &foe);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b, &g_units[18]);
    EXPECT_EQ(g_occupancy.cells[4 * 60 + 5], 19);
    EXPECT_EQ(unit_place_new(5, 4, &party), nullptr);   // cell taken
    EXPECT_EQ(unit_place_new(60, 0, &party), nullptr);  // off the grid
    EXPECT_EQ(unit_place_new(0, -1, &party), nullptr);

    for (int k = 1; k < 18; ++k) ASSERT_NE(unit_place_new(k, 10, &party), nullptr);
    UnitRecord* spilled = unit_place_new(0, 20, &party);
    ASSERT_NE(spilled, nullptr);
    EXPECT_EQ(spilled, &g_units[19]);  // slot 18 is taken by the foe
    EXPECT_EQ(spilled->stats.ai_mode, AI_MODE_PLAYER);

    // Slots 18..61 full: a computer unit finds no place although party slots free up.
    for (int k = 0; k < 42; ++k) ASSERT_NE(unit_place_new(k % 60, 30 + k / 60, &foe), nullptr);
    g_units[3].number = 0;
    EXPECT_EQ(unit_place_new(50, 50, &foe), nullptr);
    EXPECT_EQ(g_occupancy.cells[50 * 60 + 50], 0);
    EXPECT_NE(unit_place_new(50, 50, &party), nullptr);

    // A freed record placed again from its own stats keeps them.
    UnitRecord& again = g_units[25];
    again.stats.level = 7;
    again.stats.weapon = 44;
    again.number = 0;
    g_occupancy.cells[again.y * 60 + again.x] = 0;
    ASSERT_EQ(unit_place_new(59, 59, &again.stats), &again);
    EXPECT_EQ(again.stats.level, 7);
    EXPECT_EQ(again.stats.class_id, 29);
    EXPECT_EQ(again.stats.ai_mode, AI_MODE_ADVANCE);
    EXPECT_EQ(again.items[0], 44);
}

TEST_F(MapTest, CountingAndRemovalGoByAiMode) {
    const int modes[] = {AI_MODE_ADVANCE,    AI_MODE_DORMANT, AI_MODE_WALK_ON,
                         AI_MODE_BOSS_UNMET, AI_MODE_BOSS,    AI_MODE_IDLE};
    for (int k = 0; k < 6; ++k) {
        const UnitStats s = stats(10, 29, modes[k]);
        ASSERT_NE(unit_place_new(k, 2, &s), nullptr);
    }
    const UnitStats party = stats(1, 0, 0);
    unit_place_new(0, 0, &party);
    EXPECT_EQ(unit_count_live_enemies(), 4);
    unit_remove_enemies();
    int kept[6] = {};
    for (int k = 0; k < 6; ++k) kept[k] = g_units[static_cast<size_t>(18 + k)].number != 0;
    EXPECT_EQ(kept[0], 0);
    EXPECT_EQ(kept[1], 0);
    EXPECT_EQ(kept[2], 1);
    EXPECT_EQ(kept[3], 1);
    EXPECT_EQ(kept[4], 1);
    EXPECT_EQ(kept[5], 0);
    EXPECT_EQ(g_occupancy.cells[2 * 60 + 0], 0);
    EXPECT_EQ(g_occupancy.cells[2 * 60 + 3], 22);
    EXPECT_EQ(g_units[0].number, 1);
    EXPECT_EQ(unit_count_live_enemies(), 2);  // the two bosses remain

    // Only dormant and neutral enemies: the stage counts 0.
    g_units = {};
    const UnitStats dormant = stats(10, 29, AI_MODE_DORMANT), neutral = stats(10, 29, AI_MODE_WALK_ON);
    unit_place_new(10, 10, &dormant);
    unit_place_new(11, 10, &neutral);
    EXPECT_EQ(unit_count_live_enemies(), 0);
}

TEST_F(MapTest, LookupsThatFindNothingAreSafe) {
    EXPECT_EQ(unit_find_by_char_id(CHAR_LEADER), nullptr);
    EXPECT_EQ(turn_leaders_fallen(), 1);  // no leaders at all
    const UnitStats one = stats(CHAR_LEADER, 0, 0);
    UnitRecord* u1 = unit_place_new(1, 1, &one);
    EXPECT_EQ(turn_leaders_fallen(), 0);
    u1->stats.hp = 0;
    EXPECT_EQ(turn_leaders_fallen(), 1);  // leader 2 missing counts as fallen

    const UnitStats spirit = stats(9, CLASS_AIR_SPIRIT, 0);
    EXPECT_EQ(unit_find_spirit(), nullptr);
    unit_place_new(2, 1, &spirit);
    ASSERT_NE(unit_find_spirit(), nullptr);
    EXPECT_EQ(unit_find_spirit()->stats.char_id, 9);

    // A list naming a character without a record skips it; others are placed.
    u1->stats.hp = 3;
    u1->acted = 1;
    u1->charged = 1;
    const PlacementEntry list[] = {{4, 7, 7}, {1, 9, 9}, {1, 70, 9}, {-1, 0, 0}};
    unit_place_list(list);
    EXPECT_EQ(g_occupancy.cells[7 * 60 + 7], 0);
    EXPECT_EQ(u1->x, 9);
    EXPECT_EQ(u1->y, 9);
    EXPECT_EQ(u1->stats.hp, 20);
    EXPECT_EQ(u1->acted, 0);
    EXPECT_EQ(u1->charged, 0);
    EXPECT_EQ(g_occupancy.cells[9 * 60 + 9], 1);

    // Occupancy values: bits 6 and 7 are marks, numbers above 62 name nothing.
    g_occupancy.cells[9 * 60 + 9] = 0xC1;
    EXPECT_EQ(unit_at_cell(9, 9), u1);
    g_occupancy.cells[9 * 60 + 9] = 63;
    EXPECT_EQ(unit_at_cell(9, 9), nullptr);
    g_occupancy.cells[9 * 60 + 9] = 5;  // a free slot
    EXPECT_EQ(unit_at_cell(9, 9), nullptr);
    EXPECT_EQ(unit_at_cell(-1, 0), nullptr);

    unit_clear_acted_flags();
    g_units[40].acted = 1;  // not in use: untouched
    u1->acted = 1;
    unit_clear_acted_flags();
    EXPECT_EQ(u1->acted, 0);
    EXPECT_EQ(g_units[40].acted, 1);
}

TEST_F(MapTest, NamesAndFaceCodes) {
    UnitStats s = stats(1, 0, 0);
    EXPECT_STREQ(unit_display_name(&s), "쿠시나");
    EXPECT_STREQ(unit_face_code(&s), "00");
    s.class_id = CLASS_PRINCE;  // the prince turns the first character to "9"
    EXPECT_STREQ(unit_face_code(&s), "90");
    s = stats(3, CLASS_WHITE_HORSE, 0);  // the white horse always shows the foal's face
    EXPECT_STREQ(unit_face_code(&s), "60");
    s = stats(14, 19, 2);
    EXPECT_EQ(unit_face_code(&s), nullptr);
    EXPECT_STREQ(unit_display_name(&s), "헨리");
    s = stats(CHAR_GENERIC, 41, 7);
    EXPECT_STREQ(unit_display_name(&s), "미노타우로스");
    s.class_id = 49;
    EXPECT_STREQ(unit_display_name(&s), "제너럴");
    s.class_id = 54;  // past the class table
    EXPECT_STREQ(unit_display_name(&s), "");
    s.class_id = -1;
    EXPECT_STREQ(unit_display_name(&s), "");
    s.char_id = 30;
    EXPECT_STREQ(unit_display_name(&s), "");
    EXPECT_EQ(unit_face_code(&s), nullptr);
    s = stats(12, 53, 0);
    EXPECT_STREQ(unit_face_code(&s), "a2");
    // The names are code page 949 bytes: "쿠" is B0 A1..FE range two bytes.
    EXPECT_EQ(std::strlen(g_char_names[1]), 6u);
    EXPECT_EQ(std::strlen(g_class_names[46]), 4u);
}

TEST_F(MapTest, StageUnitFileIsReadWithinItsSize) {
    use_temp_data();
    // Block table of 4 stages: 0 valid, 1 count past the end, 2 offset past
    // the end, 3 an offset above 32767 (unsigned), then the records.
    std::vector<uint8_t> f;
    put16(f, 8);
    put16(f, 8 + 2 + 3 * 30);
    put16(f, 5000);
    put16(f, 0xFFF0);
    put16(f, 3);
    put_record(f, 1, 1, 10, 29, 7);
    put_record(f, 60, 2, 10, 29, 7);  // off the grid: skipped
    put_record(f, 2, -1, 10, 29, 7);  // off the grid: skipped
    put16(f, 40);                     // 40 records announced, 1 and a half present
    put_record(f, 5, 5, 10, 32, 7);
    put_record(f, 6, 5, 10, 32, 7);
    f.resize(f.size() - 15);
    write_dat("stage.unt", f);

    unit_load_stage_units(0, 1);
    EXPECT_EQ(g_units[18].number, 19);
    EXPECT_EQ(g_units[18].x, 1);
    EXPECT_EQ(g_units[19].number, 0);
    unit_load_stage_units(1, 0);
    EXPECT_EQ(g_units[19].number, 20);
    EXPECT_EQ(g_units[19].stats.class_id, 32);
    EXPECT_EQ(g_units[20].number, 0);
    unit_load_stage_units(2, 0);
    unit_load_stage_units(3, 0);
    unit_load_stage_units(39, 0);  // past the offset table
    unit_load_stage_units(-1, 0);
    EXPECT_EQ(g_units[20].number, 0);
    EXPECT_EQ(memory_errors(), 0u);
    // Cleared: slots 18..61 are freed before the load.
    unit_load_stage_units(2, 1);
    EXPECT_EQ(g_units[18].number, 0);
    EXPECT_EQ(g_units[19].number, 0);

    write_dat("stage.unt", {8});  // shorter than one offset
    unit_load_stage_units(0, 0);
    EXPECT_EQ(memory_errors(), 0u);
    std::filesystem::remove(data.path / "dat" / "stage.unt");
    unit_load_stage_units(0, 0);
    EXPECT_EQ(memory_errors(), 1u);
}

TEST_F(MapTest, KitFirstStageHasThePartyAndTheChaptersBlocks) {
    unit_load_stage_units(0, 1);
    ASSERT_NE(unit_find_by_char_id(CHAR_LEADER), nullptr);
    EXPECT_EQ(unit_find_by_char_id(CHAR_LEADER), &g_units[0]);
    EXPECT_EQ(unit_find_by_char_id(CHAR_SECOND_LEADER), &g_units[1]);
    ASSERT_NE(unit_find_by_char_id(CHAR_PAUL), nullptr);
    EXPECT_EQ(unit_find_by_char_id(CHAR_PAUL)->stats.ai_mode, AI_MODE_PLAYER);
    EXPECT_EQ(unit_find_by_char_id(CHAR_PAUL)->stats.class_id, CLASS_BUTLER);
    EXPECT_GT(unit_count_live_enemies(), 0);
    // Every enemy of stage 1 has a frame in chapter 1's unit sheet.
    map_select_sprite_list(1);
    for (int s = 18; s < 62; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number == 0) continue;
        EXPECT_LT(map_unit_sprite_index(&g_units[static_cast<size_t>(s)]), g_tile_overlay_limit);
        EXPECT_LT(u.stats.class_id, 49);
    }
    // The blocks the chapters read: 43, 44 (stage 40) and 47 (a scene).
    for (int block : {43, 44, 47}) {
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        unit_load_stage_units(block, 1);
        EXPECT_GT(unit_count_live_enemies() + (unit_find_by_char_id(CHAR_GELDA) ? 1 : 0), 0) << block;
    }
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    unit_load_stage_units(39, 1);
    ASSERT_NE(unit_find_by_char_id(CHAR_LAST_ENEMY), nullptr);
    EXPECT_EQ(unit_find_by_char_id(CHAR_LAST_ENEMY)->stats.class_id, CLASS_FIRST_FORM);
    EXPECT_EQ(memory_errors(), 0u);
}
