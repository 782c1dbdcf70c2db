// Map-screen area attacks: a charged unit holding an area weapon strikes
// every enemy in its three rings through the attack command.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "battle/battle.h"
#include "platform/draw.h"
#include "platform/shell.h"
#include "tactics/map.h"
#include "tactics/units.h"
#include "tests/picture.h"
#include "tests/scene_fixture.h"

namespace {

class BattleAreaTest : public BattleMapTest {
protected:
    char saved_bmp_dir[160]{};
    TempDir pictures;

    void SetUp() override {
        BattleMapTest::SetUp();
        std::memcpy(saved_bmp_dir, g_bmp_dir, sizeof saved_bmp_dir);
        keep_clicking();
    }
    void TearDown() override {
        std::memcpy(g_bmp_dir, saved_bmp_dir, sizeof saved_bmp_dir);
        BattleMapTest::TearDown();
    }
    static UnitRecord* caster(int weapon, int attack = 12) {
        UnitRecord* a = put(10, 10, 10, 6, 0, weapon);
        a->stats.attack = static_cast<int16_t>(attack);
        a->charged = 1;
        return a;
    }
    static int memory_errors() {
        int n = 0;
        for (const auto& l : sys_log_lines()) n += l == "msgbox |Memory Error";
        return n;
    }
    // A copy of the kit's pictures with `name` replaced by a small one.
    void use_small_picture(const char* name, int w, int h) {
        for (const auto& f : std::filesystem::directory_iterator(std::filesystem::path(ROWEN_KIT_DIR) / "bmp"))
            std::filesystem::copy_file(f.path(), pictures.path / f.path().filename(),
                                       std::filesystem::copy_options::overwrite_existing);
        write_bmp(pictures.path / name, make_picture(w, h, 0, [](int, int) { return uint8_t{4}; }));
        std::snprintf(g_bmp_dir, sizeof g_bmp_dir, "%s\\", pictures.str().c_str());
    }
    static int cell_unit(int x, int y) { return g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK; }
};

TEST_F(BattleAreaTest, EveryEnemyInTheThreeRingsIsStruckAndNoOneElse) {
    // Stage 28, whose boss's first contact shows message 49 and raises its
    // AI mode from AI_MODE_BOSS_UNMET to AI_MODE_BOSS: every unit asked about shows it.
    g_chapter = 4;
    g_stage_index = 27;
    UnitRecord* a = caster(30);
    UnitRecord* ring1 = put(10, 9, 11, 35, AI_MODE_BOSS_UNMET, 38, 150);
    UnitRecord* ring2 = put(12, 10, 12, 35, AI_MODE_BOSS_UNMET, 38, 150);
    UnitRecord* ring3 = put(9, 12, 13, 35, AI_MODE_BOSS_UNMET, 38, 150);
    UnitRecord* far = put(14, 10, 14, 35, AI_MODE_BOSS_UNMET, 38, 150);  // distance 4
    UnitRecord* friend1 = put(11, 10, 15, 6, AI_MODE_PLAYER, 38, 150);   // a party unit next to it
    UnitRecord* walker = put(10, 11, 16, 35, AI_MODE_WALK_ON, 38, 150);  // a walk-on: never
    btl_attack_command(a, ring1);
    for (UnitRecord* u : {ring1, ring2, ring3}) EXPECT_LT(u->stats.hp, 150) << u->stats.char_id;
    for (UnitRecord* u : {far, friend1, walker}) EXPECT_EQ(u->stats.hp, 150) << u->stats.char_id;
    // Each one is asked about once, the one out of reach never, and the
    // weapon's message shows once.
    for (UnitRecord* u : {ring1, ring2, ring3}) EXPECT_EQ(u->stats.ai_mode, AI_MODE_BOSS) << u->stats.char_id;
    EXPECT_EQ(far->stats.ai_mode, AI_MODE_BOSS_UNMET);
    EXPECT_EQ(count_messages(49), 3);
    EXPECT_EQ(count_messages(609), 1);
    EXPECT_EQ(a->acted, 1);
    EXPECT_EQ(a->charged, 0);
}

TEST_F(BattleAreaTest, DamageIsTakenFromHpTheFallenLeaveAndTheSumGivesExperience) {
    UnitRecord* a = caster(54, 40);
    UnitRecord* weak = put(10, 8, 11, 35, 3, 38, 3);
    UnitRecord* strong = put(13, 10, 12, 35, 3, 38, 150);
    strong->stats.defence = 20;
    const int exp0 = a->stats.exp;
    btl_attack_command(a, weak);
    ASSERT_EQ(g_area_target_count, 2);
    EXPECT_EQ(g_unit_target_list[0], weak);
    EXPECT_EQ(g_area_damage[0], 3u);  // never more than the HP left
    EXPECT_EQ(weak->stats.hp, 0);
    EXPECT_EQ(cell_unit(10, 8), 0);
    const uint32_t hit = g_area_damage[1];
    EXPECT_GT(hit, 0u);
    EXPECT_EQ(strong->stats.hp, static_cast<int>(150 - hit));
    EXPECT_NE(cell_unit(13, 10), 0);
    EXPECT_EQ(a->stats.exp, exp0 + static_cast<int>(std::min<uint32_t>(3 + hit, 300)));
    EXPECT_EQ(count_messages(611), 1);
    EXPECT_EQ(memory_errors(), 0);
}

TEST_F(BattleAreaTest, AUnitOfSeveralCellsIsStruckOnceAndStaysOnTheMap) {
    UnitRecord* a = caster(57, 200);
    UnitRecord* big = put(10, 8, 28, 35, 3, 38, 5);
    // Its second cell, in ring 1.
    g_occupancy.cells[9 * MAP_SIDE + 10] = static_cast<uint8_t>(big->number);
    UnitRecord* other = put(8, 10, 11, 35, 3);
    btl_attack_command(a, other);
    ASSERT_EQ(g_area_target_count, 2);
    EXPECT_EQ(g_unit_target_list[0], big);
    EXPECT_EQ(g_unit_target_list[1], other);
    EXPECT_EQ(big->stats.hp, 0);
    EXPECT_NE(cell_unit(10, 8), 0);
    EXPECT_EQ(count_messages(610), 1);
}

TEST_F(BattleAreaTest, TheAfterBattleHooksStopAtTheOneThatEndedTheStage) {
    g_chapter = 2;
    g_stage_index = 5;  // stage 6: a beaten boss ends the stage with message 50
    UnitRecord* a = caster(30, 200);
    put(10, 9, 11, 35, 2, 38, 4);
    put(11, 10, 12, 35, 2, 38, 4);
    UnitRecord* third = put(12, 10, 13, 35, 3, 38, 4);
    btl_attack_command(a, third);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(count_messages(50), 1);
    EXPECT_EQ(a->acted, 0);  // the stage has ended
    EXPECT_EQ(a->charged, 0);
}

TEST_F(BattleAreaTest, AnUnchargedAreaWeaponFightsAnOrdinaryBattle) {
    UnitRecord* a = put(10, 10, 10, 6, 0, 30);
    UnitRecord* t = put(10, 9, 11, 35, 3);
    UnitRecord* side = put(11, 10, 12, 35, 3);
    btl_attack_command(a, t);
    EXPECT_EQ(count_messages(609), 0);
    EXPECT_EQ(side->stats.hp, 20);
    EXPECT_EQ(a->acted, 1);
}

TEST_F(BattleAreaTest, PicturesTooSmallAreRefusedAndTheAnimationSkipped) {
    use_small_picture("volcano.BMP", 320, 416);
    UnitRecord* a = caster(54);
    UnitRecord* t = put(10, 9, 11, 35, 3);
    std::vector<uint8_t> shadow(g_shadow_dib, g_shadow_dib + SCREEN_DIB_SIZE);
    btl_attack_command(a, t);
    EXPECT_EQ(memory_errors(), 1);
    EXPECT_EQ(std::memcmp(shadow.data(), g_shadow_dib, SCREEN_DIB_SIZE), 0);
    EXPECT_LT(t->stats.hp, 20);  // the damage is still dealt

    use_small_picture("angel.BMP", 216, 400);
    a->stats.weapon = 57;
    a->charged = 1;
    a->acted = 0;
    ASSERT_GT(t->stats.hp, 0);
    btl_attack_command(a, t);
    EXPECT_EQ(memory_errors(), 2);
    EXPECT_EQ(std::memcmp(shadow.data(), g_shadow_dib, SCREEN_DIB_SIZE), 0);
}

TEST_F(BattleAreaTest, TheAngelsPillarStandsOnALowerHalfDiscOfItsFullRadius) {
    gfx_clear_screen();
    const int col = 30, y = 100;
    const int cx = (col + g_cell_w8 / 2) * 8, cy = y + g_cell_h / 2;
    const auto px = [](int x, int line) { return *gfx_screen_pixel(g_back_dib, x, line); };
    // The pillar as it stands while the screen fades to white (radius 60
    // and more): its base reaches about r below the centre, not r / 2.
    std::vector<uint8_t> base;
    poll_period = 2;
    start_polling([&] {
        const bool to_white = g_fade_running && g_fade_target[0] == 255 && g_fade_target[1] == 255;
        if (to_white && base.empty())
            base = {px(cx, cy + 20),      px(cx, cy + 57), px(cx + 45, cy + 29),
                    px(cx - 45, cy + 29), px(cx, cy + 66), px(cx + 70, cy + 10)};
    });
    btl_spell_angel_anim(col, y);
    polling = false;
    EXPECT_EQ(base, (std::vector<uint8_t>{15, 15, 15, 15, 0, 0}));
}

TEST_F(BattleAreaTest, TheKitsPicturesAreReadWhole) {
    UnitRecord* a = caster(54);
    UnitRecord* t = put(10, 9, 11, 35, 3);
    btl_attack_command(a, t);
    // The first eruption frame's corner (colour 14 around the plume) sits at line 320.
    EXPECT_EQ(*gfx_screen_pixel(g_shadow_dib, 1, 321), 14);
    EXPECT_EQ(memory_errors(), 0);
}

}  // namespace
