// Classes 0 and 1, the princess and the holy commando. Both have the support
// move: a sparkle that flies to the partner, circles it and then heals,
// raises or revives it. The princess feints and strikes (and leaps after the
// strike with her charm); the commando strikes twice, casts a bolt, or
// flurries and leaps back. Every move draws from the class's sheet B.
// Move choice: btl_choose_move_for_class, cases 0 and 1 (battle/scene.cpp).
#include <algorithm>

#include "battle/classes/classes.h"

const std::array<int16_t, 4> g_btl_sparkle_frames = {0, 1, 0, 2};

namespace {

// The mover's frames of the support move and the first frame of its sparkle.
struct SupportLook {
    int16_t ready;    // from the set-up on
    int16_t cast;     // once the sparkle flies
    int16_t sparkle;  // + g_btl_sparkle_frames
};

// The sparkle's own frame and bob.
void sparkle(Move& m, BattleActor& e, const SupportLook& look) {
    ++e.timer;
    e.frame = static_cast<int16_t>(look.sparkle + g_btl_sparkle_frames[static_cast<size_t>(e.timer & 3)]);
    m.bob(e);
}

// The support move: the cast message for seven frames, the sparkle flies to
// the partner and swings around it seven times, then the recovery.
uint16_t support(int16_t side, const SupportLook& look) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.ground = true});
            me.frame = look.ready;
            return 0;
        case 1:
            btl_msg_cast(side, 0);
            if (++me.timer > 6) {
                me.frame = look.cast;
                m.send_to_partner(look.sparkle, 2);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            sparkle(m, e, look);
            if (m.float_to_partner(e)) me.step = 3;
            return 0;
        }
        case 3: {
            btl_sound(SFX_SPARKLE);
            sparkle(m, m.fx(0), look);
            if (m.circle_partner()) me.step = 4;
            return 0;
        }
        default: return m.finish_quiet(4);
    }
}

// Steps 1 to 3 of the princess's strikes: the walk-up, the feint at frame 12
// and the unguarded strike at frame 15. True in the frame of the strike.
bool feint_and_strike(Move& m) {
    BattleActor& me = m.me;
    switch (me.step) {
        case 1:
            if (m.walk_up(6, 10)) me.step = 2;
            return false;
        case 2:
            ++me.frame;
            m.close_in(6);
            if (me.frame == 12) {
                m.flinch(5, SFX_BLOW);
                me.frame = 13;
                me.step = 3;
            }
            return false;
        default:
            ++me.frame;
            m.close_in(4);
            if (me.frame != 15) return false;
            m.hit(2, 2);
            me.step = 4;
            return true;
    }
}

}  // namespace

// --- class 0 ----------------------------------------------------------------------

uint16_t cls00_move12(int16_t side) { return support(side, {3, 4, 16}); }

// Feint and strike.
uint16_t cls00_move13(int16_t side) {
    Move m(side);
    switch (m.me.step) {
        case 0: m.open(BTL_SHEET_B); return 0;
        case 1:
        case 2:
        case 3: feint_and_strike(m); return 0;
        default: return m.finish(4, true, 0);
    }
}

// Feint, strike, then a leap onto the opponent's column with a second hit
// on the way down.
uint16_t cls00_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.ground = true}); return 0;
        case 1:
        case 2:
        case 3:
            if (feint_and_strike(m)) {
                me.frame = 5;
                me.stash_y = -48;
            }
            return 0;
        case 4:
            if (me.x != m.opp.x) me.x = static_cast<int16_t>(me.x + m.dir);
            me.y = static_cast<int16_t>(me.y + me.stash_y);
            me.stash_y = static_cast<int16_t>(me.stash_y + 12);
            m.companion_by_height(5, 7);
            if (me.stash_y > 0) {
                me.frame = 6;
                m.companion(5);
                if (m.in_reach(0, -48, 5, 32)) m.try_hit(1, 2, 3);
            }
            if (me.y > BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                if (me.frame == 6 && m.idle()) {
                    me.stash_y = 0;
                    me.timer = 0;
                    me.step = 5;
                }
            }
            return 0;
        default: return m.finish(5, true, 0);
    }
}

void cls00_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls00_move12, cls00_move13, cls00_move14, nullptr};
    btl_common_handler(side, done, BTL_COMMON_FACTS, moves);
}

// --- class 1 ----------------------------------------------------------------------

uint16_t cls01_move12(int16_t side) { return support(side, {17, 18, 21}); }

// Two strikes: the first unguarded at frame 6, the second at frame 9 when the
// opponent is in reach and idle again.
uint16_t cls01_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(6, 3, {.after_setup = true}); return 0;
        case 2:
            if (me.frame < 6) ++me.frame;
            m.close_in(6);
            if (me.frame == 6) {
                if (m.in_reach(0, -48, 5, 32)) m.hit(2, 0);
                if (m.alive()) {
                    me.frame = 7;
                    me.step = 3;
                } else {
                    me.step = 4;
                }
            }
            return 0;
        case 3:
            if (me.frame < 9) {
                ++me.frame;
                m.close_in(4);
                if (me.frame == 9 && m.in_reach(0, -48, 5, 32)) m.try_hit(1, 2, BTL_ANY_HIT_COUNT);
            } else {
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, true, 0);
    }
}

// A bolt that flies to the opponent and strikes on arrival.
uint16_t cls01_move14(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 17}); [[fallthrough]];
        case 1:
            ++me.timer;
            m.pan_slow();
            if (me.timer > 4) {
                me.frame = 18;
                m.spawn(me.x + m.fwd(2), BTL_GROUND_Y, 19);
                btl_sound(SFX_SPIRIT_SHOT);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& b = m.fx(0);
            m.frame_loop(b, 19, 2);
            if (m.ahead(b.x, m.opp.x) > 4) {
                b.x = static_cast<int16_t>(b.x + m.fwd(3));
                m.opp.hit_count = 0;
            } else {
                m.hit(1, 2);
                btl_actor_hide(m.fx_id(0));
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        }
        default: return m.finish(3, true);
    }
}

// A flurry of six flinches, then a leap back with the one damaging hit.
uint16_t cls01_move15(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    m.companion_glide(210);
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.ground = true});
            me.stash_y = 60;
            return 0;
        case 1:
            if (m.walk_up(6, 3)) {
                m.trail(2, side);
                me.step = 2;
            }
            return 0;
        case 2:
            if (me.frame < 4) {
                ++me.frame;
            } else if (++me.timer >= 6) {
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        case 3:
            me.frame = static_cast<int16_t>(4 + me.timer % 6);
            if (me.timer % 3 == 2) m.flinch(6, SFX_BLOW);
            if (++me.timer == 18) {
                me.frame = 10;
                me.y = static_cast<int16_t>(me.y - me.stash_y);
                me.step = 4;
            }
            return 0;
        case 4:
            me.stash_y = static_cast<int16_t>(me.stash_y - 24);
            me.y = static_cast<int16_t>(std::min<int32_t>(me.y - me.stash_y, BTL_GROUND_Y));
            if (me.frame < 15) me.x = static_cast<int16_t>(me.x - m.fwd(2));
            ++me.frame;
            if (me.frame == 11) m.hit(2, 2);
            if (me.frame == 16) {
                m.trail_off();
                me.step = 5;
            }
            return 0;
        default: return m.finish(5, true, 0);
    }
}

void cls01_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls01_move12, cls01_move13, cls01_move14, cls01_move15};
    static constexpr ClassHandlerFacts facts = btl_facts_highest(BTL_COMMON_FACTS, 15);
    btl_common_handler(side, done, facts, moves);
}
