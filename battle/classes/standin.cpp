// PENDING: the stand-in move of the classes whose own scripts are not built
// yet (see the pending_*.cpp files): the mover steps up to its opponent and
// strikes once, or heals a fighter of its own side. The handler is the
// common one with the wizard's table.
#include "battle/classes/classes.h"

#include "tactics/units.h"

namespace {

bool same_side() {
    return (g_btl_combatant[0]->ai_mode <= 0) == (g_btl_combatant[1]->ai_mode <= 0);
}

}  // namespace

uint16_t btl_standin_move(int16_t side) {
    Move m(side);
    m.layers();
    switch (m.me.step) {
        case 0:
            m.setup(-1);
            if (same_side()) {
                btl_msg_cast(side, 0);
                btl_heal(side, 0);
                g_btl_hit_phase[side] = 0;
                m.me.state = 0;
                return 1;
            }
            m.me.step = 1;
            return 0;
        case 1:
            m.pan_slow();
            if (m.dist() >= 6) {
                m.me.x = static_cast<int16_t>(m.me.x + m.fwd(2));
                return 0;
            }
            m.hit(1, 2);
            m.me.step = 2;
            return 0;
        default: return m.finish(2, true, 0);
    }
}

void btl_standin_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {btl_standin_move, btl_standin_move, btl_standin_move, btl_standin_move};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = BTL_COMMON_FACTS;
        f.highest = 15;
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
