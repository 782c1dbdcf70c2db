// Class 2, the prince: a running charge that dashes in for the last cells,
// and a strike after a walk-up. Both draw from sheet 2B.
// Move choice: btl_choose_move_for_class, case 2 (battle/scene.cpp).
#include "battle/classes/classes.h"

// The charge: runs while 15 cells or more away, then dashes 3 cells a frame
// and strikes on contact (no guards).
uint16_t cls02_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.draw = false, .frame = 0});
            m.opp.hit_count = 0;
            return 0;
        case 1:
            if (m.dist() >= 15) {
                m.walk_step({.count_first = true});
            } else {
                m.draw_from_sheet();
                ++me.timer;
                me.frame = 3;
                me.x = static_cast<int16_t>(me.x + m.fwd(3));
                m.companion(3);
                m.pan_slow();
            }
            if (m.dist() < 2) {
                m.hit(1, 3);
                me.timer = 0;
                me.step = 2;
            }
            return 0;
        default: return m.finish(2, true);
    }
}

// Walk-up from the set-up frame, then the strike at frame 8.
uint16_t cls02_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(8, 4); return 0;
        case 2:
            m.pan_slow();
            if (m.strike_frames(8)) {
                m.try_hit(1, 2, BTL_ANY_HIT_COUNT);
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, true);
    }
}

void cls02_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls02_move12, cls02_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_facts_highest(BTL_COMMON_FACTS, 13);
    btl_common_handler(side, done, facts, moves);
}
