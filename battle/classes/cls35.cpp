// Class 35, the orc: an axe blow and a jumping chop.
// Move choice: btl_choose_move_for_class, case 35 (battle/scene.cpp).
#include <algorithm>

#include "battle/classes/classes.h"

namespace {

// The axe's reach: from its own column to 5 ahead, 48 above to 32 below.
bool axe_reach(const Move& m) { return m.in_reach(0, -48, 5, 32); }
}  // namespace

// Move 12: it walks up and swings its axe.
uint16_t cls35_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(6, 3); return 0;
        case 2:
            m.pan_slow();
            if (me.frame < 6) {
                ++me.frame;
                if (m.dist() > 4) me.x += m.fwd(1);
            } else {
                me.step = 3;
            }
            if (m.idle() && m.opp.hit_count < 1 && axe_reach(m)) {
                m.hit(1, 2);
                me.timer = 0;
            }
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: it jumps from far off and chops as it lands.
uint16_t cls35_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
            if (m.approach(24, 7)) m.take_off();
            return 0;
        case 2:
            if (m.dist() > 4) me.x += m.fwd(2);
            me.y += me.stash_y;
            me.stash_y += 16;
            if (me.stash_y > 32) me.frame = std::clamp<int32_t>(me.frame + 1, 7, 11);
            m.companion_by_height(5, 7);
            if (me.y > BTL_GROUND_Y) {
                m.companion(1);
                me.y = BTL_GROUND_Y;
                if (m.idle() && m.opp.hit_count < 1 && axe_reach(m)) m.hit(2, 2);
                if (me.frame == 11 && m.idle()) {
                    me.timer = 0;
                    me.step = 3;
                }
            }
            m.pan_slow();
            return 0;
        case 3:
            m.pan_slow();
            me.step = 4;
            return 0;
        default: return m.finish(4, false, 0);
    }
}

void cls35_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls35_move12, cls35_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(1, 5, 7, 1);
    btl_common_handler(side, done, facts, moves);
}
