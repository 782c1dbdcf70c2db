// Class 38, the griffon: it seizes the opponent from a glide and slams it
// down three times, or drops stones on it from above.
// Move choice: btl_choose_move_for_class, case 38 (battle/scene.cpp).
#include <algorithm>

#include "battle/classes/classes.h"

// Its wing beat, by timer mod 4.
const std::array<int16_t, 4> g_cls38_flap_frames = {0, 1, 10, 1};

namespace {
constexpr int32_t STONES = 4;

void flap(Move& m) { m.me.frame = g_cls38_flap_frames[static_cast<size_t>(m.me.timer & 3)]; }

// The wing beat's sound, on frame 1.
void flap_sound(Move& m) {
    if (g_btl_animated && m.me.frame == 1) btl_sound(SFX_WING_BEAT);
}

void high_pose(Move& m) { m.companion(m.me.y >= 224 ? 8 : 6); }
}  // namespace

// Move 12: it climbs, glides down onto the opponent, carries it up and slams
// it to the ground three times; the third slam deals the damage.
uint16_t cls38_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    // The distance at the start, kept in a work word of its own (the
    // opponent's words are rewritten by its stand).
    int16_t& start = me.w27;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            start = m.dist();
            m.companion(6);
            me.ground_y = BTL_GROUND_Y;
            me.stash_x = 1;
            [[fallthrough]];
        case 1:
            m.wing_beat();
            m.walk_frame();
            ++me.timer;
            if (me.stash_x == 1) {
                if (me.y > 100) {
                    me.y -= 32;
                } else {
                    // The glide's slope; a distance of 0 counts as 1.
                    me.stash_y = (160 - opp.y) / std::max(m.dist(), 1);
                    me.stash_x = 0;
                }
            }
            if (me.stash_x == 0) {
                if (m.dist() < 4) {
                    me.timer = 0;
                    me.stash_y = 0;
                    me.x += m.fwd(1);
                    opp.hit_count = 0;
                    me.frame = 6;
                    opp.state = 4;
                    me.step = 2;
                } else {
                    const int32_t steep = 2 * m.dist() <= start ? 8 : 2;
                    me.y -= me.timer % 2 + steep * me.stash_y;
                    me.x += m.fwd(4);
                    m.pan_fast();
                }
            }
            high_pose(m);
            return 0;
        case 2:
            ++me.timer;
            m.walk_frame(3);
            m.pan_fast();
            if (me.timer < 3) {
                me.y -= 20;
                opp.y -= 20;
            }
            if (me.frame == 3 && me.timer > 5) {
                me.stash_y = 2;
                me.stash_x = 1;
                opp.timer = 0;
                me.step = 3;
            }
            return 0;
        case 3:
            if (me.stash_x == 1) {
                me.stash_y *= 2;
                me.y += me.stash_y;
                opp.y += me.stash_y;
                if (opp.y >= BTL_GROUND_Y) {
                    // A slam: the opponent on the ground, the griffon
                    // springing back up. The opponent's timer counts them.
                    me.stash_y = opp.y - BTL_GROUND_Y;
                    me.y -= me.stash_y + 5;
                    opp.stash_x = 1;
                    opp.y = BTL_GROUND_Y;
                    me.stash_y = 40;
                    me.timer = 0;
                    if (m.idle()) {
                        opp.recoil = 0;
                        m.flinch(5, SFX_BLOW);
                        if (opp.timer == 0) opp.x += m.fwd(4);
                    }
                    if (opp.timer != 2) {
                        ++opp.timer;
                        me.stash_x ^= 1;
                    } else {
                        m.hit(opp.state, 2);
                        me.timer = 0;
                        me.stash_y = -32;
                        me.step = 4;
                    }
                }
            } else if (me.y < 91) {
                me.stash_y = 90 - me.y;
                me.y = 90;
                opp.y += me.stash_y;
                me.stash_x ^= 1;
                me.stash_y = 1;
            } else {
                if (opp.stash_x == 1) {
                    me.y += 5;
                    opp.stash_x = 0;
                }
                me.y -= me.stash_y;
                opp.y -= me.stash_y;
            }
            if (me.step == 3) {
                m.walk_frame(3);
                ++me.timer;
            }
            high_pose(m);
            return 0;
        case 4:
            ++me.timer;
            flap(m);
            me.y += me.stash_y;
            me.stash_y += 16;
            me.x -= m.fwd(2);
            if (me.y >= BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                me.timer = 0;
                m.companion(8);
                me.step = 5;
            }
            return 0;
        case 5:
            m.walk_frame();
            ++me.timer;
            m.pan_slow();
            m.cleanup(false);
            return 0;
        default: return m.end();
    }
}

// Move 13: it flies over the opponent and lets four stones fall on it, each
// of them twice at most.
uint16_t cls38_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0, .ground = true});
            me.y -= 16;
            m.companion(6);
            [[fallthrough]];
        case 1:
            ++me.timer;
            m.walk_frame();
            me.ground_y = BTL_GROUND_Y;
            if (m.dist() <= 11) {
                // Close in by two until less than 7 apart (a distance of
                // exactly 7 would otherwise hold it there for good).
                if (m.dist() > 6) {
                    me.x += m.fwd(2);
                    m.pan_slow();
                }
            } else {
                me.x += m.fwd(4);
                m.pan_fast();
            }
            flap_sound(m);
            if (m.dist() < 7) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.stash_y = -54;
                me.frame = 0;
                m.opp.x += m.fwd(2);
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.timer;
            flap(m);
            me.x -= m.fwd(1);
            me.y += me.stash_y;
            me.stash_y += 18;
            m.companion(me.y >= 224 ? 6 : 5);
            flap_sound(m);
            m.pan_slow();
            if (me.stash_y >= 0) me.step = 3;
            return 0;
        case 3:
            ++me.timer;
            flap(m);
            if (me.frame == 10) {
                if (me.stash_y == 0) {
                    me.stash_y = 1;
                } else {
                    me.frame = 11;
                    static constexpr int16_t cols[STONES] = {2, 7, -1, 4};
                    static constexpr int16_t rows[STONES] = {191, 192, 191, 191};
                    static constexpr int16_t frames[STONES] = {8, 9, 9, 8};
                    for (int32_t i = 0; i < STONES; ++i) m.spawn(me.x + m.fwd(cols[i]), me.y + rows[i], frames[i]);
                    m.opp.hit_count = 0;
                    me.timer = 0;
                    me.stash_x = 0;
                    me.stash_y = 0;
                    btl_sound(SFX_WHOOSH);
                    me.step = 4;
                }
            }
            return 0;
        case 4:
            for (int32_t i = 0; i <= std::min<int32_t>(me.timer, STONES - 1); ++i) {
                BattleActor& s = m.fx(i);
                if (i == me.timer) {
                    s.y -= 200;  // let go: it hung 191 below the griffon
                } else if (s.y < 351) {
                    s.x += m.fwd(4);
                    s.y += 42;
                } else {
                    if (me.timer >= 4 && me.stash_y < 4 && s.stash_x == 0) {
                        s.x -= m.fwd(23);
                        s.y -= 238;
                        ++s.stash_x;
                    }
                    ++me.stash_y;
                }
                if (s.x == m.opp.x && m.idle() && m.opp.hit_count < 3 && m.alive()) m.hit(2, 2 * s.stash_x);
                if (me.stash_y >= 7) {
                    me.stash_y = 20;
                    me.step = 5;
                    break;
                }
            }
            ++me.timer;
            return 0;
        case 5:
            m.walk_frame();
            me.y += 20;
            m.companion_by_height(6, 5);
            if (me.y < BTL_GROUND_Y) {
                m.pan_slow();
            } else {
                me.y = BTL_GROUND_Y;
                me.timer = 0;
                m.companion(8);
                me.step = 6;
            }
            ++me.timer;
            flap_sound(m);
            return 0;
        case 6:
            m.hide_and_release(STONES);
            me.step = 7;
            return 0;
        case 7:
            m.walk_frame();
            ++me.timer;
            m.pan_slow();
            m.cleanup_keep_busy(false);
            return 0;
        default: btl_actor_next_frame(side); return m.end();
    }
}

void cls38_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls38_move12, cls38_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(8, 8, 6, 8);
    btl_common_handler(side, done, facts, moves);
}
