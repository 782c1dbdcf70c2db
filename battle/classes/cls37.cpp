// Class 37, the kobold: a running thrust that carries it off the field, and
// a triple stab.
// Move choice: btl_choose_move_for_class, case 37 (battle/scene.cpp).
#include "battle/classes/classes.h"

// Move 12: it runs with its spear levelled through the opponent and on past
// the far edge, where it stays.
uint16_t cls37_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false}); [[fallthrough]];
        case 1:
            m.walk_step();
            if (m.dist() < 15) {
                BattleActor& e = m.spawn(side == 0 ? me.x - 4 : me.x + 6, BTL_GROUND_Y, 7);
                e.flags = side == 0 ? 1 : 0;
                me.frame = 3;
                me.step = 2;
            }
            return 0;
        case 2: {
            ++me.timer;
            m.opp.hit_count = 0;
            me.frame = 3;
            BattleActor& e = m.fx(0);
            e.frame = 7 + me.timer % 4;
            e.x += m.fwd(3);
            me.x += m.fwd(3);
            m.pan_slow();
            if (m.dist() < 4 && m.idle() && m.opp.hit_count < 1 && m.in_reach(0, -48, 5, 32)) {
                m.hit(1, 2);
                me.timer = 0;
            }
            if (m.past_far_edge(me, 5)) {
                me.timer = 0;
                m.hide_and_release();
                me.step = 3;
            }
            return 0;
        }
        default: return m.finish(3, false);
    }
}

// Move 13: three stabs, states 1, 2, 1; it stops once the opponent is beaten.
uint16_t cls37_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false}); [[fallthrough]];
        case 1:
            m.walk_step();
            if (m.dist() < 5) {
                me.timer = 0;
                me.frame = 4;
                me.step = 2;
            }
            return 0;
        case 2:
            m.pan_slow();
            if (++me.timer > 2) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.step = 3;
            }
            return 0;
        case 3:
            if (!m.alive() || me.timer > 7) {
                me.step = 4;
                return 0;
            }
            me.frame = 4 + me.timer % 3;
            me.x += m.fwd(me.timer / 3);
            if (me.timer % 3 == 1) m.hit(1 + m.opp.hit_count % 2, 1);
            m.pan_slow();
            ++me.timer;
            return 0;
        default: return m.finish(4, true, 0);
    }
}

void cls37_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls37_move12, cls37_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_monster_facts(1, 5, 7, 1);
        f.frames[5] = {0, 1};
        f.frames[6] = {0, 2};
        f.frames[7] = {2, 4};
        f.frames[8] = {4, 4};
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
