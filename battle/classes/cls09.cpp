// Class 9, the sword dancer: a cut that dashes through the opponent, a sword
// wave thrown across the field, and the sword dance of eight flinches and a
// dash through. Every move draws from sheet 9B.
// Move choice: btl_choose_move_for_class, case 9 (battle/scene.cpp).
#include "battle/classes/classes.h"
#include "platform/palette.h"

// Walk-up from the set-up frame, a dash 2 cells a frame through the
// opponent with a hit on the way and a second behind it; the mover turns
// about at the clean-up.
uint16_t cls09_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(6, 3); return 0;
        case 2:
            me.x = static_cast<int16_t>(me.x + m.fwd(2));
            m.pan_slow();
            if (me.frame < 4) ++me.frame;
            if (m.in_reach(0, -48, 5, 32)) m.try_hit(1, 0, 1);
            if (m.ahead(m.opp.x, me.x) > 4) {
                ++me.frame;
                me.step = 3;
            }
            return 0;
        case 3:
            ++me.frame;
            if (m.try_hit(2, -2, 2) && !m.opp_first_form()) m.turn(m.opp);
            if (me.frame == 7) me.step = 4;
            return 0;
        case 4:
            m.pan_slow();
            if (m.cleanup() && !m.opp_first_form()) m.turn(me);
            return 0;
        default: return m.end();
    }
}

// A wave that grows as it crosses the middle of the field and strikes up to
// twice as it passes the opponent.
uint16_t cls09_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 8}); return 0;
        case 1:
            if (++me.frame == 9) {
                m.spawn(me.x + m.fwd(4), BTL_GROUND_Y, 17);
                btl_sound(SFX_WHOOSH);
                me.step = 2;
            }
            return 0;
        case 2: {
            m.pan_fast();
            BattleActor& wave = m.fx(0);
            wave.x = static_cast<int16_t>(wave.x + m.fwd(4));
            if (side == 0 ? wave.x > 35 : wave.x < 45) ++wave.frame;
            if (wave.frame == 21) {
                m.trail(2, m.fx_id(0));
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            m.pan_fast();
            BattleActor& wave = m.fx(0);
            wave.x = static_cast<int16_t>(wave.x + m.fwd(4));
            if (m.gap(wave) < 5) m.try_hit(1, 2, 2);
            if (side == 0 ? wave.x >= 81 : wave.x < 0) {
                m.trail_off();
                btl_actor_hide(m.fx_id(0));
                me.step = 4;
            }
            return 0;
        }
        case 4:
            m.pan_fast();
            m.cleanup();
            return 0;
        default:
            if (g_btl_animated) gfx_set_palette16(&g_btl_palette);
            return m.end();
    }
}

// The sword dance: walk-up, eight flinches with the trail, then a dash
// through the opponent and off the field with one hit.
uint16_t cls09_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
            if (m.approach(11, 10, {.after_setup = true})) m.trail(2, side);
            return 0;
        case 2:
            m.pan_slow();
            m.frame_loop(me, 11, 6, 1, false);
            if (m.idle() && m.opp.hit_count < 8 && me.timer % 6 % 3 == 1) {
                m.opp.recoil = 0;
                m.flinch(m.opp.hit_count % 2 ? 5 : 6, SFX_BLOW);
            }
            if (m.opp.hit_count >= 8) {
                me.frame = 10;
                me.timer = 0;
                m.trail(1, side);
                me.step = 3;
            }
            return 0;
        case 3:
            me.frame = 4;
            me.x = static_cast<int16_t>(me.x + m.fwd(3));
            if (m.in_reach(0, -48, 5, 32)) m.try_hit(1, 2, 9);
            if (side == 0 ? me.x >= 86 : me.x < -5) {
                m.trail_off();
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, true);
    }
}

void cls09_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls09_move12, cls09_move13, cls09_move14, nullptr};
    btl_common_handler(side, done, BTL_COMMON_FACTS, moves);
}
