// Damage rules and the plain exchange: the damage of given stats, items,
// terrain and distance, criticals and the charge, the counter-attack
// strength, the forecast, and whole battles with counter, defeat and
// experience.
#include "battle/battle.h"
#include "tactics/units.h"
#include "tests/loop_fixture.h"

namespace {

constexpr int SHORT_SWORD = 38;  // attack 14 at distance 1, reach 1
constexpr int TALISMAN = 46;     // magic 20 / 20, the class-change flag

class BattleRulesTest : public LoopTest {
protected:
    UnitStats a{}, d{};
    void SetUp() override {
        LoopTest::SetUp();
        btl_reset();
        a = MapTest::stats(10, 6, 0);
        d = MapTest::stats(11, 35, 3, 100);
        g_btl_combatant[0] = &a;
        g_btl_combatant[1] = &d;
    }
    void TearDown() override {
        btl_reset();
        LoopTest::TearDown();
    }
    int hit(int range = 0, int terrain_index = 2) {
        g_btl_range_mode = static_cast<uint16_t>(range);
        g_btl_terrain[1] = static_cast<int16_t>(terrain_index);
        btl_calc_damage(0);
        return g_btl_last_damage;
    }
};

TEST_F(BattleRulesTest, DamageOfStatsItemTerrainAndDistance) {
    a.attack = 30;
    a.intelligence = 20;
    d.defence = 10;
    d.magic_defence = 5;
    a.weapon = ITEM_TORNADO_SPEAR;  // attack 38 / 20, magic 0 / 18, reach 1, area
    // Distance 1: (30 + 38 - 10) on 70 % cover; the magic column is 0.
    EXPECT_EQ(hit(0), 58 * 70 / 100);
    // Distance 2 and 3 read the distance-2 columns: (30 + 20 - 10) + (20 + 18 - 5).
    EXPECT_EQ(hit(1), 73 * 70 / 100);
    EXPECT_EQ(hit(2), 73 * 70 / 100);
    EXPECT_EQ(hit(0, 0), 58 * 90 / 100);
    // A terrain index outside the table reads as the first kind.
    EXPECT_EQ(hit(0, 40), 58 * 90 / 100);
    // Bosses take two thirds; the first form halves instead.
    d.ai_mode = AI_MODE_BOSS_UNMET;
    EXPECT_EQ(hit(0), 58 * 2 / 3 * 70 / 100);
    d.class_id = CLASS_FIRST_FORM;
    EXPECT_EQ(hit(0), 58 / 2 * 70 / 100);
    d.class_id = 35;
    d.ai_mode = AI_MODE_HOLD;
    // The class-change talisman keeps its magic part: only flag 0x8 removes it.
    a.weapon = TALISMAN;
    EXPECT_EQ(hit(0), (20 + 20 - 5) * 70 / 100);
    // At least 1, at most the defender's HP.
    a.weapon = SHORT_SWORD;
    a.attack = 0;
    d.defence = 50;
    EXPECT_EQ(hit(0), 1);
    d.defence = 0;
    a.attack = 100;
    d.hp = 7;
    EXPECT_EQ(hit(0), 7);
    d.hp = 0;
    EXPECT_EQ(hit(0), 0);
}

TEST_F(BattleRulesTest, DamageTotalRestartsWithEachMoveAndCountsOnlyTheEnemySide) {
    a.attack = 16;  // 30 on road-less plain ground (index 0): 27
    btl_calc_damage(0);
    EXPECT_EQ(g_btl_damage_total, 30 * 90 / 100);
    g_btl_actor[1].hit_count = 1;  // a further hit of the same move
    btl_calc_damage(0);
    EXPECT_EQ(g_btl_damage_total, 27 + 27 * 2 / 3);
    g_btl_actor[1].hit_count = 0;
    btl_calc_damage(0);
    EXPECT_EQ(g_btl_damage_total, 27);
    // Hits on a party unit leave the total alone.
    btl_calc_damage(1);
    EXPECT_EQ(g_btl_damage_total, 27);
}

TEST_F(BattleRulesTest, ChargeAndDrawnCriticals) {
    // A charged hit on a common enemy keeps its damage but shows the spark;
    // on a boss it is one and a half times. The charge is spent.
    g_unit_charge_flag = 1;
    EXPECT_EQ(hit(0), 14 * 70 / 100);
    EXPECT_EQ(g_btl_crit_shown, 1);
    EXPECT_EQ(g_unit_charge_flag, 0);
    d.ai_mode = AI_MODE_BOSS;
    g_unit_charge_flag = 1;
    EXPECT_EQ(hit(0), 14 * 2 / 3 * 70 / 100 * 3 / 2);
    d.ai_mode = AI_MODE_HOLD;
    // An agility lead of 34 or more always doubles twice over: x 3.
    a.agility = 40;
    d.agility = 6;
    EXPECT_EQ(hit(0), 9 * 3);
    EXPECT_EQ(g_btl_crit_shown, 0);
    // A lead of 1: a critical only when the draw is below 3.
    util_random_reset();
    RandomMirror mirror;
    a.agility = 7;
    for (int i = 0; i < 40; ++i) {
        const bool crit = mirror.next() % 100 < 3;
        EXPECT_EQ(hit(0), crit ? 27 : 9) << i;
    }
    // No lead, no draw.
    a.agility = 6;
    hit(0);
    EXPECT_EQ(util_random(), mirror.next());
}

TEST_F(BattleRulesTest, CounterStrengthComesFromTheStatusCounter) {
    int16_t status = 90;
    g_btl_target_status_ptr = &status;
    g_btl_counter_flag = 1;
    a.attack = 86;  // 100 on 70 %: 70
    EXPECT_EQ(hit(0), 63);
    EXPECT_EQ(status, 85);
    EXPECT_EQ(hit(0), 70 * 85 / 100);
    EXPECT_EQ(status, 80);
    status = 3;
    EXPECT_EQ(hit(0), 2);
    EXPECT_EQ(status, 3);
    // A knocked-out unit's countdown gives no strength: the least damage,
    // never a wrapped-around hit.
    status = -1;
    EXPECT_EQ(hit(0), 1);
    EXPECT_EQ(status, -1);
}

TEST_F(BattleRulesTest, TheStatusPointerStartsAtACounterOfItsOwn) {
    ASSERT_NE(g_btl_target_status_ptr, nullptr);
    g_btl_counter_flag = 1;
    EXPECT_EQ(hit(0), 1);  // the spare counter is 0
}

TEST_F(BattleRulesTest, ForecastSetsUpWithoutDrawingAndCountsKindZeroAsOne) {
    a.class_id = 28;  // its move choice would draw
    d.class_id = CLASS_FIRST_FORM;
    d.ai_mode = AI_MODE_HOLD;
    util_random_reset();
    RandomMirror mirror;
    uint32_t result = 0;
    const int16_t terrain[2] = {0, 0};
    g_btl_counter_flag = 1;
    EXPECT_EQ(btl_forecast(terrain, &result, 0, &a, &d), 14 / 2 * 90 / 100);
    EXPECT_EQ(result, 6u);
    EXPECT_EQ(g_btl_terrain[1], 0);
    EXPECT_EQ(util_random(), mirror.next());
    EXPECT_EQ(d.hp, 100);  // nothing applied
}

// --- the struck fighter's reaction and the downed fall -----------------------

class BattleReactionTest : public BattleRulesTest {
protected:
    void SetUp() override {
        BattleRulesTest::SetUp();
        g_btl_next_actor = 4;
        g_btl_spark_actor = 2;
        g_btl_actor[0].x = 30;
        g_btl_actor[0].y = 240;
        g_btl_actor[1].x = 50;
        g_btl_actor[1].y = 240;
        g_btl_actor[1].recoil = 1;
        g_btl_actor[1].companion = 3;
        g_btl_actor[1].state = 1;
        g_btl_actor[1].loop_first = 4;
        g_btl_actor[1].loop_last = 7;
    }
};

TEST_F(BattleReactionTest, ABeatenFighterTakesItsLastRecoilAsItGoesDown) {
    BattleActor& f = g_btl_actor[1];
    d.hp = 10;
    g_btl_last_damage = 10;
    g_btl_hit_phase[1] = 1;
    btl_apply_hit(1);
    EXPECT_EQ(f.x, 51);
    EXPECT_EQ(g_btl_hit_phase[1], 2);
    btl_apply_hit(1);
    EXPECT_EQ(d.hp, 0);
    EXPECT_EQ(f.x, 52);
    EXPECT_EQ(g_btl_hit_phase[1], 3);
    const BattleActor& spark = g_btl_actor[2];
    EXPECT_EQ(spark.x, 50);
    EXPECT_EQ(spark.y, 240 - 16);
    EXPECT_EQ(spark.frame, 9);
    btl_apply_hit(1);
    // The spark is parked: its place kept in the stash words, itself at 0, 0.
    EXPECT_EQ(spark.stash_x, 50);
    EXPECT_EQ(spark.stash_y, 240 - 16);
    EXPECT_EQ(spark.x, 0);
    EXPECT_EQ(spark.y, 0);
    EXPECT_EQ(f.state, 7);
    EXPECT_EQ(f.timer, 0);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
    EXPECT_EQ(f.x, 53);
}

TEST_F(BattleReactionTest, AThrownFighterFallsUntilItLandsAndLosesHpOnce) {
    BattleActor& f = g_btl_actor[1];
    d.hp = 50;
    g_btl_last_damage = 10;
    f.state = 2;
    f.y = 200;
    f.stash_y = -4;
    g_btl_hit_phase[1] = 1;
    btl_apply_hit(1);
    EXPECT_EQ(f.y, 196);
    EXPECT_EQ(f.x, 50);  // only side 0 drifts in the first frame
    btl_apply_hit(1);
    EXPECT_EQ(f.y, 200);
    EXPECT_EQ(f.x, 51);
    EXPECT_EQ(d.hp, 40);
    btl_apply_hit(1);
    EXPECT_EQ(f.y, 212);
    EXPECT_EQ(g_btl_hit_phase[1], 3);
    btl_apply_hit(1);
    EXPECT_EQ(f.y, 232);
    EXPECT_EQ(g_btl_hit_phase[1], 3);
    btl_apply_hit(1);
    EXPECT_EQ(f.y, 240);
    EXPECT_EQ(g_btl_hit_phase[1], 3);
    btl_apply_hit(1);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
    EXPECT_EQ(f.x, 52);
    EXPECT_EQ(d.hp, 40);
}

TEST_F(BattleReactionTest, TheFallSetsTheCompanionPoseOnlyWhileItArcs) {
    BattleActor& f = g_btl_actor[1];
    BattleActor& c = g_btl_actor[3];
    f.state = 7;
    f.timer = 0;
    c.state = 4;
    btl_anim_fall(1);
    EXPECT_EQ(f.timer, 1);
    EXPECT_EQ(c.state, 4);  // the set-up step leaves the pose alone
    btl_anim_fall(1);       // y 228: still low
    EXPECT_EQ(f.y, 228);
    EXPECT_EQ(c.state, 5);
    btl_anim_fall(1);  // y 220: up in the arc
    EXPECT_EQ(c.state, 7);
    int guard = 0;
    while (f.timer == 1 && ++guard < 20) btl_anim_fall(1);
    ASSERT_EQ(f.timer, 2);
    while (f.timer == 2 && ++guard < 40) {
        c.state = 0;
        btl_anim_fall(1);
    }
    ASSERT_EQ(f.timer, 3);
    EXPECT_EQ(f.y, 240);
    EXPECT_EQ(c.state, 5);  // the landing of the bounce still sets it
    c.state = 0;
    btl_anim_fall(1);
    EXPECT_EQ(c.state, 0);
    btl_anim_fall(1);
    EXPECT_EQ(g_btl_hit_phase[1], 0);
}

// --- whole plain battles ---------------------------------------------------

class PlainBattleTest : public BattleRulesTest {
protected:
    int16_t status = 100;
    void SetUp() override {
        BattleRulesTest::SetUp();
        g_opt_battle_speed = 0;
        g_btl_target_status_ptr = &status;
        keep_clicking();
    }
    void fight(int range = 0) {
        const int16_t terrain[2] = {1, 1};
        btl_plain_battle(terrain, 0, range, &a, &d);
    }
};

TEST_F(PlainBattleTest, AttackCounterAndExperience) {
    a.attack = 10;
    d.hp = d.max_hp = 40;
    fight();
    EXPECT_EQ(d.hp, 40 - 24 * 90 / 100);
    EXPECT_EQ(a.hp, 20 - 14 * 90 / 100);  // the counter at full strength
    EXPECT_EQ(status, 95);
    // (21 + 1) / 2 at the same level: 11.
    EXPECT_EQ(a.exp, 11);
    EXPECT_EQ(g_btl_msgbox_store, nullptr);
    EXPECT_EQ(g_btl_next_actor, g_btl_ghost_first);
}

TEST_F(PlainBattleTest, NoCounterOutOfTheDefendersReachOrForClass47) {
    a.weapon = ITEM_SPARK_EDGE;  // attack 32 / 32, reach 1 and 2
    fight(1);                    // the orc's short sword does not reach distance 2
    EXPECT_EQ(d.hp, 100 - 32 * 90 / 100);
    EXPECT_EQ(a.hp, 20);
    d.class_id = CLASS_RISING_FORM;
    fight(0);
    EXPECT_EQ(a.hp, 20);
    EXPECT_EQ(g_btl_move[1], BTL_NO_MOVE);
}

TEST_F(PlainBattleTest, DefeatEndsTheBattleAndGivesKillExperienceAndSpoils) {
    d.hp = 5;
    d.level = 4;
    d.exp = 50;
    d.weapon = 71;  // bound to its holder: never dropped, 800 / 4 gold
    g_gold = 0;
    fight();
    EXPECT_EQ(d.hp, 0);
    EXPECT_EQ(a.hp, 20);               // a beaten defender does not strike back
    EXPECT_EQ(a.exp, 50 * 130 / 100);  // three levels above: 130 %
    EXPECT_EQ(g_gold, 200u);
    EXPECT_EQ(g_btl_actor[1].state, 7);  // it fell
    EXPECT_EQ(g_btl_hit_phase[1], 0);
}

TEST_F(PlainBattleTest, BeatenByTheCounterEarnsNothingAndClass46GivesNoKillExperience) {
    a.hp = 3;
    d.hp = 40;
    fight();
    EXPECT_EQ(a.hp, 0);
    EXPECT_EQ(a.exp, 0);
    a = MapTest::stats(10, 6, 0);
    a.attack = 100;
    d = MapTest::stats(11, CLASS_FIRST_FORM, 3, 10);
    d.exp = 99;
    fight();
    EXPECT_EQ(d.hp, 0);
    EXPECT_EQ(a.exp, 0);
}

TEST_F(PlainBattleTest, SupportMoveHealsAPartyUnitAndEarnsEight) {
    a = MapTest::stats(10, CLASS_PRIEST, 0);
    a.intelligence = 10;
    d = MapTest::stats(11, 6, 0, 30);
    d.hp = 5;
    fight();
    EXPECT_EQ(d.hp, 25);
    EXPECT_EQ(a.hp, 20);  // no counter between friends
    EXPECT_EQ(a.exp, 8);
    d.hp = 25;
    fight();
    EXPECT_EQ(d.hp, 30);  // healed to the maximum, never past it
}

}  // namespace
