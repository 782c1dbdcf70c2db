// Class 34, the ogre: a club blow and a leaping crush over the opponent.
// Move choice: btl_choose_move_for_class, case 34 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {
constexpr WalkStep STOMP = {.sound = SFX_THUD, .count_first = true, .pose = 8};

// In the air: pose 5 down low, 7 higher.
void leap_pose(Move& m) { m.companion(m.me.y >= 208 ? 5 : 7); }
}  // namespace

// Move 12: it stomps up and swings its club once.
uint16_t cls34_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(8, 3, STOMP); return 0;
        case 2:
            if (m.swing(5, 6, 1, 2)) me.step = 3;
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: it leaps, crushes the opponent as it passes over it, and bounces
// off on the far side; both end turned toward each other.
uint16_t cls34_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
            if (m.approach(18, 7, STOMP)) m.take_off();
            return 0;
        case 2:
        case 3:
            me.x += m.fwd(2);
            me.y += me.stash_y;
            me.stash_y += 16;
            leap_pose(m);
            m.pan_slow();
            if (me.step == 2) {
                if (m.ahead(me.x, m.opp.x) <= 0 && m.idle() && m.opp.hit_count < 1) {
                    m.hit(1, -2);
                    me.stash_y = -32;
                    me.flags ^= 1;
                    m.opp.flags ^= 1;
                    me.step = 3;
                }
            } else if (me.y > BTL_GROUND_Y) {
                me.y = 256;
                m.companion(8);
                me.step = 4;
            }
            return 0;
        case 4:
            if (m.cleanup(false)) me.y = BTL_GROUND_Y;
            return 0;
        default: return m.end();
    }
}

void cls34_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls34_move12, cls34_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(8, 8, 6, 8);
    btl_common_handler(side, done, facts, moves);
}
