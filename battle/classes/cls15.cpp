// Class 15, the earth elemental: a ground wave that shakes the field, and
// falling rocks. Both moves draw from sheet 15B; its shadow is never shown.
// Move choice: btl_choose_move_for_class, case 15 (battle/scene.cpp).
#include <cstdlib>

#include "battle/classes/classes.h"
#include "platform/input.h"

// Move 12: three thumps shake the field, then two waves of earth roll in
// from behind the mover; the first to reach the opponent strikes once.
uint16_t cls15_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.ground = true, .pose = 0, .sound = SFX_MONSTER_SPELL});
            me.timer = 2;
            [[fallthrough]];
        case 1:
            if (me.timer < 10) me.frame = 2;
            if (me.timer == 24) me.frame = 3;
            ++me.timer;
            if (me.timer > 13 && me.timer % 4 == 1) {
                if (!g_shake_on) gfx_shake_start(8);
                m.jolt();
                btl_sound(SFX_THUD);
            }
            gfx_shake_step();
            if (me.frame == 3) {
                me.timer = 0;
                m.opp.hit_count = 0;
                m.spawn(side == 0 ? -10 : 90, me.y, 13);
                BattleActor& e1 = m.spawn(side == 0 ? -11 : 91, me.y, 17);
                me.stash_x = static_cast<int16_t>(m.gap(e1) / 2);
                me.step = 2;
            }
            return 0;
        case 2: {
            ++me.timer;
            gfx_shake_step();
            BattleActor& e0 = m.fx(0);
            BattleActor& e1 = m.fx(1);
            e0.x += m.fwd(2);
            e1.x += m.fwd(2);
            e0.frame = static_cast<int16_t>(13 + me.timer % 4);
            if (e0.frame == 14) {
                btl_sound(SFX_THUD);
                m.jolt();
            }
            e1.frame = static_cast<int16_t>(17 + me.timer % 5);
            if (m.gap(e1) < me.stash_x + 6) m.pan_slow();
            if (m.gap(e0) < 4 || m.gap(e1) < 4) m.try_hit(2, 2, 1);
            if (btl_off_field(e1, -10, 90)) me.step = 3;
            return 0;
        }
        case 3:
            gfx_shake_stop();
            m.release();
            m.trail_off();
            me.step = 4;
            return 0;
        default: return m.finish(4, false);
    }
}

// Move 13: the mover hurls a stone up, the view follows a focus to the
// opponent, and five rocks fall on it, each at most twice; the reactions
// alternate 2, 1, 2.
uint16_t cls15_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    constexpr int32_t ROCKS = 5;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0, .ground = true, .pose = 0});
            m.spawn(me.x, me.y, 4);
            btl_sound(SFX_VANISH);
            [[fallthrough]];
        case 1: {
            BattleActor& stone = m.fx(0);
            ++me.timer;
            if (me.timer < 16) me.frame = static_cast<int16_t>(me.timer % 2);
            if (me.timer > 16 && me.stash_x != -1) {
                btl_sound(SFX_SPELL_RELEASE);
                me.frame = static_cast<int16_t>(me.stash_x + 2);
                me.stash_x = -1;
            }
            stone.frame = static_cast<int16_t>(4 + me.timer % 7);
            if (stone.y < 30) me.stash_x = 1;
            if (me.frame >= 2) {
                m.trail(2, m.fx_id(0));
                stone.y -= 24;
            }
            if (me.frame != 3) return 0;
            me.timer = 0;
            me.stash_x = me.x;  // the focus of the view
            me.stash_y = 0;
            m.opp.hit_count = 0;
            for (int32_t i = 0; i < ROCKS; ++i) {
                const int32_t d = (i % 2 == 0 ? 6 : 10) + 3 * (i % 3);
                const int32_t frame = (i % 2 == 0) == (side == 0) ? 11 : 12;
                BattleActor& r = i == 0 ? stone : m.spawn(0, 0, frame);
                r.x = static_cast<int16_t>(m.opp.x - m.fwd(d));
                r.y = 0;
                r.frame = static_cast<int16_t>(frame);
                r.stash_x = 0;
                r.w24 = r.x;  // its first column, where it falls again
            }
            btl_sound(SFX_BOLT);
            me.step = 2;
            return 0;
        }
        case 2:
            if (std::abs(m.opp.x - me.stash_x) >= 10) {
                me.stash_x += m.fwd(4);
                m.pan_fast();
            } else {
                m.trail_off();
                me.stash_x = 0;  // now the toggle of the reaction states
                me.step = 3;
            }
            return 0;
        case 3: {
            // Each rock falls at most twice, the second time from its first column.
            static constexpr Rain rain = {ROCKS, 5, 10, 20, 2, 3, SFX_NONE};
            const auto drift = [&m](int32_t) { return m.fwd(4); };
            const auto again = [](int32_t, BattleActor& r) {
                if (r.stash_x == 1) return false;
                r.x = r.w24;
                return true;
            };
            if (m.rain(rain, drift, again, [](int32_t, BattleActor&) {})) me.step = 4;
            return 0;
        }
        case 4:
            m.release();
            m.trail_off();
            me.step = 5;
            return 0;
        default: return m.finish(5, false);
    }
}

void cls15_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_one_pose(BTL_USUAL_FACTS, 0, 0, 13);
    static constexpr MoveTable moves = {cls15_move12, cls15_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
