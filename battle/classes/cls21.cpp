// Class 21, the warlock: a summoned fiend that hops to the opponent and
// leaps on it, and a rain of twelve blades (sheet 21B).
// Move choice: btl_choose_move_for_class, case 21 (battle/scene.cpp).
#include <cstdlib>

#include "battle/classes/classes.h"

namespace {

constexpr int32_t BLADES = 12;

}  // namespace

// Move 12: the fiend swings in its circle three times, hops up to the
// opponent and leaps on it; one hit at its frame 19.
uint16_t cls21_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 2, .ground = true, .pose = 2});
            me.stash_y = 1;  // the fiend's swing
            m.opp.hit_count = 0;
            m.spawn(me.x + m.fwd(4), me.y, 13);
            btl_sound(SFX_VANISH);
            [[fallthrough]];
        case 1: {
            BattleActor& e = m.fx(0);
            e.frame += me.stash_y;
            if (e.frame == 13) me.stash_y = 1;
            if (e.frame == 16) {
                me.stash_y = -1;
                ++me.timer;
            }
            if (me.timer > 2) {
                me.timer = 0;
                e.frame = 17;
                me.frame = 3;
                me.stash_y = 0;
                m.pan_slow();
                me.step = 2;
            }
            return 0;
        }
        case 2: {
            BattleActor& e = m.fx(0);
            ++e.timer;
            e.x += m.fwd(2);
            e.y = static_cast<int16_t>(BTL_GROUND_Y + 8 * g_btl_walk_frames[static_cast<size_t>(e.timer % 4)]);
            m.pan_slow();
            if (m.gap(e) < 8) {
                e.timer = 0;
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            BattleActor& e = m.fx(0);
            if (++e.timer > 5) {
                e.timer = 0;
                m.trail(2, m.fx_id(0));
                me.step = 4;
            }
            m.pan_slow();
            return 0;
        }
        case 4: {
            BattleActor& e = m.fx(0);
            ++e.frame;
            m.pan_slow();
            if (e.frame == 19 && m.idle()) m.hit(2, 0, SFX_LEAP);
            if (e.frame < 21) {
                e.x += m.fwd(4);
            } else {
                e.frame = 20;
                if (++e.timer > 4) {
                    e.timer = 0;
                    m.trail_off();
                    me.step = 5;
                }
            }
            return 0;
        }
        case 5: {
            BattleActor& e = m.fx(0);
            if (++e.frame > 23) {
                e.frame = 23;
                m.release();
                me.step = 6;
            }
            return 0;
        }
        default: return m.finish(6, false);
    }
}

// Move 13: a focus runs to the opponent and twelve blades rain across it
// from both sides, starting again while fewer than twelve have fallen; up
// to five hits, the reactions 1, 2, 1, 2, 1 by a toggle.
uint16_t cls21_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            me.stash_x = me.x;  // the focus
            me.frame = 0;
            me.ground_y = BTL_GROUND_Y;
            btl_sound(SFX_BOLT);
            [[fallthrough]];
        case 1:
            m.draw_from_sheet();
            ++me.timer;
            if (me.timer == 6) me.frame = 1;
            if (me.timer >= 13 && std::abs(m.opp.x - me.stash_x) < 4) {
                // Odd blades start on the mover's side of the opponent and
                // cross forward, even ones on the far side and cross back;
                // by position in each group of three their base frames are
                // 4, 7 and 10.
                for (int32_t i = 0; i < BLADES; ++i) {
                    const bool odd = i % 2 == 1;
                    const int32_t d = 10 + 3 * (i % 4);
                    const int16_t base = static_cast<int16_t>(4 + 3 * ((i / 2) % 3));
                    BattleActor& b = m.spawn(m.opp.x + m.fwd(odd ? -d : d), 0, base);
                    b.stash_x = static_cast<int16_t>(i);
                    b.stash_y = base;
                    b.flags = static_cast<int16_t>(odd == (side == 0) ? 1 : 0);
                }
                me.timer = 0;
                me.stash_x = 0;  // now the toggle of the reaction states
                btl_sound(SFX_POWER);
                me.step = 2;
            }
            if (me.timer >= 12) {
                me.stash_x += m.fwd(4);
                m.pan_fast();
            }
            return 0;
        case 2: {
            // Odd blades cross forward, even ones back; each cycles through
            // its three frames from its base (kept in its stash_y).
            static constexpr Rain rain = {BLADES, 12, 45, 30, 1, 5, SFX_POWER};
            const int32_t start = me.timer;
            const auto drift = [&m](int32_t i) { return m.fwd(i % 2 == 1 ? 4 : -4); };
            const auto again = [&m](int32_t i, BattleActor& b) {
                b.x = static_cast<int16_t>(m.opp.x + m.fwd(i % 2 == 1 ? -14 : 10));
                return true;
            };
            const auto each = [start](int32_t i, BattleActor& b) {
                if (i == start) b.stash_x = 999;
                if (++b.frame > b.stash_y + 2) b.frame = b.stash_y;
            };
            if (m.rain(rain, drift, again, each)) me.step = 3;
            return 0;
        }
        case 3:
            m.release();
            m.trail_off();
            me.step = 4;
            return 0;
        default: return m.finish(4, false);
    }
}

void cls21_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 2, 2, 6, 13);
    static constexpr MoveTable moves = {cls21_move12, cls21_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
