// Classes 10 and 11, the shaman and the priest. Both have a support move in
// which a spirit rises swinging around the partner before the recovery; the
// shaman also summons a runner and five hopping critters, the priest rains
// rocks, raises lights and throws bouncing orbs. Every move draws from the
// class's sheet B.
// Move choice: btl_choose_move_for_class, cases 10 and 11 (battle/scene.cpp).
#include "battle/classes/classes.h"

std::array<std::array<int16_t, 4>, 4> g_btl_orb_starts = {
    {{-14, -48, 2, -32}, {0, -192, 2, 32}, {14, -48, -2, 32}, {0, 16, -2, -32}}};

namespace {

// Steps 0 and 1 of the support move: the set-up (frame 0), then the walk
// to the partner, 2 cells a frame with SFX_FOOTSTEP while 9 or more cells away;
// there the cast message, frame 4 and step 2.
void walk_to_partner(Move& m) {
    BattleActor& me = m.me;
    if (me.step == 0) {
        m.open(BTL_SHEET_B, {.frame = 0, .ground = true});
        return;
    }
    m.pan_slow();
    m.frame_loop(me, 0, 4, 1, false);
    if (m.dist() >= 9) {
        me.x = static_cast<int16_t>(me.x + m.fwd(2));
        btl_sound(SFX_FOOTSTEP);
        return;
    }
    btl_msg_cast(m.side, 0);
    me.frame = 4;
    me.step = 2;
}

// The spirit rising: 2 cells along its direction word (stash_x, 1 forward,
// -1 back), 2 px up; more than 2 cells from the partner it reverses and
// passes to the other side of it (layer 3 and 2 alternate). Once above row
// `top`: the recovery, the spirit stashed, the trail off, step + 1.
void spirit_rise(Move& m, BattleActor& s, int32_t top) {
    s.x = static_cast<int16_t>(s.x + m.fwd(2 * s.stash_x));
    s.y = static_cast<int16_t>(s.y - 2);
    if (m.gap(s) > 2) {
        s.stash_x = static_cast<int16_t>(-s.stash_x);
        s.layer = static_cast<int16_t>(s.layer == 3 ? 2 : 3);
    }
    if (s.y >= top) return;
    m.recover();
    btl_actor_stash_position(m.fx_id(0));
    m.trail_off();
    ++m.me.step;
}

// The set-up of the priest's conjurings: frame 6, the opening sound.
void conjure_setup(Move& m, SoundEffect sound) {
    m.open(BTL_SHEET_B, {.frame = 6, .ground = true, .sound = sound});
    m.pan_fast();
}

// Their first step: frame 7, then nine frames of count, fast pan
// throughout. True when it is over (timer 0, step 2).
bool conjure(Move& m) {
    BattleActor& me = m.me;
    m.pan_fast();
    if (me.frame < 7)
        ++me.frame;
    else
        ++me.timer;
    if (me.timer <= 8) return false;
    me.timer = 0;
    me.step = 2;
    return true;
}

// Moves 13 and 14 of the priest: the set-up and the conjuring, then `count`
// pieces placed by place(i) that move by fly(i, piece) every frame, the
// view panning fast; fly is true for a piece gone for good. Once every
// piece is gone they are given back and the move ends.
template <class Place, class Fly>
uint16_t conjured_pieces(Move& m, SoundEffect sound, int32_t count, Place place, Fly fly) {
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: conjure_setup(m, sound); return 0;
        case 1:
            if (!conjure(m)) return 0;
            for (int32_t i = 0; i < count; ++i) place(i);
            return 0;
        case 2: {
            m.pan_fast();
            int32_t gone = 0;
            for (int32_t i = 0; i < count; ++i) gone += fly(i, m.fx(i)) ? 1 : 0;
            if (gone == count) {
                m.release();
                me.step = 3;
            }
            return 0;
        }
        default: return m.finish(3, true);
    }
}

// A wall of the orbs' box: the orb is put back on it and its speed turns
// inward with the magnitude given.
void bounce(int16_t& at, int16_t& speed, int32_t lo, int32_t hi, int32_t magnitude) {
    if (at < lo) {
        at = static_cast<int16_t>(lo);
        speed = static_cast<int16_t>(magnitude);
    } else if (at > hi) {
        at = static_cast<int16_t>(hi);
        speed = static_cast<int16_t>(-magnitude);
    } else {
        return;
    }
    btl_sound(SFX_BOUNCE);
}

}  // namespace

// --- class 10 ---------------------------------------------------------------------

// Support: the walk, three frames of casting, a spirit rising from the
// partner's column.
uint16_t cls10_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: walk_to_partner(m); return 0;
        case 2:
            btl_msg_cast(side, 0);
            if (++me.frame > 6) {
                me.frame = 6;
                m.spawn(m.opp.x, 256, 10).stash_x = 1;
                m.trail(2, m.fx_id(0));
                me.timer = 0;
                btl_sound(SFX_SPIRIT_SHOT);
                me.step = 3;
            }
            return 0;
        case 3: {
            m.pan_slow();
            btl_sound(SFX_RECOVERY);
            BattleActor& s = m.fx(0);
            s.timer = static_cast<int16_t>(s.timer + 2);
            s.frame = static_cast<int16_t>(10 + (s.timer + 1) % 2);
            spirit_rise(m, s, 176);
            return 0;
        }
        default: return m.finish_quiet(4);
    }
}

// A summoned runner that strikes once on reaching the opponent.
uint16_t cls10_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 7, .ground = true}); return 0;
        case 1:
            if (++me.frame == 9) {
                m.spawn(me.x + m.fwd(2), BTL_GROUND_Y, 18);
                btl_sound(SFX_HOP);
                me.step = 2;
            }
            m.pan_slow();
            return 0;
        case 2: {
            m.pan_slow();
            BattleActor& r = m.fx(0);
            r.frame = static_cast<int16_t>(18 + me.timer % 4);
            ++me.timer;
            r.x = static_cast<int16_t>(r.x + m.fwd(2));
            if (m.gap(r) < 2 && m.idle() && m.in_reach_of(m.fx_id(0), 0, -48, 2, 64)) {
                m.hit(2, 2);
                r.frame = 22;
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            BattleActor& r = m.fx(0);
            if (++r.frame > 23) {
                m.hide_and_release();
                me.step = 4;
            }
            return 0;
        }
        default: return m.finish(4, true);
    }
}

// Five critters hop across the field from behind the mover, up to five hits.
uint16_t cls10_move14(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    constexpr int32_t CRITTERS = 5;
    auto start_speed = [](int32_t i) { return static_cast<int16_t>(-32 - 4 * (i % 3)); };
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 7, .ground = true}); return 0;
        case 1:
            if (++me.frame == 9) {
                for (int32_t i = 0; i < CRITTERS; ++i)
                    m.spawn(me.x - 3 * i, BTL_GROUND_Y - 2 * i, i % 2 ? 12 : 15).stash_y = start_speed(i);
                btl_sound(SFX_HOP);
                me.step = 2;
            }
            return 0;
        case 2: {
            m.pan_slow();
            int32_t gone = 0;
            for (int32_t i = 0; i < CRITTERS; ++i) {
                BattleActor& c = m.fx(i);
                const int16_t odd = static_cast<int16_t>(i % 2);
                if (c.down_flag || (side == 0 ? c.x >= 84 : c.x < -3)) {
                    if (!c.down_flag) btl_actor_hide(m.fx_id(i));
                    c.down_flag = 1;
                    ++gone;
                    continue;
                }
                c.x = static_cast<int16_t>(c.x + m.fwd(2));
                c.y = static_cast<int16_t>(c.y + c.stash_y);
                c.stash_y = static_cast<int16_t>(c.stash_y + 8);
                if (c.y >= 257) {
                    c.y = 256;
                    c.stash_y = start_speed(i);
                    c.frame = odd ? 13 : 16;
                } else {
                    c.frame = static_cast<int16_t>((odd ? 12 : 15) + (c.stash_y == 0 ? 1 : c.stash_y > 0 ? 2 : 0));
                }
                if (m.gap(c) < 2 && m.in_reach_of(m.fx_id(i), 0, -48, 2, 64)) m.try_hit(2, 1, 5);
            }
            if (gone == CRITTERS) {
                m.release();
                me.step = 3;
            }
            return 0;
        }
        default: return m.finish(3, true);
    }
}

void cls10_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls10_move12, cls10_move13, cls10_move14, nullptr};
    btl_common_handler(side, done, CLS10_FACTS, moves);
}

// --- class 11 ---------------------------------------------------------------------

// Support: the walk, a spirit that leaves the mover, sinks toward the
// partner and then rises swinging around it.
uint16_t cls11_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: walk_to_partner(m); return 0;
        case 2:
            btl_msg_cast(side, 0);
            m.spawn(me.x, BTL_GROUND_Y, 8).stash_x = 1;
            m.trail(2, m.fx_id(0));
            me.timer = 0;
            btl_sound(SFX_SPIRIT_SHOT);
            m.pan_slow();
            me.step = 3;
            return 0;
        case 3: {
            m.pan_slow();
            BattleActor& s = m.fx(0);
            s.frame = static_cast<int16_t>(8 + s.timer % 2);
            if (++s.timer > 6) {
                me.frame = 5;
                s.x = static_cast<int16_t>(s.x + m.fwd(2));
                s.y = static_cast<int16_t>(s.y + 8);
                if (m.gap(s) < 3) {
                    s.timer = 0;
                    me.step = 4;
                }
            }
            return 0;
        }
        case 4: {
            m.pan_slow();
            btl_sound(SFX_RECOVERY);
            BattleActor& s = m.fx(0);
            m.frame_loop(s, 8, 2, 1, false);
            spirit_rise(m, s, 192);
            return 0;
        }
        default: return m.finish_quiet(5);
    }
}

// Six rocks fall on and around the opponent; a hit bursts the rock.
uint16_t cls11_move13(int16_t side) {
    Move m(side, Layers::Keep);
    constexpr int16_t FALLING = 0, BURSTING = 1, GONE = 2;
    auto place = [&m, side](int32_t i) {
        const int32_t x = side == 0 ? m.opp.x - 4 * i - 4 : m.opp.x + 4 * i - 4;
        BattleActor& r = m.spawn(x, 32 - 32 * btl_random(8), 0);
        r.timer = static_cast<int16_t>(btl_random(3));
        r.frame = static_cast<int16_t>(10 + r.timer);
        r.stash_x = static_cast<int16_t>(m.fwd(1 + btl_random(3)));
        r.stash_y = 32;
    };
    auto fly = [&m](int32_t i, BattleActor& r) {
        if (r.down_flag == FALLING) {
            r.x = static_cast<int16_t>(r.x + r.stash_x);
            r.y = static_cast<int16_t>(r.y + 32);
            m.frame_loop(r, 10, 3);
            if (m.hitbox(m.fx_id(i), -2, -32, 2, 32) && m.try_hit(2, 1, 8)) {
                r.down_flag = BURSTING;
                r.frame = 13;
            } else if (r.y > 272) {
                r.down_flag = GONE;
                btl_actor_hide(m.fx_id(i));
            }
        } else if (r.down_flag == BURSTING) {
            if (r.frame < 15) {
                ++r.frame;
            } else {
                r.down_flag = GONE;
                btl_actor_hide(m.fx_id(i));
            }
        }
        return r.down_flag == GONE;
    };
    return conjured_pieces(m, SFX_CONJURE, 6, place, fly);
}

// Nine lights rise from below around the opponent, swaying.
uint16_t cls11_move14(int16_t side) {
    Move m(side, Layers::Keep);
    constexpr int32_t LIGHTS = 9;
    constexpr int16_t GONE = -1;
    auto base = [](const BattleActor& l) { return l.down_flag == 1 ? 23 : 20; };
    auto place = [&m, base](int32_t) {
        const int32_t x = m.opp.x + 2 * btl_random(16) - 16;
        BattleActor& l = m.spawn(x, 272 + 32 * btl_random(6), 0);
        l.down_flag = static_cast<int16_t>(btl_random(2));  // the kind
        l.timer = static_cast<int16_t>(btl_random(3));
        l.frame = static_cast<int16_t>(base(l) + l.timer % 3);
        l.stash_x = static_cast<int16_t>(x);  // the sway's centre
        l.stash_y = -24;
        l.w24 = 1;  // the sway step
    };
    auto rise = [&m, base](int32_t i, BattleActor& l) {
        if (l.down_flag == GONE) return true;
        l.frame = static_cast<int16_t>(base(l) + l.timer % 3);
        ++l.timer;
        l.y = static_cast<int16_t>(l.y - std::abs(l.stash_y));
        if (std::abs(l.stash_y) < 24) l.stash_y = static_cast<int16_t>(l.stash_y + 4);
        l.x = static_cast<int16_t>(l.x + l.w24);
        if (std::abs(l.x - l.stash_x) > 4) l.w24 = static_cast<int16_t>(-l.w24);
        if (m.hitbox(m.fx_id(i), -2, -32, 2, 32)) m.try_hit(2, 1, 5);
        if (l.y >= 0) return false;
        l.down_flag = GONE;
        btl_actor_hide(m.fx_id(i));
        return true;
    };
    // The lights hum every eighth frame of the last one, after all have moved.
    auto fly = [&m, rise](int32_t i, BattleActor& l) {
        const bool gone = rise(i, l);
        if (i == LIGHTS - 1 && m.fx(LIGHTS - 1).timer % 8 == 0) btl_sound(SFX_INVOKE);
        return gone;
    };
    return conjured_pieces(m, SFX_INVOKE, LIGHTS, place, fly);
}

// Four orbs bounce in a box on the opponent's half for up to 48 frames; a
// hit bursts the orb, the others fade at the end.
uint16_t cls11_move15(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    constexpr int32_t ORBS = 4;
    constexpr int16_t FLYING = 0, BURSTING = 1, FADING = 2, FINISHED = 3;
    switch (me.step) {
        case 0: conjure_setup(m, SFX_FLASH); return 0;
        case 1:
            if (!conjure(m)) return 0;
            for (int32_t i = 0; i < ORBS; ++i) {
                std::array<int16_t, 4>& row = g_btl_orb_starts[static_cast<size_t>(i)];
                BattleActor& o = m.spawn(m.opp.x + row[0], m.opp.y + row[1], 16);
                int32_t speed = 1 + btl_random(3);
                if (btl_random(2)) speed = -speed;
                row[2] = static_cast<int16_t>(speed);
                o.stash_x = row[2];
                o.stash_y = static_cast<int16_t>(row[3] + 16 * btl_random(3));
            }
            me.down_flag = 0;
            btl_sound(SFX_HOP);
            return 0;
        case 2:
            for (int32_t i = 0; i < ORBS; ++i) m.fx(i).frame = static_cast<int16_t>(16 + me.timer % 4);
            if (++me.timer >= 9) {
                m.opp.hit_count = 0;
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        case 3: {
            m.pan_fast();
            const int32_t lo = side == 0 ? 42 : 2, hi = side == 0 ? 76 : 36;
            for (int32_t i = 0; i < ORBS; ++i) {
                BattleActor& o = m.fx(i);
                const std::array<int16_t, 4>& row = g_btl_orb_starts[static_cast<size_t>(i)];
                if (o.down_flag == FLYING) {
                    o.frame = static_cast<int16_t>(16 + me.timer % 4);
                    o.x = static_cast<int16_t>(o.x + o.stash_x);
                    o.y = static_cast<int16_t>(o.y + o.stash_y);
                    bounce(o.x, o.stash_x, lo, hi, std::abs(row[2]));
                    bounce(o.y, o.stash_y, 48, 256, std::abs(row[3]));
                    if (m.hitbox(m.fx_id(i), -2, -16, 2, 16) && m.try_hit(2, 1, 8)) {
                        o.down_flag = BURSTING;
                        o.frame = 26;
                    }
                } else if (o.down_flag == BURSTING) {
                    if (o.frame < 29) {
                        ++o.frame;
                    } else {
                        o.down_flag = FINISHED;
                        ++me.down_flag;
                    }
                }
            }
            ++me.timer;
            if (me.timer < 48 && me.down_flag < ORBS) return 0;
            bool left = false;
            for (int32_t i = 0; i < ORBS; ++i) {
                BattleActor& o = m.fx(i);
                if (o.down_flag == FLYING) {
                    o.frame = 30;
                    o.down_flag = FADING;
                } else if (o.down_flag == FADING) {
                    o.frame = 31;
                    o.down_flag = FINISHED;
                }
                left |= o.down_flag != FINISHED;
            }
            if (!left) {
                m.hide_and_release(ORBS);
                me.step = 4;
            }
            return 0;
        }
        default: return m.finish(4, true);
    }
}

void cls11_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls11_move12, cls11_move13, cls11_move14, cls11_move15};
    static constexpr ClassHandlerFacts facts = btl_facts_highest(CLS10_FACTS, 15);
    btl_common_handler(side, done, facts, moves);
}
