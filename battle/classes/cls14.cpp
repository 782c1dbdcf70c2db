// Class 14, the high elf: a summoning circle that calls a spirit beast, the
// same circle calling a whirlwind that lifts and throws the opponent, and a
// meteor with a charging spirit. Moves 12 and 13 draw from sheet 14B and
// leave the layers as they are; move 14 draws from sheet 14C.
// Move choice: btl_choose_move_for_class, case 14 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// What the circle calls: C, at row 256.
struct Called {
    int16_t frame;
    int32_t x;
    int16_t layer;
    SoundEffect sound;
};

// The summoning of moves 12 and 13, up to step 3: sixteen frames of casting,
// the circle A 6 cells forward of the mover, B over it once A reaches frame
// 8, and C once B reaches frame 17. The effects are A (0), B (1) and C (2).
void summon(Move& m, const Called& c) {
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.sound = SFX_CONJURE}); return;
        case 1:
            if (me.timer < 16) {
                m.frame_loop(me, 0, 2, 1, false);
                return;
            }
            me.frame = 2;
            m.spawn(me.x + m.fwd(6), 256, 4).layer = 2;
            me.step = 2;
            return;
        case 2: {
            me.frame = 3;
            BattleActor& a = m.fx(0);
            if (++a.frame == 8) {
                m.spawn(a.x, 256, 9).layer = 1;
                btl_sound(SFX_FLASH);
                me.step = 3;
            }
            return;
        }
        default:
            if (++m.fx(1).frame == 17) {
                m.spawn(c.x, 256, c.frame).layer = c.layer;
                btl_sound(c.sound);
                me.step = 4;
            }
            return;
    }
}

// Hides the circle and what it called.
void hide_circle(Move& m) { m.hide_effects(3); }

}  // namespace

// The spirit beast grows from the circle, leaps at the opponent with one
// unguarded hit and runs off the field.
uint16_t cls14_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
        case 2:
        case 3: summon(m, {18, me.x + m.fwd(6), 3, SFX_GUST}); return 0;
        case 4: {
            m.pan_slow();
            BattleActor& c = m.fx(2);
            if (++c.timer == 22) btl_sound(SFX_LEAP);
            if (c.frame < 23) {
                c.frame = static_cast<int16_t>(c.timer / 2 + 18);
            } else {
                c.frame = static_cast<int16_t>(23 + c.timer % 2);
                c.x = static_cast<int16_t>(c.x + m.fwd(3));
                c.y = static_cast<int16_t>(256 - 2 * g_btl_hover_table[static_cast<size_t>(c.timer % 18)]);
                m.trail(1, m.fx_id(2));
                if (m.gap(c) < 8) {
                    m.hit(2, 2);
                    me.timer = 0;
                    me.step = 5;
                }
            }
            return 0;
        }
        case 5: {
            m.pan_slow();
            BattleActor& c = m.fx(2);
            c.x = static_cast<int16_t>(c.x + m.fwd(3));
            if (side == 0 ? c.x >= 86 : c.x < -5) {
                m.trail_off();
                if (me.timer++ >= 4) {
                    hide_circle(m);
                    me.step = 6;
                }
            }
            return 0;
        }
        default: return m.finish(6, true);
    }
}

// The whirlwind catches the opponent (caught: reacting, no damage), lifts
// and shakes it, swallows it out of sight and throws it up with the one hit.
uint16_t cls14_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    const bool held = !m.opp_first_form();
    switch (me.step) {
        case 0:
        case 1:
        case 2:
        case 3: summon(m, {25, me.x + (side == 0 ? 24 : 8), 2, SFX_INVOKE}); return 0;
        case 4: {
            BattleActor& c = m.fx(2);
            ++c.frame;
            ++c.timer;
            m.pan_slow();
            if (c.frame == 43) me.step = 5;
            return 0;
        }
        case 5: {
            m.pan_slow();
            BattleActor& c = m.fx(2);
            c.x = static_cast<int16_t>(c.x + m.fwd(3));
            if (m.gap(c) < 12) {
                m.flinch(4);
                opp.stash_x = opp.x;
                m.opp_companion(7);
                if (held) {
                    opp.y = BTL_GROUND_Y;
                    opp.ground_y = 244;
                }
                me.timer = 0;
                btl_sound(SFX_BLAST);
                me.step = 6;
            }
            return 0;
        }
        case 6:
            m.pan_slow();
            ++me.timer;
            opp.layer = 1;
            if (held) {
                opp.y = 236;
                opp.x = opp.stash_x;
                opp.state = static_cast<int16_t>(3 + me.timer % 2);
            }
            if (me.timer == 7) {
                me.timer = 0;
                BattleActor& b = m.fx(1);
                b.x = opp.x;
                b.y = 256;
                b.frame = 44;
                b.layer = 3;
                if (held) opp.y = 248;
                btl_sound(SFX_WHIRLWIND);
                me.step = 7;
            }
            return 0;
        case 7: {
            m.pan_slow();
            BattleActor& b = m.fx(1);
            if (me.timer == 0) {
                b.frame = 45;
                if (held) opp.y = 496;
            } else {
                b.y = 0;
            }
            if (++me.timer == 9) {
                if (held) opp.y = 236;
                b.y = 256;
                b.frame = 44;
                m.hit(2, 2);
                opp.stash_y = -32;
                m.opp_companion(7);
                me.step = 8;
            }
            return 0;
        }
        case 8:
            if (++m.fx(1).frame == 45) {
                btl_actor_hide(m.fx_id(1));
                me.step = 9;
            }
            return 0;
        case 9:
            if (--m.fx(2).frame < 26) {
                btl_actor_hide(m.fx_id(0));
                btl_actor_hide(m.fx_id(1));
                me.step = 10;
            }
            return 0;
        default: return m.finish(10, true);
    }
}

// The meteor: a light on the mover, a meteor dropping 10 cells ahead, its
// blast, and a spirit that charges through the opponent with up to two hits.
// The sub-phase of the meteor and the spirit is kept in stash_x.
uint16_t cls14_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    int16_t& sub = me.stash_x;
    constexpr int32_t E2 = 2, E3 = 3, E4 = 4;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_C, {.frame = 0, .ground = true});
            m.spawn(me.x, BTL_GROUND_Y, 4);
            m.spawn(me.x, BTL_GROUND_Y, 6).layer = 2;
            m.spawn(me.x + m.fwd(10), 0, 8).layer = 2;
            m.spawn(me.x + m.fwd(10), 0, 9).layer = 1;
            m.spawn(me.x + m.fwd(10), 0, 16);
            m.trail(1, m.fx_id(E4));
            sub = 0;
            btl_sound(SFX_CONJURE);
            [[fallthrough]];
        case 1: {
            const bool charging = sub >= 4;
            ++me.timer;
            if (me.timer < 6)
                me.frame = static_cast<int16_t>(me.timer % 2);
            else if (me.timer < 10)
                me.frame = 2;
            m.fx(0).frame = static_cast<int16_t>(4 + me.timer % 2);
            m.fx(1).frame = static_cast<int16_t>(6 + me.timer % 2);
            BattleActor& meteor = m.fx(E2);
            BattleActor& blast = m.fx(E3);
            BattleActor& spirit = m.fx(E4);
            switch (sub) {
                case 0:
                    if (me.timer <= 10) break;
                    if (meteor.y == 0) {
                        meteor.y = 32;
                        btl_sound(SFX_METEOR);
                    } else {
                        meteor.y = static_cast<int16_t>(meteor.y + 32);
                    }
                    if (meteor.y >= BTL_GROUND_Y) sub = 1;
                    break;
                case 1:
                case 4:
                    blast.y = BTL_GROUND_Y;
                    ++blast.frame;
                    if (blast.frame == 12) ++sub;
                    if (blast.frame == 15) {
                        btl_actor_hide(m.fx_id(E3));
                        ++sub;
                    }
                    break;
                case 2:
                    me.frame = 3;
                    sub = 3;
                    break;
                case 3:
                    spirit.y = BTL_GROUND_Y;
                    ++spirit.frame;
                    spirit.x = static_cast<int16_t>(spirit.x + m.fwd(4));
                    btl_sound(SFX_POWER);
                    m.pan_fast();
                    if (spirit.frame == 19) sub = 4;
                    break;
                default: break;
            }
            if (charging) {
                spirit.x = static_cast<int16_t>(spirit.x + m.fwd(4));
                m.pan_fast();
                if (m.gap(spirit) < 8) me.step = 2;
            }
            return 0;
        }
        case 2: {
            m.pan_fast();
            BattleActor& spirit = m.fx(E4);
            spirit.x = static_cast<int16_t>(spirit.x + m.fwd(4));
            m.try_hit(m.opp.hit_count == 0 ? 2 : 1, 1, 2);
            if (spirit.x < -20 || spirit.x > 100) me.step = 3;
            return 0;
        }
        case 3:
            m.trail_off();
            m.hide_and_release(5);
            me.step = 4;
            return 0;
        default: return m.finish(4, true);
    }
}

void cls14_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls14_move12, cls14_move13, cls14_move14, nullptr};
    btl_common_handler(side, done, BTL_COMMON_FACTS, moves);
}
