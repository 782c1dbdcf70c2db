// Class 19, the dark knight: a charge, a pull and throw (sheet 19B), and
// with its own sword a leaping strike and four shock waves (sheet 19C).
// Moves 12 to 14 spawn no effect actors.
// Move choice: btl_choose_move_for_class, case 19 (battle/scene.cpp).
#include <algorithm>

#include "battle/classes/classes.h"

namespace {

constexpr int32_t WAVES = 4;

// One stride of the knight's walk: the walk frames with their sound, and a
// bob of 2 pixels (down on frame 1, up on frames 0 and 2).
void stride(Move& m) {
    m.walk_step({.sound = SFX_THUD, .pose = 8});
    m.me.y += m.me.frame == 1 ? 2 : -2;
}

}  // namespace

// Move 12: the charge; one hit at frame 5.
uint16_t cls19_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B); [[fallthrough]];
        case 1:
            stride(m);
            if (m.dist() < 12) {
                me.timer = 0;
                me.frame = 3;
                m.opp.hit_count = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.frame;
            if (me.frame == 5 && m.idle() && m.opp.hit_count < 1) m.hit(1, 2);
            if (me.frame == 7) me.step = 3;
            m.pan_slow();
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: a focus runs out to the opponent, lifts it and pulls it back;
// the knight staggers it, throws it up to y 32, turns it upside down and
// the damage comes when it lands.
uint16_t cls19_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            me.stash_y = side;  // the focus direction
            me.stash_x = me.x;  // the focus column
            me.frame = 3;
            btl_sound(SFX_BLAST);
            [[fallthrough]];
        case 1:
            me.frame = static_cast<int16_t>(8 + me.timer % 3);
            if (me.timer >= 5) {
                const bool pulling = me.stash_y != side;
                me.stash_x += pulling ? m.fwd(-4) : m.fwd(4);
                if (pulling) opp.x -= m.fwd(4);
                btl_pan_view_fast(me.stash_y);
                if (!pulling && std::abs(opp.x - me.stash_x) < 4) {
                    me.stash_y = static_cast<int16_t>(side ^ 1);
                    opp.state = 3;
                    opp.y -= 16;
                    me.timer = 1;
                    btl_sound(SFX_INVOKE);
                }
            }
            if (m.dist() < 14) {
                me.stash_x = 0;
                me.stash_y = -32;  // now the opponent's rise per frame
                me.frame = 3;
                me.step = 2;
            }
            ++me.timer;
            return 0;
        case 2:
            ++me.frame;
            if (me.frame >= 6) {
                opp.x += m.fwd(3);
                opp.y += me.stash_y;
            }
            if (me.frame == 5 && m.idle() && opp.hit_count < 1) m.flinch(6, SFX_SHOCK);
            if (me.frame == 7) {
                opp.layer = 1;
                me.step = 3;
            }
            return 0;
        case 3:
            opp.x += m.fwd(3);
            opp.y += me.stash_y;
            m.pan_fast();
            // It turns at y 32, or above it when it rose from another line.
            if (opp.y <= 32) {
                opp.flags |= 2;
                me.stash_y = 32;
            }
            if (opp.y >= 192) {
                opp.y = BTL_GROUND_Y;
                opp.flags &= ~2;
                g_btl_hit_phase[m.oside] = 1;
                btl_calc_damage(side);
                me.stash_y = 0;
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, false);
    }
}

// Move 14: the knight strides in, leaps 24 columns, staggers the opponent
// on the way down and strikes once after landing. When that blow beats the
// opponent the clean-up is skipped: the sheet stays loaded until the scene
// frees it and the knight stays drawn from it.
uint16_t cls19_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_C); [[fallthrough]];
        case 1:
            stride(m);
            if (m.dist() < 32) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.frame = 4;
                me.stash_y = -60;
                me.ground_y = me.y;
                btl_sound(SFX_LEAP);
                me.step = 2;
            }
            return 0;
        case 2:
            me.x += m.fwd(2);
            me.y += me.stash_y;
            me.stash_y += 12;
            m.companion(me.y >= 208 ? 8 : 6);
            if (me.stash_y == 0) me.frame = 5;
            if (me.stash_y == 60) {
                me.frame = 6;
                if (m.idle() && m.opp.hit_count < 1) {
                    m.opp.x += m.fwd(2);
                    m.flinch(5, SFX_BLOW);
                }
            }
            if (me.y >= BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                m.companion(8);
                me.frame = 7;
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        case 3:
            ++me.timer;
            m.pan_slow();
            if (m.idle() && me.timer > 5) {
                if (m.opp.hit_count < 2 && me.frame == 7) {
                    m.hit(2, 3);
                    me.frame = 6;
                } else {
                    me.step = 4;
                }
                if (!m.alive()) ++me.step;
            }
            return 0;
        case 4:
            m.cleanup(false);
            me.y = BTL_GROUND_Y;
            return 0;
        default: return m.end();
    }
}

// Move 15: four shock waves leave the sword one by one and cross the
// field; up to three hits, the third with recoil 2.
uint16_t cls19_move15(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_C);
            me.stash_x = 0;
            me.frame = 8;
            me.ground_y = BTL_GROUND_Y;
            m.companion(8);
            for (int32_t i = 0; i < WAVES; ++i) m.spawn(me.x + m.fwd(4), 0, 15);
            m.trail(2, m.fx_id(WAVES - 1));
            btl_sound(SFX_SQUELCH);
            [[fallthrough]];
        case 1:
            if (me.frame < 14 && me.stash_x == 0) {
                // The swing: 9, 9, 10, 10 ... 14.
                me.frame = static_cast<int16_t>(9 + me.timer / 2);
                if (me.frame == 14) me.timer = 0;
            } else {
                me.frame = static_cast<int16_t>(13 + me.timer % 2);
                for (int32_t i = 0; i <= std::min<int32_t>(me.stash_x, WAVES - 1); ++i) {
                    BattleActor& w = m.fx(i);
                    w.x += m.fwd(me.stash_x == 0 ? 6 : 3);
                    btl_sound(SFX_WAVE_ROLL);
                }
                if (me.frame == 13) {
                    m.fx(me.stash_x).y = BTL_GROUND_Y;
                    ++me.stash_x;
                }
                if (me.stash_x == WAVES) {
                    m.opp.hit_count = 0;
                    me.stash_y = 0;  // the waves gone
                    me.frame = 13;
                    me.step = 2;
                }
                m.pan_slow();
            }
            ++me.timer;
            return 0;
        case 2:
            for (int32_t i = 0; i < WAVES; ++i) {
                BattleActor& w = m.fx(i);
                w.x += m.fwd(3);
                if (m.gap(w) < 4) m.try_hit(1, m.opp.hit_count < 2 ? 0 : 2, 3, SFX_WAVE_HIT);
                if (w.stash_x == 0 && btl_off_field(w, -15, 95)) {
                    w.stash_x = 1;
                    ++me.stash_y;
                }
            }
            if (me.stash_y >= WAVES) {
                m.trail_off();
                m.hide_and_release(WAVES);
                me.step = 3;
            }
            m.pan_fast();
            return 0;
        case 3:
            if (++me.timer > 3) {
                me.timer = 0;
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, false);
    }
}

void cls19_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 8, 8, 6, 15);
    static constexpr MoveTable moves = {cls19_move12, cls19_move13, cls19_move14, cls19_move15};
    btl_common_handler(side, done, facts, moves);
}
