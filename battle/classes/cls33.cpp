// Class 33, the spirit: a floating rush and a spirit bolt.
// Move choice: btl_choose_move_for_class, case 33 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// Its opening: floating (ground line 0) over pose 6.
void float_up(Move& m) {
    m.me.ground_y = 0;
    m.companion(6);
}
}  // namespace

// Move 12: it rushes through to the opponent and backs off.
uint16_t cls33_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            m.opp.hit_count = 0;
            float_up(m);
            btl_sound(SFX_CONJURE);
            [[fallthrough]];
        case 1:
            m.frame_loop(me, 0, 2, 1, false);
            me.x += m.fwd(2);
            m.pan_slow();
            if (m.dist() < 2) {
                me.frame = 2;
                m.hit(1, 2);
                me.timer = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            me.x -= m.fwd(1);
            if (++me.timer >= 5) {
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: a bolt gathers, flies at the opponent and bursts on it.
uint16_t cls33_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 3});
            float_up(m);
            [[fallthrough]];
        case 1:
            if (++me.timer > 4) {
                me.frame = 4;
                m.spawn(me.x + m.fwd(2), BTL_GROUND_Y, 5);
                me.timer = 0;
                btl_sound(SFX_INVOKE);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            if (m.frame_run(e, 5, 7, 3)) {
                e.x += m.fwd(2);
                m.pan_slow();
                e.frame = 8;
                e.timer = 0;
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            BattleActor& e = m.fx(0);
            m.frame_loop(e, 8, 2, 2);
            e.x += m.fwd(2);
            m.pan_slow();
            if (m.gap(e) < 4) {
                m.hit(1, 2, SFX_BOLT);
                e.frame = 10;
                e.timer = 0;
                me.step = 4;
            }
            return 0;
        }
        case 4: {
            BattleActor& e = m.fx(0);
            m.pan_slow();
            if (m.frame_run(e, 10, 12, 3)) {
                e.frame = 12;
                me.step = 5;
            }
            return 0;
        }
        case 5:
            m.pan_slow();
            // Given back without hiding.
            if (m.cleanup_keep_busy(false)) m.release();
            return 0;
        default: return m.end();
    }
}

void cls33_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls33_move12, cls33_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_monster_facts(6, 5, 7, 1);
        f.stand_ground_y = 0;
        f.frames = {{{0, 1}, {0, 2}, {0, 3}, {2, 2}, {3, 3}, {2, 2}, {2, 3}, {4, 7}, {7, 7}, {0, 0}}};
        f.pose[1] = 6;
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
