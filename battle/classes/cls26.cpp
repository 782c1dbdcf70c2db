// Class 26, the baron: a blast and six orbiting wisps (sheet 26B).
// Move choice: btl_choose_move_for_class, case 26 (battle/scene.cpp).
#include <cstdlib>

#include "battle/classes/classes.h"

namespace {

constexpr int32_t WISPS = 6;

// The wisp orbit: rows in 16-pixel units by phase, and the columns and rows
// of the three pairs' centres.
constexpr int16_t ORBIT[12] = {0, -2, -3, -3, -3, -2, 0, 2, 3, 3, 3, 2};
constexpr int16_t PAIR_X[3] = {1, 3, 8};
constexpr int16_t PAIR_Y[3] = {0, -7, -3};

// A wisp's place on its orbit at phase n around its centre (stash_x, stash_y).
void orbit(const Move& m, BattleActor& w, int32_t n) {
    const int32_t k = n % 12;
    w.y = static_cast<int16_t>(w.stash_y + 16 * ORBIT[k]);
    w.x = static_cast<int16_t>(m.side == 0 ? w.stash_x - std::abs(6 - k) + 2 : w.stash_x + std::abs(6 - k) - 3);
}

}  // namespace

// Move 12: a charge glows before the mover, then the blast flies across the
// field; any number of hits.
uint16_t cls26_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0});
            me.stash_x = 0;
            m.spawn(me.x + m.fwd(3), 0, 3);
            m.spawn(me.x + m.fwd(3), 0, 10);
            btl_sound(SFX_INVOKE);
            [[fallthrough]];
        case 1: {
            BattleActor& glow = m.fx(0);
            m.frame_loop(me, 0, 2);
            if (me.timer >= 5) {
                glow.y = BTL_GROUND_Y;
                glow.frame = static_cast<int16_t>(3 + me.timer % 2);
            }
            if (me.timer == 12) {
                me.frame = 2;
                glow.frame = 5;
                glow.x += m.fwd(2);
                m.fx(1).x += m.fwd(2);
                me.timer = 0;
                btl_sound(SFX_BOLT);
                me.step = 2;
            }
            return 0;
        }
        case 2: {
            BattleActor& glow = m.fx(0);
            BattleActor& blast = m.fx(1);
            // The glow bursts (frames 5 to 8) and the mover's timer follows
            // it; the view runs after the blast.
            if (glow.frame < 9) {
                glow.frame = static_cast<int16_t>(glow.timer + 5);
                me.timer = glow.frame;
            } else {
                glow.y = 0;
            }
            if (glow.frame < 7) {
                ++glow.timer;
            } else if (me.stash_x > 9) {
                ++glow.timer;
                m.pan_fast();
            }
            if (me.timer > 6) {
                m.trail(2, m.fx_id(1));
                blast.x += m.fwd(4);
                blast.y = BTL_GROUND_Y;
                me.stash_x = blast.frame;
                if (blast.frame < 12) ++blast.frame;
                if (m.gap(blast) < 7 && m.idle() && m.alive()) m.hit(1 + m.opp.hit_count % 2, 1);
                if (btl_off_field(blast, -10, 90)) {
                    m.trail_off();
                    me.step = 3;
                }
            }
            return 0;
        }
        default: return m.finish(3, true, BTL_PAN_FAST);
    }
}

// Move 13: six wisps rise from below the field on their orbits, then
// circle forward across the opponent; each strikes at most once, up to
// three hits.
uint16_t cls26_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0, .sound = SFX_MONSTER_SPELL});
            me.stash_x = 0;
            for (int32_t i = 0; i < WISPS; ++i) {
                const int32_t p = i / 2;
                BattleActor& w =
                    m.spawn(me.x + m.fwd(PAIR_X[p] + 5), BTL_GROUND_Y + 16 * (PAIR_Y[p] + 11), i % 2 == 1 ? 13 : 17);
                w.stash_x = w.x;
                w.stash_y = w.y;
            }
            [[fallthrough]];
        case 1:
            m.frame_loop(me, 0, 2);
            if (me.timer >= 13) {
                for (int32_t i = 0; i < WISPS; ++i) {
                    BattleActor& w = m.fx(i);
                    if (me.stash_x == 0) w.stash_y -= 16;
                    orbit(m, w, me.timer + 4 * (i / 2) + (i % 2 == 1 ? 0 : 6));
                }
                // Counting starts once the last wisp's centre is higher on
                // the screen than row 192.
                if (m.fx(WISPS - 1).stash_y < 192) ++me.stash_x;
                if (me.stash_x >= 11) {
                    me.timer = 0;
                    me.frame = 2;
                    btl_sound(SFX_LEAP);
                    me.step = 2;
                }
            }
            return 0;
        case 2: {
            ++me.timer;
            for (int32_t i = 0; i < WISPS; ++i) {
                BattleActor& w = m.fx(i);
                const bool odd = i % 2 == 1;
                w.frame = static_cast<int16_t>((odd ? 13 : 17) + me.timer % 4);
                w.stash_x += m.fwd(2);
                if (w.timer == 0 && m.gap(w) < 2 && m.idle() && m.alive() && m.opp.hit_count < 3) {
                    m.hit(1 + m.opp.hit_count % 2, 1);
                    ++w.timer;
                }
                orbit(m, w, me.timer + 3 * (i / 2) + (odd ? 0 : 6));
            }
            if (btl_off_field(m.fx(WISPS - 1), -10, 90)) {
                me.timer = 0;
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        }
        default: return m.finish(3, true);
    }
}

void cls26_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 1, 5, 7, 13);
    static constexpr MoveTable moves = {cls26_move12, cls26_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
