// Class 7, the sword master: a strike after a walk-up, a three-hit combo
// that vaults over the opponent, and a vanishing upward slash. Every move
// draws from sheet 7B.
// Move choice: btl_choose_move_for_class, case 7 (battle/scene.cpp).
#include "battle/classes/classes.h"

// The strike up to frame 5.
uint16_t cls07_move12(int16_t side) { return btl_melee_strike(side, 6, 3, 5); }

// Two strikes, then a vault over the opponent with a third hit, landing
// behind it and turning about. A beaten opponent ends the combo before the
// vault (the skip mark in stash_x), and the mover then does not turn.
uint16_t cls07_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    m.companion_by_height(5, 7);
    auto skip_when_beaten = [&m, &me](int32_t next) {
        if (m.alive()) return false;
        me.stash_x = 1;
        me.step = static_cast<int16_t>(next);
        return true;
    };
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.ground = true}); [[fallthrough]];
        case 1:
            if (m.walk_up(6, 3)) me.step = 2;
            return 0;
        case 2: {
            const bool last = m.strike_frames(5);
            if (m.in_reach(0, -48, 5, 32)) m.try_hit(5, 0, 1);
            if (last && !skip_when_beaten(5)) me.step = 3;
            return 0;
        }
        case 3:
            if (!m.strike_frames(7)) return 0;
            m.try_hit(1, m.opp.recoil, 2);
            if (!skip_when_beaten(5)) {
                me.frame = 8;
                me.stash_y = -48;
                me.step = 4;
            }
            return 0;
        case 4:
            me.y = static_cast<int16_t>(me.y + me.stash_y);
            me.stash_y = static_cast<int16_t>(me.stash_y + 12);
            if (side == 0 ? me.x < m.opp.x + 2 : me.x >= m.opp.x - 1) me.x = static_cast<int16_t>(me.x + m.dir);
            if (std::abs(me.stash_y) < 13) me.frame = 9;
            if (me.stash_y > 12) me.frame = 10;
            if (me.stash_y > 24 && m.try_hit(1, -1, 3) && !m.opp_first_form()) m.turn(m.opp);
            if (me.y >= BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                me.stash_y = 0;
                me.step = 5;
            }
            return 0;
        case 5:
            m.pan_slow();
            if (++me.timer < 5 || !m.cleanup()) return 0;
            me.timer = 0;
            if (me.stash_x == 0 && !m.opp_first_form()) m.turn(me);
            me.stash_x = 0;
            return 0;
        default: return m.end();
    }
}

// Turned away, the mover rises and vanishes below the picture, reappears
// before the opponent with a slash and an upward cut, leaves through the
// top and drops back down; it turns back at the clean-up.
uint16_t cls07_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    m.companion_by_height(5, 7);
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.ground = true});
            m.turn(me);
            me.frame = 9;
            btl_sound(SFX_FLASH);
            return 0;
        case 1: {
            const bool risen = m.frame_run(me, 9, 14);
            if (me.timer == 1) me.y = static_cast<int16_t>(me.y - 16);
            m.companion(me.y >= BTL_GROUND_Y ? 3 : 6);
            if (risen) {
                me.timer = 0;
                me.y = 400;
                me.step = 2;
            }
            return 0;
        }
        case 2:
            m.pan_fast();
            if (m.dist() >= 5) {
                me.x = static_cast<int16_t>(me.x + m.fwd(4));
            } else {
                me.y = 224;
                m.spawn(me.x, BTL_GROUND_Y, 19);
                m.trail(2, side);
                me.step = 3;
            }
            return 0;
        case 3: {
            m.pan_slow();
            BattleActor& slash = m.fx(0);
            if (++slash.frame > 23) {
                slash.frame = 23;
                slash.y = 0;
            }
            if (me.frame < 18) {
                ++me.frame;
                if (me.frame == 16) m.try_hit(2, 3, BTL_ANY_HIT_COUNT, SFX_RISING_SLASH);
            } else {
                me.y = static_cast<int16_t>(me.y - 48);
            }
            if (me.y < 0) {
                m.release();
                me.frame = 9;
                me.step = 4;
            }
            return 0;
        }
        case 4:
            me.y = static_cast<int16_t>(me.y + 30);
            if (me.y >= BTL_GROUND_Y) {
                m.footstep();
                me.step = 5;
            }
            return 0;
        case 5:
            m.pan_slow();
            if (m.cleanup()) m.turn(me);
            return 0;
        default: return m.end();
    }
}

void cls07_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls07_move12, cls07_move13, cls07_move14, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = BTL_COMMON_FACTS;
        f.pose[0] = 2;
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
