// Class 6, the soldier: a strike after a walk-up, and a jump attack from 24
// cells. Both draw from sheet 6B.
// Move choice: btl_choose_move_for_class, case 6 (battle/scene.cpp).
#include "battle/classes/classes.h"

// The strike: one frame (4) after the walk-up.
uint16_t cls06_move12(int16_t side) { return btl_melee_strike(side, 6, 3, 4); }

// The jump attack: up while stash_y climbs to 0, down at 28 px a frame with
// the hit test, frame 7 on landing.
uint16_t cls06_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 0, .ground = true}); break;
        case 1:
            if (m.walk_up(24, 5)) {
                m.take_off(-28);
                me.step = 2;
            }
            break;
        case 2:
            me.x = static_cast<int16_t>(me.x + m.fwd(2));
            me.stash_y = static_cast<int16_t>(me.stash_y + 4);
            me.y = static_cast<int16_t>(me.y + me.stash_y);
            m.pan_slow();
            if (me.stash_y == 0) {
                me.frame = 6;
                me.stash_y = 28;
                me.step = 3;
            }
            break;
        case 3:
            me.x = static_cast<int16_t>(me.x + m.fwd(2));
            me.y = static_cast<int16_t>(me.y + me.stash_y);
            m.pan_slow();
            if (m.in_reach(3, -96, 5, 32)) m.try_hit(1, 2, 1);
            if (me.frame == 7) me.step = 4;
            if (me.y >= BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                me.stash_y = 0;
                if (me.frame < 7) ++me.frame;
            }
            break;
        case 4:
            m.pan_slow();
            m.cleanup();
            break;
        default: return m.end();
    }
    m.companion_glide(210);
    return 0;
}

void cls06_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls06_move12, cls06_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_facts_highest(BTL_COMMON_FACTS, 13);
        f.pose[0] = 2;
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
