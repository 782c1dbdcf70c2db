// Class 13, the wizard: a bolt volley, a falling shower, and a summoned
// walker followed by a blaze. All three moves draw from sheet 13B and give
// recoil 1.
// Move choice: btl_choose_move_for_class, case 13 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

constexpr int32_t RECOIL = 1;

// The mover's frame while it casts a volley: 2, then 3 for good.
void casting_frame(Move& m) { m.me.frame = static_cast<int16_t>(m.me.timer + 2 < 3 ? m.me.timer + 2 : 3); }

// Somewhere around the opponent's kept column for a piece of the blaze.
void blaze_spot(Move& m, BattleActor& e) {
    e.x = static_cast<int16_t>(m.opp.stash_x + btl_random(6) - 3);
    e.y = static_cast<int16_t>(m.opp.y - 16 * btl_random(5));
}

}  // namespace

// Move 12: thirteen bolts, one more each frame; bolts 2, 6 and 10 strike.
uint16_t cls13_move12(int16_t side) {
    Move m(side);
    constexpr int32_t BOLTS = 13;
    switch (m.me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 2, .sound = SFX_BOLT});
            for (int32_t i = 0; i < BOLTS; ++i) m.spawn(m.me.x + m.fwd(3), 0, 29 - std::abs(i % 4 - 2));
            [[fallthrough]];
        case 1:
            casting_frame(m);
            if (m.me.frame == 3) {
                for (int32_t i = 0; i < BOLTS && i < m.me.timer; ++i) {
                    BattleActor& b = m.fx(i);
                    b.x = static_cast<int16_t>(b.x + m.fwd(6));
                    b.y = 256;
                    static constexpr int16_t reaction[3] = {6, 5, 2};
                    if (b.frame == 29 && m.gap(b) < 3 && m.opp.hit_count < 3)
                        m.try_hit(reaction[m.opp.hit_count], RECOIL, 3, SFX_BOLT);
                }
            }
            if (m.fx(BOLTS - 1).x > 85 || m.fx(BOLTS - 1).x < -5) m.me.step = 2;
            ++m.me.timer;
            m.pan_fast();
            return 0;
        default: return m.finish(2, true);
    }
}

// Move 13: twenty pieces rain down on the opponent from the ninth frame.
uint16_t cls13_move13(int16_t side) {
    Move m(side);
    constexpr int32_t PIECES = 20;
    switch (m.me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 2, .sound = SFX_CAST});
            for (int32_t i = 0; i < PIECES; ++i) {
                const int32_t y = -32 * btl_random(10);
                BattleActor& p = m.spawn(m.me.x + m.fwd(2 * i + 8), y, (i % 2 == 0 ? 10 : 7) + i % 3);
                p.timer = static_cast<int16_t>(btl_random(3));
            }
            [[fallthrough]];
        case 1:
            casting_frame(m);
            if (m.me.timer == 9) btl_sound(SFX_SPELL_RELEASE);
            if (m.me.timer < 9) m.pan_fast();
            if (m.me.timer >= 9) {
                for (int32_t i = 0; i < PIECES; ++i) {
                    BattleActor& p = m.fx(i);
                    p.frame = static_cast<int16_t>((i % 2 == 0 ? 10 : 7) + p.timer % 3);
                    p.x = static_cast<int16_t>(p.x + m.fwd(2));
                    p.y = static_cast<int16_t>(p.y + 32);
                    ++p.timer;
                    if (m.in_reach_of(m.fx_id(i), 0, -64, 8, 32) && m.opp.hit_count < 3)
                        m.try_hit(1 + m.opp.hit_count % 2, RECOIL, 3);
                }
            }
            if (m.me.timer > 36) m.me.step = 2;
            ++m.me.timer;
            return 0;
        default: return m.finish(2, true, 0);
    }
}

// Move 14: the walker crosses the field, then a blaze burns around the
// opponent with one unguarded hit. Effects: E0 the walker, E1 and E2 the
// flames at the opponent's sides, E3 the flame on it.
uint16_t cls13_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
            if (me.step == 0) {
                m.open(BTL_SHEET_B, {.frame = 0, .sound = SFX_INVOKE});
                m.spawn(side == 0 ? -4 : 84, BTL_GROUND_Y, 13);
                m.spawn(m.opp.x + m.dir, 0, 17).flags = static_cast<int16_t>(me.flags ^ 1);
                m.spawn(m.opp.x - m.dir, 0, 18).flags = static_cast<int16_t>(me.flags ^ 1);
                m.spawn(m.opp.x, 0, 19);
            }
            // Casting: 1, 0, 1, 0, 1, 0, 1, 0, 1, 4, 4, 5, 5, 6, 6, and the
            // walk starts on the sixteenth frame.
            ++me.timer;
            me.frame = static_cast<int16_t>(me.timer < 10 ? me.timer % 2 : (me.timer % 10) / 2 + 4);
            if (me.frame <= 6) return 0;
            me.frame = 6;
            me.timer = 0;
            me.step = 2;
            [[fallthrough]];
        case 2: {
            ++me.timer;
            BattleActor& walker = m.fx(0);
            if (walker.x != -10) {
                walker.frame = static_cast<int16_t>(13 + g_btl_walk_frames[static_cast<size_t>(me.timer & 3)]);
                if (g_btl_animated && walker.frame == 14)
                    btl_sound(g_btl_backdrop_kind == BTL_WATER ? SFX_FOOTSTEP_WATER : SFX_DRUM);
                walker.x = static_cast<int16_t>(walker.x + m.fwd(2));
                if (m.ahead(side == 0 ? 58 : 20, walker.x) >= 0) {
                    me.timer = 0;
                    walker.x = -10;
                    walker.y = 0;
                    for (int32_t i = 1; i <= 3; ++i) m.fx(i).y = BTL_GROUND_Y;
                }
            } else {
                if (me.timer > 5) {
                    me.timer = 0;
                    m.fx(1).flags = m.fx(2).flags = me.flags;
                    me.step = 3;
                }
                m.pan_slow();
            }
            if (m.ahead(me.x + m.fwd(5), walker.x) > 0) m.pan_slow();
            return 0;
        }
        case 3:
            ++me.timer;
            for (int32_t i = 1; i <= 2; ++i) {
                BattleActor& e = m.fx(i);
                e.frame = static_cast<int16_t>(16 + (me.timer + i) % 3);
                e.x = static_cast<int16_t>(e.x - m.fwd(2));
            }
            m.fx(3).frame = static_cast<int16_t>(19 + me.timer % 3);
            if (me.timer > 10) {
                m.opp.stash_x = m.opp.x;
                BattleActor& e0 = m.fx(0);
                e0.y = BTL_GROUND_Y;
                e0.x = m.opp.x;
                e0.frame = 22;
                for (int32_t i = 1; i <= 3; ++i) {
                    m.fx(i).frame = 22;
                    m.fx(i).y = 0;
                }
                me.timer = 0;
                me.step = 4;
            }
            m.pan_slow();
            return 0;
        case 4:
            for (int32_t i = 1; i <= 3; ++i) {
                BattleActor& e = m.fx(i);
                e.frame = static_cast<int16_t>(22 + i);
                blaze_spot(m, e);
            }
            m.pan_slow();
            me.step = 5;
            return 0;
        case 5:
            m.pan_slow();
            for (int32_t i = 0; i <= 3; ++i) {
                BattleActor& e = m.fx(i);
                if (++e.frame > 26) {
                    blaze_spot(m, e);
                    e.frame = 22;
                }
            }
            ++me.timer;
            if (me.timer == 1) m.hit(1, RECOIL, SFX_SHOCK);
            if (me.timer > 10) {
                m.hide_and_release();
                me.step = 6;
            }
            return 0;
        default: return m.finish(6, false, 0);
    }
}

void cls13_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls13_move12, cls13_move13, cls13_move14, nullptr};
    btl_common_handler(side, done, BTL_COMMON_FACTS, moves);
}
