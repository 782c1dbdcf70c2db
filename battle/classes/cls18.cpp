// Class 18, the water elemental: a water ball and a water spout that lifts
// and spins the opponent (sheet 18B). Its moves leave the layers as they
// are; its shadow is never shown, but its fall keeps the pose the fall sets.
// Move choice: btl_choose_move_for_class, case 18 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// The water's own frame loop: base, base + 1, base + 2 by its timer.
void churn(BattleActor& e, int32_t base) {
    ++e.timer;
    e.frame = static_cast<int16_t>(base + e.timer % 3);
}

// The opening of both moves: the water `ahead` of the mover at row y.
void open(Move& m, int16_t y, int16_t frame) {
    m.open(BTL_SHEET_B, {.frame = 0});
    m.spawn(m.me.x + m.fwd(6), y, frame);
}

// The water swells for `frames` frames; then the mover casts it. True then.
bool swell(Move& m, int32_t base, int32_t frames, SoundEffect sound) {
    churn(m.fx(0), base);
    if (m.fx(0).timer <= frames) return false;
    m.me.frame = 1;
    btl_sound(sound);
    m.pan_slow();
    return true;
}

}  // namespace

// Move 12: the ball swells in front of the mover, drifts down to the
// opponent and bursts on it; one hit, no guards.
uint16_t cls18_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: open(m, 144, 2); [[fallthrough]];
        case 1:
            if (swell(m, 2, 6, SFX_WHOOSH)) me.step = 2;
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            churn(e, 2);
            if (m.gap(e) < 5) {
                e.timer = 0;
                m.hit(1, 1);
                me.step = 3;
            } else {
                e.y += 4;
                e.x += m.fwd(2);
                m.opp.hit_count = 0;
            }
            m.pan_slow();
            return 0;
        }
        case 3: {
            BattleActor& e = m.fx(0);
            // The burst: frames 5 and 6, then gone.
            if (m.frame_run(e, 5, 6, 2, false)) {
                btl_actor_hide(m.fx_id(0));
                me.step = 4;
            }
            m.pan_slow();
            return 0;
        }
        default: return m.finish(4, true);
    }
}

// Move 13: the spout reaches the opponent, lifts it 24 pixels and spins it
// for 13 frames, then strikes and sets it down facing the mover.
uint16_t cls18_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            open(m, 160, 8);
            btl_sound(SFX_INVOKE);
            [[fallthrough]];
        case 1:
            if (swell(m, 8, 12, SFX_LEAP)) me.step = 2;
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            churn(e, 8);
            e.y += 4;
            e.x += m.fwd(2);
            if (m.gap(e) < 2) {
                e.x = static_cast<int16_t>(m.opp.x + (side == 0 ? 2 : 0));
                e.y += 12;
                m.opp.y -= 24;
                e.timer = 0;
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        }
        case 3: {
            BattleActor& e = m.fx(0);
            churn(e, 8);
            const int32_t t = e.timer;
            e.x += t % 2 == 1 ? -2 : 2;
            if (e.frame == 9) btl_sound(SFX_SPOUT);
            m.opp.state = static_cast<int16_t>(4 - t % 2);
            m.opp.flags = static_cast<int16_t>(t % 4);
            g_btl_hit_phase[m.oside] = 1;
            if (t > 12) {
                e.timer = 0;
                m.opp.flags = static_cast<int16_t>(me.flags ^ 1);
                m.hit(1, 2, SFX_SPOUT);
                me.step = 4;
            }
            return 0;
        }
        case 4: {
            BattleActor& e = m.fx(0);
            if (m.frame_run(e, 11, 12, 2, false)) {
                m.opp.y = static_cast<int16_t>(m.opp.class_id == CLASS_FIRST_FORM ? 224 : BTL_GROUND_Y);
                btl_actor_hide(m.fx_id(0));
                me.step = 5;
            }
            m.pan_slow();
            return 0;
        }
        default: return m.finish(5, true);
    }
}

void cls18_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_one_pose(BTL_USUAL_FACTS, 0, POSE_KEEP, 13);
    static constexpr MoveTable moves = {cls18_move12, cls18_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
