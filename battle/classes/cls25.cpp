// Class 25, the knight: a charge, and a strike followed by a leaping
// strike (sheet 25B). Neither move spawns effect actors.
// Move choice: btl_choose_move_for_class, case 25 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// The knight's stride: the timer first, then the walk frame, 2 forward,
// the footstep on frame 1. True once within 10 columns.
bool charge_step(Move& m) {
    m.walk_step({.count_first = true, .pose = 3});
    return m.dist() < 10;
}

}  // namespace

// Move 12: the charge; one unguarded hit at frame 5.
uint16_t cls25_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B); return 0;
        case 1:
            if (charge_step(m)) {
                me.frame = 4;
                me.timer = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.frame;
            if (me.frame == 5) m.hit(2, 2);
            if (me.frame > 6) {
                me.frame = 6;
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: a strike, then, when the opponent still stands, a hop of five
// frames with a second blow at its height.
uint16_t cls25_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    const uint16_t result = [&]() -> uint16_t {
        switch (me.step) {
            case 0: m.open(BTL_SHEET_B, {.frame = 0, .ground = true}); return 0;
            case 1:
                if (charge_step(m)) {
                    me.frame = 3;
                    me.timer = 0;
                    me.step = 2;
                }
                return 0;
            case 2:
                ++me.frame;
                m.pan_slow();
                if (me.frame == 5) m.hit(2, 3);
                if (me.frame == 6) {
                    if (!m.idle()) {
                        me.frame = 5;  // 5 and 6 in turn while it reacts
                    } else if (m.alive()) {
                        me.frame = 7;
                        me.x += m.fwd(2);
                        me.stash_y = -32;
                        me.step = 3;
                    } else {
                        me.step = 4;
                    }
                }
                return 0;
            case 3:
                me.x += m.fwd(2);
                me.y += me.stash_y;
                me.stash_y += 16;
                m.pan_slow();
                if (me.stash_y > 0) me.frame = 8;
                if (me.stash_y == 32 && m.idle()) m.hit(1, 2);
                if (me.y >= BTL_GROUND_Y) {
                    me.y = BTL_GROUND_Y;
                    me.frame = 9;
                    me.stash_y = 0;
                    me.step = 4;
                }
                return 0;
            default: return m.finish(4, false);
        }
    }();
    m.companion_glide(210);
    return result;
}

void cls25_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 1, 5, 7, 13);
    static constexpr MoveTable moves = {cls25_move12, cls25_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
