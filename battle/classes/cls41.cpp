// Class 41, the minotaur: a charge through the opponent and back, and a
// horn toss over its own head.
// Move choice: btl_choose_move_for_class, case 41 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// One frame of the gallop `cells` forward (negative: back), bobbing over the
// walk frames; true once less than 6 (or `below`) cells from the opponent.
bool gallop(Move& m, int32_t cells, int32_t below) {
    BattleActor& me = m.me;
    m.draw_from_sheet();
    m.walk_frame();
    me.y = 236 + 4 * g_btl_walk_frames[static_cast<size_t>(me.timer & 3)];
    ++me.timer;
    me.x += m.fwd(cells);
    m.pan_slow();
    m.companion(8);
    if (g_btl_animated && me.frame == 1) btl_sound(SFX_THUD);
    return m.dist() < below;
}
}  // namespace

// Move 12: it charges through the opponent and off the field, turns, and
// charges back through it to its own half.
uint16_t cls41_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false}); return 0;
        case 1:
            if (gallop(m, 2, 6)) {
                me.frame = 3;
                m.opp.hit_count = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.timer;
            me.x += m.fwd(2);
            m.pan_slow();
            if (m.dist() < 5 && m.idle() && m.opp.hit_count < 1) m.hit(1, 2);
            if (m.past_far_edge(me, 5)) {
                me.timer = 0;
                if (m.alive()) {
                    me.flags ^= 1;
                    me.step = 3;
                } else {
                    me.step = 6;
                }
            }
            return 0;
        case 3:
            m.walk_frame();
            ++me.timer;
            if (g_btl_animated && me.timer > 9 && me.frame == 1) btl_sound(SFX_THUD);
            if (me.timer > 20) me.step = 4;
            return 0;
        case 4:
            if (gallop(m, -2, 6)) {
                me.frame = 3;
                me.step = 5;
            }
            return 0;
        case 5:
            ++me.timer;
            me.x -= m.fwd(2);
            if (m.dist() < 5 && m.idle() && m.opp.hit_count < 2) {
                m.opp.flags ^= 1;
                m.hit(2, -4);
            }
            if (side == 0 ? me.x < 35 : me.x >= 46) {
                me.flags ^= 1;
                me.timer = 0;
                me.step = 6;
            }
            return 0;
        default: return m.finish(6, false);
    }
}

// Move 13: it catches the opponent on its horns, carries it, and tosses it
// over its head; the damage comes on landing.
uint16_t cls41_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    me.layer = opp.layer = 1;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.draw = false});
            me.stash_y = -80;
            [[fallthrough]];
        case 1:
            if (gallop(m, 2, 8)) {
                me.frame = 3;
                me.y = BTL_GROUND_Y;
                opp.hit_count = 0;
                me.timer = 0;
                m.flinch(5, SFX_BLOW);
                opp.x = me.x + m.fwd(6);
                opp.y -= 32;
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.timer;
            me.x += m.fwd(1);
            opp.x += m.fwd(1);
            m.pan_slow();
            if (me.timer > 8) {
                me.timer = 0;
                me.frame = 4;
                opp.state = 5;
                opp.y += me.stash_y;
                btl_sound(SFX_TOSS);
                me.step = 3;
            }
            return 0;
        case 3: {
            const int32_t before = me.stash_y;
            me.stash_y += 20;
            opp.y += me.stash_y;
            opp.x -= m.fwd(2);
            if (before < 0 && me.stash_y >= 0) {
                // At the top of the throw it turns over.
                opp.flags ^= 1;
                opp.flags |= 2;
            }
            if (opp.y >= 208) {
                g_btl_hit_phase[m.oside] = 1;
                btl_calc_damage(side);
                if (m.alive()) {
                    opp.y = 208;
                    me.stash_y = -40;
                    me.step = 4;
                } else {
                    opp.flags &= ~2;
                    me.step = 5;
                }
            }
            return 0;
        }
        case 4:
            me.stash_y += 20;
            opp.y += me.stash_y;
            opp.x -= m.fwd(2);
            if (me.stash_y > 0 && opp.y >= 208) {
                // The bounce is over: it lands the right way up.
                opp.flags &= ~2;
                me.step = 5;
            }
            return 0;
        default: return m.finish(5, false);
    }
}

void cls41_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls41_move12, cls41_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_monster_facts(8, 8, 8, 8);
        f.pose.fill(8);
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
