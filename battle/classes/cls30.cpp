// Class 30, the nightmare: a charge with an after-image and nine phantom
// horses.
// Move choice: btl_choose_move_for_class, case 30 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {
constexpr int32_t HORSES = 9;
}  // namespace

// Move 12: it gallops in and, trailing an after-image, runs the opponent down.
uint16_t cls30_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.pose = 2}); [[fallthrough]];
        case 1:
            m.frame_loop(me, 0, 4);
            me.x += m.fwd(2);
            m.pan_slow();
            if (me.frame != 1) m.footstep();
            if (m.dist() < 20) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.frame = 4;
                m.trail(1, side);
                btl_sound(SFX_POWER);
                me.step = 2;
            }
            return 0;
        case 2:
            me.x += m.fwd(2);
            m.pan_slow();
            if (m.dist() < 6 && m.idle() && m.opp.hit_count < 1) {
                m.hit(2, 2);
                m.trail_off();
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: nine phantom horses string out and gallop through the opponent;
// horses 2 and 6 strike when the horse before them stands on its column.
uint16_t cls30_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 5, .ground = true, .pose = 2, .sound = SFX_CONJURE}); [[fallthrough]];
        case 1:
            if (++me.frame > 14) {
                m.opp.hit_count = 0;
                me.frame = 6;
                for (int32_t i = 0; i < HORSES; ++i) m.spawn(me.x, 0, i <= 4 ? 15 + i : 18 - i % 5);
                me.step = 2;
            }
            return 0;
        case 2:
            m.pan_fast();
            for (int32_t i = 0; i < HORSES; ++i) m.fx(i).x += m.fwd(4);
            if (m.gap(m.fx(HORSES - 1)) < 18) me.step = 3;
            return 0;
        case 3:
            m.pan_fast();
            m.fx(0).y = BTL_GROUND_Y;
            for (int32_t i = 0; i < HORSES; ++i) m.fx(i).x += m.fwd(4 * i);
            btl_sound(SFX_WHOOSH);
            me.step = 4;
            return 0;
        case 4:
            ++me.timer;
            if (me.timer % 5 == 0) btl_sound(SFX_WHOOSH);
            for (int32_t i = 0; i < HORSES; ++i) {
                BattleActor& h = m.fx(i);
                if ((i == 2 || i == 6) && m.fx(i - 1).x == m.opp.x && m.alive()) m.hit(1 + i / 4, 2 * (i / 4));
                if (m.gap(h) < 18) h.y = BTL_GROUND_Y;
                h.x += m.fwd(4);
            }
            if (m.past_far_edge(m.fx(HORSES - 1), 5)) me.step = 5;
            m.pan_fast();
            return 0;
        case 5:
            m.release();
            me.step = 6;
            return 0;
        default: return m.finish(6, false, 0);
    }
}

void cls30_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls30_move12, cls30_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(2, 2, 6, 2);
    btl_common_handler(side, done, facts, moves);
}
