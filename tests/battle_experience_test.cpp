// Experience, level-up growth and spoils, and targeting with the attack
// command.
#include <cstring>

#include "battle/battle.h"
#include "tactics/map.h"
#include "tactics/units.h"
#include "tests/scene_fixture.h"

namespace {

class BattleExpTest : public LoopTest {
protected:
    UnitStats a{}, o{};
    void SetUp() override {
        LoopTest::SetUp();
        btl_reset();
        g_opt_battle_speed = 0;
        a = MapTest::stats(10, 6, 0);
        o = MapTest::stats(11, 35, 3);
        g_btl_combatant[0] = &a;
        g_btl_combatant[1] = &o;
        keep_clicking();
    }
    void TearDown() override {
        btl_reset();
        LoopTest::TearDown();
    }
};

TEST_F(BattleExpTest, GainIsScaledByLevelAndClamped) {
    o.level = 1;
    g_btl_damage_total = 40;
    btl_award_experience(0, 0);
    EXPECT_EQ(a.exp, 20);
    // Eleven or more levels below the earner's experience level: 10 %.
    a.exp = 1500;
    a.level = 16;
    o.level = 1;
    o.exp = 100;
    btl_award_experience(0, 1);
    EXPECT_EQ(a.exp, 1510);
    // Capped at 300 and at 11999; a gain of 0 gives 1.
    a.exp = 11950;
    a.level = 59;
    o.level = 60;
    o.exp = 2000;
    btl_award_experience(0, 1);
    EXPECT_EQ(a.exp, 11999);
    a.exp = 0;
    a.level = 1;
    o.exp = 0;
    btl_award_experience(0, 1);
    EXPECT_EQ(a.exp, 1);
    // Level 60 earns nothing, but a kill still brings spoils.
    a.level = 60;
    a.exp = 500;
    o.weapon = 71;  // never dropped; 200 gold
    g_gold = 0;
    btl_award_experience(0, 1);
    EXPECT_EQ(a.exp, 500);
    EXPECT_EQ(g_gold, 200u);
}

TEST_F(BattleExpTest, LevelUpGrowsByTheClassChancesFromTheFixedSeeds) {
    // Class 7 is not a multiple of 3: each success adds 1. Its chances:
    // HP 100, attack 90, defence 60, intelligence 40, magic defence 40, agility 60.
    a.class_id = 7;
    a.exp = 90;
    a.max_hp = 40;
    g_btl_damage_total = 39;  // 20 points: one level
    util_random_reset();
    RandomMirror m;
    int hp = 40;
    if (m.next() % 100 <= 100) hp += m.next() % 3;
    hp += 1;
    const int chances[5] = {90, 60, 40, 40, 60};
    int grown[5] = {};
    for (int i = 0; i < 5; ++i) grown[i] = m.next() % 100 <= chances[i] ? 1 : 0;
    if (grown[0] + grown[1] + grown[2] + grown[3] + grown[4] == 0) hp += 1;
    btl_award_experience(0, 0);
    EXPECT_EQ(a.exp, 110);
    EXPECT_EQ(a.level, 2);
    EXPECT_EQ(a.max_hp, hp);
    EXPECT_EQ(a.attack, grown[0]);
    EXPECT_EQ(a.defence, grown[1]);
    EXPECT_EQ(a.intelligence, grown[2]);
    EXPECT_EQ(a.magic_defence, grown[3]);
    EXPECT_EQ(a.agility, grown[4]);
    EXPECT_EQ(a.hp, 20);  // HP itself does not grow
    // Three draws of spoils or growth are never taken out of turn.
    EXPECT_EQ(util_random(), m.next());
}

TEST_F(BattleExpTest, GrowthNeverPassesTheCaps) {
    g_btl_levelup_copy = a;
    g_btl_levelup_copy.class_id = 12;  // multiple of 3: random growth
    g_btl_levelup_copy.max_hp = 150;
    g_btl_levelup_copy.attack = g_btl_levelup_copy.defence = g_btl_levelup_copy.intelligence = 99;
    g_btl_levelup_copy.magic_defence = g_btl_levelup_copy.agility = 99;
    g_btl_levelup_copy.level = 60;
    for (int i = 0; i < 50; ++i) {
        btl_levelup_grow_stats(0);
        ASSERT_EQ(g_btl_levelup_copy.max_hp, 150);
        ASSERT_EQ(g_btl_levelup_copy.attack, 99);
        ASSERT_EQ(g_btl_levelup_copy.agility, 99);
        ASSERT_EQ(g_btl_levelup_copy.level, 60);
    }
    // A class id without a growth row of its own uses the last row.
    g_btl_levelup_copy.class_id = 53;
    g_btl_levelup_copy.level = 5;
    btl_levelup_grow_stats(0);
    EXPECT_EQ(g_btl_levelup_copy.level, 6);
}

TEST_F(BattleExpTest, SpoilsDropTheItemOnADrawBelow25ElseGold) {
    UnitRecord* u = &g_units[0];
    *u = {};
    u->number = 1;
    u->stats = a;
    g_btl_attacker_unit = u;
    g_gold = 59900;
    util_random_reset();
    RandomMirror m;
    // Move to a draw below 25: the item is given.
    while (true) {
        RandomMirror peek = m;
        if (peek.next() % 100 < 25) break;
        m.next();
        util_random();
    }
    btl_award_spoils(0, 38);
    m.next();
    EXPECT_EQ(u->items[0], 38);
    EXPECT_EQ(g_gold, 59900u);
    // A draw of 25 or more: a quarter of the price in gold, capped at 60000.
    while (true) {
        RandomMirror peek = m;
        if (peek.next() % 100 >= 25) break;
        m.next();
        util_random();
    }
    btl_award_spoils(0, 38);
    EXPECT_EQ(g_gold, 60000u);
    EXPECT_EQ(u->items[1], 0);
    // Without a unit to give it to the item turns into gold.
    g_gold = 0;
    g_btl_attacker_unit = nullptr;
    for (int i = 0; i < 10; ++i) btl_award_spoils(0, 38);
    EXPECT_EQ(g_gold, 2000u);
}

// --- targeting and the attack command -------------------------------------------

class BattleTargetTest : public BattleMapTest {
protected:
    static std::vector<UnitRecord*> found(int n) {
        return {g_unit_target_list.begin(), g_unit_target_list.begin() + n};
    }
};

TEST_F(BattleTargetTest, RingsFollowTheWeaponsReachInClockwiseOrder) {
    UnitRecord* a = put(10, 10, 10, 6, 0, 41);  // reach 1 and 2
    UnitRecord* left1 = put(9, 10, 11, 35, 3);
    UnitRecord* up1 = put(10, 9, 11, 35, 3);
    UnitRecord* right2 = put(12, 10, 11, 35, 3);
    put(10, 13, 11, 35, 3);                // distance 3: out of reach
    put(11, 10, 11, 35, AI_MODE_WALK_ON);  // never
    put(10, 11, 11, 35, AI_MODE_DORMANT);  // never an enemy target
    UnitRecord* beaten = put(9, 9, 11, 35, 3);
    beaten->stats.hp = 0;
    EXPECT_EQ(found(btl_find_targets(a->x, a->y, a, 2)), (std::vector<UnitRecord*>{left1, up1, right2}));
    // A charged area weapon reaches all three rings.
    a->stats.weapon = 30;
    a->charged = 1;
    EXPECT_EQ(btl_find_targets(a->x, a->y, a, 2), 4);
    a->charged = 0;
    EXPECT_EQ(btl_find_targets(a->x, a->y, a, 2), 2);
}

TEST_F(BattleTargetTest, SupportUnitsListWoundedFriendsButNeverElementals) {
    UnitRecord* healer = put(10, 10, 1, 11, 0, 45);
    UnitRecord* wounded = put(10, 8, 11, 6, 0);
    wounded->stats.hp = 5;
    put(11, 10, 12, 6, 0);                       // full HP
    UnitRecord* spirit = put(9, 10, 13, 16, 0);  // a party elemental
    spirit->stats.hp = 3;
    UnitRecord* knocked = put(10, 11, 14, 6, 0);
    knocked->stats.hp = 0;
    // The knocked-out unit lies below its maximum too.
    EXPECT_EQ(found(btl_find_targets(10, 10, healer, 3)), (std::vector<UnitRecord*>{knocked, wounded}));
    EXPECT_EQ(btl_mark_targets(healer), 2);
    EXPECT_EQ(g_occupancy.cells[8 * MAP_SIDE + 10] & (OCC_MARK_A | OCC_MARK_B), OCC_MARK_A);
    EXPECT_EQ(g_occupancy.cells[10 * MAP_SIDE + 10] & (OCC_MARK_A | OCC_MARK_B), OCC_MARK_A | OCC_MARK_B);
    // The revive search (mode 4) finds the knocked-out unit next to it.
    EXPECT_EQ(found(btl_find_targets(10, 10, healer, 4)), (std::vector<UnitRecord*>{knocked}));
}

TEST_F(BattleTargetTest, CharacterThreeLetsAFriendThatActedActAgain) {
    UnitRecord* c3 = put(10, 10, 3, 6, 0);
    UnitRecord* done = put(10, 9, 11, 6, 0);
    done->acted = 1;
    UnitRecord* fresh = put(11, 10, 12, 6, 0);
    const int n = btl_mark_targets(c3);
    EXPECT_EQ(found(n), (std::vector<UnitRecord*>{done}));
    EXPECT_EQ(g_occupancy.cells[10 * MAP_SIDE + 11] & OCC_MARK_A, 0);
    (void)fresh;
    keep_clicking();
    btl_attack_command(c3, done);
    EXPECT_EQ(done->acted, 0);
    EXPECT_EQ(c3->acted, 1);
}

TEST_F(BattleTargetTest, TheAttackRemovesABeatenEnemyAndCountsTheVictory) {
    UnitRecord* a = put(5, 5, 10, 6, 0);
    a->stats.attack = 30;
    a->charged = 1;
    UnitRecord* t = put(6, 5, 11, 35, 3);
    keep_clicking();
    btl_attack_command(a, t);
    EXPECT_EQ(t->stats.hp, 0);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 6] & OCC_UNIT_MASK, 0);
    EXPECT_EQ(a->victories, 1);
    EXPECT_EQ(a->acted, 1);
    EXPECT_EQ(a->charged, 0);
    EXPECT_EQ(g_btl_attacker_unit, a);
    EXPECT_EQ(g_btl_target_status_ptr, &t->status);
    EXPECT_EQ(g_btl_combatant[0], &a->stats);
    EXPECT_EQ(g_btl_combatant[1], &t->stats);
    // The stage's end keeps the attacker from being marked.
    a->acted = 0;
    UnitRecord* t2 = put(5, 6, 12, 35, 3);
    g_stage_end = 1;
    btl_attack_command(a, t2);
    EXPECT_LT(t2->stats.hp, 20);
    EXPECT_EQ(a->acted, 0);
}

}  // namespace
