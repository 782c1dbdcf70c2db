// Class 8, the fencer: a thrust after a walk-up, and a leap over the
// opponent to the field's edge, a wall kick and a dive back through it. Both
// draw from sheet 8B.
// Move choice: btl_choose_move_for_class, case 8 (battle/scene.cpp).
#include "battle/classes/classes.h"

// The thrust up to frame 6.
uint16_t cls08_move12(int16_t side) { return btl_melee_strike(side, 6, 3, 6); }

// The leap to column 60 (side 0) or 20 (side 1), where the opponent freezes;
// on to the far edge, three frames clinging there, then the dive back with
// one hit, landing turned about.
uint16_t cls08_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    m.companion_by_height(5, 7);
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.ground = true}); [[fallthrough]];
        case 1: {
            const int32_t near = m.opp_first_form() ? 14 : 16;
            if (m.walk_up(near, 7)) {
                m.take_off(-48, SFX_NONE);
                me.step = 2;
            }
            return 0;
        }
        case 2: {
            m.pan_slow();
            if (me.timer == 0) {
                me.y = static_cast<int16_t>(me.y + me.stash_y);
                me.stash_y = static_cast<int16_t>(me.stash_y + 12);
            }
            // The column is reached when it is no longer ahead (a walk from
            // an odd column steps over it).
            if (m.ahead(me.x, side == 0 ? 60 : 20) > 0) {
                me.x = static_cast<int16_t>(me.x + m.fwd(2));
                return 0;
            }
            if (me.timer == 0) {
                m.opp.state = 3;
                btl_sound(SFX_BLOW);
                me.stash_y = 8;
                ++me.frame;
            }
            if (++me.timer >= 3) {
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        }
        case 3:
            m.pan_slow();
            if (me.frame != 10) {
                me.frame = 9;
                me.x = static_cast<int16_t>(me.x + m.fwd(6));
                me.y = static_cast<int16_t>(me.y - me.stash_y);
                if (me.x <= 2 || me.x >= 77) {
                    me.frame = 10;
                    me.x = static_cast<int16_t>(me.x <= 2 ? 2 : 77);
                    me.stash_y = 0;
                }
            } else if (++me.timer >= 3) {
                me.stash_y = 16;
                me.timer = 0;
                me.step = 4;
            }
            return 0;
        case 4: {
            me.frame = 11;
            me.x = static_cast<int16_t>(me.x - m.fwd(6));
            me.y = static_cast<int16_t>(me.y + me.stash_y);
            const bool through = side == 0 ? me.x < 58 : me.x >= 21;
            if (through && m.try_hit(1, -2, 1) && !m.opp_first_form()) m.opp.flags = 1;
            if (me.y >= BTL_GROUND_Y) {
                me.y = 248;
                ++me.frame;
                m.turn(me);
                me.step = 5;
            }
            return 0;
        }
        case 5:
            if (++me.timer >= 5) {
                me.y = BTL_GROUND_Y;
                me.step = 6;
            }
            return 0;
        default: return m.finish(6, true, 0);
    }
}

void cls08_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls08_move12, cls08_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_facts_highest(BTL_COMMON_FACTS, 13);
    btl_common_handler(side, done, facts, moves);
}
