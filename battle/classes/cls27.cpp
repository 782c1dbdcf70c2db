// Class 27, the dark lord: a leap with a slash wave, and a grab and throw
// (sheet 27B); the move choice draws one of the two at random.
// Move choice: btl_choose_move_for_class, case 27 (battle/scene.cpp).
#include <algorithm>

#include "battle/classes/classes.h"

// Move 12: a short run, a 9-frame leap that looses a slash wave, and the
// wave crosses the field; up to two hits.
uint16_t cls27_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.ground = true, .pose = 2}); [[fallthrough]];
        case 1:
            m.walk_step({.sound = SFX_THUD, .pose = -1});
            m.pan_fast();
            if (m.dist() < 38) {
                me.timer = 0;
                me.frame = 3;
                me.stash_x = 1;  // the wave still to come
                m.opp.hit_count = 0;
                m.take_off();
                me.step = 2;
            }
            return 0;
        case 2:
            me.x += m.fwd(2);
            me.y += me.stash_y;
            me.stash_y += 16;
            m.companion(me.y >= 208 ? 2 : 6);
            if (me.y == 176) ++me.frame;
            if (me.frame == 5 && me.stash_x == 1) {
                m.spawn(me.x + m.fwd(8), me.y, 8);
                m.trail(2, m.fx_id(0));
                me.stash_x = 0;
            }
            if (me.frame >= 5) {
                m.fx(0).x += m.fwd(4);
                m.pan_fast();
            } else {
                m.pan_slow();
            }
            if (me.y >= BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                m.companion(2);
                me.step = 3;
            }
            return 0;
        case 3: {
            BattleActor& e = m.fx(0);
            e.x += m.fwd(4);
            // Once the wave has struck, the second blow needs no contact.
            if ((m.gap(e) < 2 || e.stash_y == 1) && m.idle() && m.alive() && m.opp.hit_count < 2) {
                if (e.stash_y == 0) ++me.frame;
                e.stash_y = 1;
                m.hit(1, 2);
            }
            if (btl_off_field(e, -15, 95)) me.step = 4;
            m.pan_slow();
            return 0;
        }
        case 4:
            m.hide_and_release();
            m.trail_off();
            me.step = 5;
            return 0;
        case 5:
            m.cleanup(false);
            me.y = BTL_GROUND_Y;
            return 0;
        default: return m.end();
    }
}

// Move 13: the dark lord walks in, staggers the opponent, lifts it over its
// head, hurls it up and leaps after it; the blow at frame 5 throws it away
// with a recoil of 10 columns a reaction frame.
uint16_t cls27_move13(int16_t side) {
    Move m(side, Layers::Keep);
    m.me.layer = 1;
    m.opp.layer = 3;  // the opponent is drawn in front of the mover
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    const uint16_t result = [&]() -> uint16_t {
        switch (me.step) {
            case 0:
                m.open(BTL_SHEET_B, {.ground = true});
                me.stash_x = 0;
                [[fallthrough]];
            case 1:
                ++me.timer;
                me.x += m.fwd(2);
                me.frame = g_btl_walk_frames[static_cast<size_t>(me.timer % 4)];
                m.pan_slow();
                if (m.dist() < 14) me.frame = 6;
                if (m.dist() < 8 && m.idle()) {
                    opp.timer = 0;
                    opp.hit_count = 0;
                    m.flinch(5, SFX_BLOW);
                }
                if (m.dist() < 4) {
                    me.timer = 0;
                    me.frame = 7;
                    opp.x = static_cast<int16_t>(me.x + m.fwd(1));
                    opp.y -= 96;
                    me.step = 2;
                }
                if (me.frame == 1) m.footstep();
                return 0;
            case 2:
                ++me.timer;
                if (me.timer == 5) {
                    --me.frame;
                    opp.x = static_cast<int16_t>(me.x + m.fwd(4));
                    opp.y = 208;
                    opp.flags |= 2;
                }
                if (me.timer > 5) {
                    me.timer = 0;
                    me.stash_y = -48;
                    ++me.frame;
                    opp.stash_y = -96;
                    opp.x = static_cast<int16_t>(me.x + m.fwd(2));
                    opp.y += opp.stash_y;
                    opp.flags ^= 2;
                    btl_sound(SFX_LEAP);
                    me.step = 3;
                }
                return 0;
            case 3:
                opp.stash_y += 16;
                opp.y += opp.stash_y;
                if (opp.stash_y == 0) opp.flags |= 2;
                if (opp.stash_y >= 0) {
                    me.y += me.stash_y;
                    me.stash_y += 16;
                    me.frame = 3;
                    if (me.y > BTL_GROUND_Y) me.y = BTL_GROUND_Y;
                }
                if (opp.stash_y >= 48) {
                    me.frame = static_cast<int16_t>(std::min<int32_t>(me.timer + 3, 6));
                    ++me.timer;
                    if (me.frame == 5) m.hit(1, 10);
                }
                if (opp.y >= BTL_GROUND_Y) {
                    me.timer = 0;
                    opp.y = 208;
                    opp.stash_y = 0;
                    me.step = 4;
                }
                if (!m.alive()) opp.flags ^= 2;
                return 0;
            default: return m.finish(4, false);
        }
    }();
    m.companion_glide(208);
    return result;
}

void cls27_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 2, 2, 6, 13);
    static constexpr MoveTable moves = {cls27_move12, cls27_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
