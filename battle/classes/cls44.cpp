// Class 44, the ghoul: two claws, and a leaping bite that holds the
// opponent twice before it strikes.
// Move choice: btl_choose_move_for_class, case 44 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

bool claw_reach(const Move& m) { return m.in_reach(0, -48, 5, 32); }
}  // namespace

// Move 12: two claws; the second is skipped once the first has beaten the
// opponent.
uint16_t cls44_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(6, 6); return 0;
        case 2:
            ++me.frame;
            if (m.dist() > 6) me.x += m.fwd(1);
            m.pan_slow();
            if (m.idle() && m.opp.hit_count < 1 && claw_reach(m)) m.hit(1, 0);
            if (me.frame > 8) {
                if (m.alive()) {
                    me.step = 3;
                } else {
                    me.frame = 8;
                    me.step = 4;
                }
            }
            return 0;
        case 3:
            ++me.frame;
            m.pan_slow();
            if (m.idle() && m.opp.hit_count < 2 && claw_reach(m)) m.hit(2, 2);
            if (me.frame > 11) {
                me.frame = 11;
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, false, 0);
    }
}

// Move 13: it creeps in low, leaps onto the opponent, holds it in two poses
// and bites.
uint16_t cls44_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    m.companion_glide(BTL_ON_GROUND_Y);
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.draw = false, .ground = true});
            me.stash_y = 0;
            [[fallthrough]];
        case 1:
            m.walk_step({.quiet = m.dist() < 10});
            if (m.dist() < 10) {
                me.frame = 3;
                me.y -= 1;
            }
            if (m.arrive(4, 4)) me.step = 2;
            return 0;
        case 2:
            m.frame_loop(me, 4, 2, 2);
            m.pan_slow();
            if (me.timer == 2) m.flinch(4, SFX_BLOW);
            if (me.timer == 6) m.flinch(3, SFX_BLOW);
            if (me.timer == 10) {
                m.hit(2, 2);
                me.timer = 0;
                me.y = BTL_GROUND_Y;
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, false, 0);
    }
}

void cls44_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls44_move12, cls44_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(1, 5, 7, 1);
    btl_common_handler(side, done, facts, moves);
}
