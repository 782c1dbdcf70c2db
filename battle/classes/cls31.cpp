// Class 31, the vampire: a bat dive that lifts the opponent and drops it,
// and a swarm of bats. It casts no shadow.
// Move choice: btl_choose_move_for_class, case 31 (battle/scene.cpp).
#include <cmath>

#include "battle/classes/classes.h"

namespace {
constexpr int32_t BATS = 3;
constexpr double PI = 3.14159265358979323846;

// The frame of its bat form: 3, 2, 3, 2 ... then down from 2 to below 0.
int32_t bat_frame(int32_t timer) { return timer > 8 ? 11 - timer : 3 - timer % 2; }

// Each bat rides its own sine wave around row 216.
void bats_wave(Move& m) {
    for (int32_t i = 0; i < BATS; ++i) {
        const int32_t a = (m.me.timer * 60 * (i + 1)) % 360;
        m.fx(i).y = 216 + static_cast<int32_t>(32.0 * std::sin(a * PI / 180.0));
    }
}

// One frame of a bat's flight: its wing beat and `cells` forward.
void bat_fly(Move& m, int32_t i, int32_t cells) {
    BattleActor& b = m.fx(i);
    ++b.timer;
    b.frame = 9 + (b.timer + i) % 2;
    b.x += m.fwd(cells);
}
}  // namespace

// Move 12: it turns into bats, flies at the opponent, lifts it out of the
// picture and drops it on its head.
uint16_t cls31_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 0, .sound = SFX_INVOKE}); [[fallthrough]];
        case 1:
            ++me.timer;
            me.frame = me.timer > 8 ? me.timer - 8 : me.timer % 2;
            if (me.frame > 3) {
                me.y = 0;
                me.timer = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.timer;
            me.x += m.fwd(2);
            m.pan_slow();
            if (m.dist() < 6) {
                me.timer = 0;
                me.y = BTL_GROUND_Y;
                me.frame = 3;
                btl_sound(SFX_VANISH);
                me.step = 3;
            }
            return 0;
        case 3:
            ++me.timer;
            me.frame = bat_frame(me.timer);
            m.close_in(4);
            m.pan_slow();
            if (me.frame < 0) {
                me.frame = 4;
                me.timer = 0;
                me.step = 4;
            }
            return 0;
        case 4:
            if (++me.frame > 7) {
                opp.stash_y = -30;
                me.y -= 30;
                me.frame = 7;
                opp.y += opp.stash_y;
                opp.state = 3;
                btl_sound(SFX_LEAP);
                me.step = 5;
            }
            return 0;
        case 5:
            me.y -= 30;
            opp.y += opp.stash_y;
            if (opp.y < 0) {
                // Out of the top: it comes down head first a little farther on.
                opp.stash_y = 45;
                opp.x += m.fwd(2);
                opp.flags |= 2;
            }
            if (opp.y >= BTL_GROUND_Y) {
                opp.y = BTL_GROUND_Y;
                if (opp.hit_count == 0) {
                    opp.flags &= ~2;
                    m.hit(2, 2);
                }
            }
            if (opp.hit_count != 0 && m.idle()) {
                me.x -= m.fwd(4);
                me.y = BTL_GROUND_Y;
                me.frame = 3;
                btl_sound(SFX_VANISH);
                me.step = 6;
            }
            return 0;
        case 6:
            ++me.timer;
            me.frame = bat_frame(me.timer);
            if (me.frame <= 0) {
                me.timer = 0;
                me.step = 7;
            }
            return 0;
        default: return m.finish(7, false);
    }
}

// Move 13: three bats peck the opponent six times, then strike.
uint16_t cls31_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 8});
            for (int32_t i = 0; i < BATS; ++i) m.spawn(side == 0 ? 2 * i : 80 - 2 * i, 0, 9 + i % 2);
            m.opp.hit_count = 0;
            [[fallthrough]];
        case 1: {
            ++me.timer;
            if (me.timer % 2 == 0) btl_sound(SFX_SWARM);
            for (int32_t i = 0; i < BATS; ++i) bat_fly(m, i, 2);
            const BattleActor& last = m.fx(BATS - 1);
            if (me.x - m.opp.x > last.x - m.opp.x) m.pan_slow();
            if (m.gap(last) < 3) {
                ++me.timer;
                me.step = 2;
            }
            bats_wave(m);
            return 0;
        }
        case 2:
            ++me.timer;
            m.pan_slow();
            for (int32_t i = 0; i < BATS; ++i) bat_fly(m, i, m.gap(m.fx(i)) > 1 ? 1 : 0);
            if (m.idle() && m.opp.hit_count < 6) {
                m.flinch(5 + m.opp.hit_count % 2, SFX_BLOW);
            } else if (m.idle() && m.opp.hit_count == 6) {
                m.hit(2, 2);
                me.timer = 0;
                me.step = 3;
            }
            bats_wave(m);
            return 0;
        case 3:
            ++me.timer;
            if (me.timer % 2 == 0) btl_sound(SFX_SWARM);
            for (int32_t i = 0; i < BATS; ++i) bat_fly(m, i, 2);
            if (m.past_far_edge(m.fx(BATS - 1), 20)) {
                me.timer = 0;
                m.hide_and_release(6);
                me.step = 4;
            } else {
                bats_wave(m);
            }
            return 0;
        case 4:
            if (m.idle()) {
                btl_msg_damage(m.oside);
                m.busy(false);
                me.slot = me.saved_slot;
                btl_actor_next_frame(side);
                me.step = 5;
            }
            return 0;
        default:
            m.release();
            m.free_sheet();
            return m.end();
    }
}

void cls31_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls31_move12, cls31_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_monster_facts(POSE_KEEP, 5, 7, POSE_KEEP);
        f.stand_ground_y = -1;
        f.flags = HF_POSE0_GROUND0;
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
