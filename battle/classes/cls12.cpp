// Class 12, the white horse: a gallop and a triple kick, and a gallop that
// rears up and stamps. Both draw from sheet 12B.
// Move choice: btl_choose_move_for_class, case 12 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// One frame of the gallop: frames 0..3, 2 cells forward, the shadow in pose
// 4, a hoof sound on every frame but 1 (animated only). True once less than
// `below` cells apart: timer 0, the opponent's hit count 0.
bool gallop(Move& m, int32_t below) {
    BattleActor& me = m.me;
    m.pan_slow();
    m.draw_from_sheet();
    m.frame_loop(me, 0, 4, 1, false);
    me.x = static_cast<int16_t>(me.x + m.fwd(2));
    m.companion(4);
    if (me.frame != 1) m.footstep();
    if (m.dist() >= below) return false;
    me.timer = 0;
    m.opp.hit_count = 0;
    return true;
}

}  // namespace

// The gallop, two flinches and the kick that does the damage.
uint16_t cls12_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false}); return 0;
        case 1:
            if (gallop(m, 6)) {
                me.frame = 4;
                me.step = 2;
            }
            return 0;
        case 2:
            m.pan_slow();
            m.close_in(4);
            m.frame_loop(me, 4, 3);
            if (me.timer == 1) m.flinch(6, SFX_BLOW);
            if (me.timer == 4) m.flinch(5, SFX_BLOW);
            if (me.timer == 7) {
                m.hit(2, 2);
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, true);
    }
}

// The gallop, a rear of thirteen frames, a lunge and the stamp.
uint16_t cls12_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B); return 0;
        case 1:
            if (gallop(m, 8)) {
                me.frame = 10;
                me.step = 2;
            }
            return 0;
        case 2:
            m.frame_loop(me, 10, 3, 1, false);
            m.pan_slow();
            if (me.timer > 12) {
                me.frame = 7;
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        case 3:
            m.pan_slow();
            if (m.dist() > 1) me.x = static_cast<int16_t>(me.x + m.fwd(2));
            if (me.timer < 5) {
                me.frame = 8;
            } else {
                me.frame = 9;
                me.timer = 0;
                me.step = 4;
            }
            ++me.timer;
            return 0;
        case 4:
            if (m.in_reach(0, -48, 5, 32)) m.hit(2, 2);
            me.step = 5;
            return 0;
        default: return m.finish(5, true);
    }
}

void cls12_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls12_move12, cls12_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_facts_highest(CLS10_FACTS, 13);
    btl_common_handler(side, done, facts, moves);
}
