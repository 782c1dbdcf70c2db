// Class 24, the manticore: a tail spike and a sweeping swarm (sheet 24B);
// the move choice draws one of the two at random.
// Move choice: btl_choose_move_for_class, case 24 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

constexpr int32_t SWARM = 5;

}  // namespace

// Move 12: the tail flicks a spike across the field; up to two hits.
uint16_t cls24_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.ground = true, .pose = 2}); [[fallthrough]];
        case 1:
            me.frame = static_cast<int16_t>(me.timer < 6 ? 5 + me.timer % 2 : me.timer + 1);
            if (me.frame == 11) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.frame = 5;
                m.spawn(me.x + m.fwd(4), me.y, 11);
                m.trail(2, m.fx_id(0));
                btl_sound(SFX_CONJURE);
                me.step = 2;
            }
            ++me.timer;
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            e.x += m.fwd(4);
            if (m.gap(e) < 7) m.try_hit(2, 2, 2);
            if (btl_off_field(e, -5, 85)) {
                m.trail_off();
                m.release();
                me.step = 3;
            }
            m.pan_fast();
            return 0;
        }
        default: return m.finish(3, false);
    }
}

// Move 13: five shapes sweep in from behind the mover, closing in from
// above and below once within 20 columns of the opponent; any number of
// hits.
uint16_t cls24_move13(int16_t side) {
    static constexpr int16_t BEHIND[SWARM] = {20, 30, 40, 40, 70};
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 0, .ground = true, .pose = 2, .sound = SFX_SWARM}); return 0;
        case 1:
            ++me.timer;
            me.frame = static_cast<int16_t>(me.timer < 9 ? me.timer % 3 : me.timer - 6);
            if (me.frame == 4) {
                me.timer = 0;
                m.opp.hit_count = 0;
                for (int32_t i = 0; i < SWARM; ++i) {
                    const int32_t y = i == SWARM - 1 ? BTL_GROUND_Y : i % 2 == 0 ? 140 : 340;
                    m.spawn(me.x - m.fwd(BEHIND[i]), y, i == SWARM - 1 ? 13 : 12);
                }
                m.trail(1, m.fx_id(SWARM - 1));
                btl_sound(SFX_WAIL);
                me.step = 2;
            }
            return 0;
        case 2: {
            for (int32_t i = 0; i < SWARM; ++i) {
                BattleActor& s = m.fx(i);
                s.x += m.fwd(4);
                if (i < SWARM - 1 && m.gap(s) < 20) s.y += i % 2 == 0 ? 20 : -20;
                if (m.idle() && m.hitbox(m.fx_id(i), -7, -96, -4, -64)) m.hit(2, 1);
            }
            // The last shape starts outside the field behind the mover: the
            // sweep ends when it is past the far edge.
            const BattleActor& last = m.fx(SWARM - 1);
            if (side == 0 ? last.x > 85 : last.x < -5) {
                m.trail_off();
                me.step = 3;
            }
            m.pan_fast();
            return 0;
        }
        default: return m.finish(3, true);
    }
}

void cls24_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 2, 2, 6, 13);
    static constexpr MoveTable moves = {cls24_move12, cls24_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
