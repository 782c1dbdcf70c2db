// Class 17, the fire elemental: it floats steadily at y 220 and casts a
// fireball or a row of fire pillars (sheet 17B); its shadow is never shown.
// Move choice: btl_choose_move_for_class, case 17 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

constexpr int32_t FLOAT_Y = BTL_GROUND_Y - 20;  // the held hover height g_btl_hover_table[8]

}  // namespace

// Move 12: the fireball drops from the mover's height toward the
// opponent's feet; one hit.
uint16_t cls17_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0});
            me.y = FLOAT_Y;
            m.spawn(me.x + m.fwd(3), 0, 5);
            m.trail(2, m.fx_id(0));
            [[fallthrough]];
        case 1: {
            BattleActor& e = m.fx(0);
            ++me.timer;
            if (me.timer == 7) btl_sound(SFX_WHOOSH);
            me.y += me.timer % 5 == 0 ? -1 : 1;
            if (me.timer < 6) me.frame = static_cast<int16_t>((me.timer / 2) % 3);
            if (me.timer == 6 || me.timer == 7) me.frame = 4;
            if (me.timer == 7) {
                e.y = me.y;
                e.stash_y = static_cast<int16_t>((32 - me.y + m.opp.y) * 2 / 38);
            }
            if (me.timer >= 8) {
                e.y += e.stash_y;
                e.x += m.fwd(2);
                e.frame = static_cast<int16_t>(e.frame < 9 ? e.timer / 2 + 5 : 9 + e.timer % 3);
                ++e.timer;
                m.pan_slow();
            }
            if (m.gap(e) < 3 && m.opp.hit_count == 0) m.hit(1, 1, SFX_SCORCH);
            if (btl_off_field(e, -5, 85)) {
                m.trail_off();
                me.step = 2;
            }
            return 0;
        }
        default: return m.finish(2, true);
    }
}

// Move 13: the mover drifts to within 12 columns and raises ten pillars
// around the opponent, each showing after its own delay; up to three hits
// with no position test.
uint16_t cls17_move13(int16_t side) {
    static constexpr int16_t DELAY[10] = {0, 1, 3, 2, 2, 0, 3, 2, 1, 0};
    constexpr int32_t PILLARS = 10;
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0});
            me.y = FLOAT_Y;
            m.opp.hit_count = 0;
            [[fallthrough]];
        case 1:
            ++me.timer;
            if (m.dist() > 12) {
                me.x += m.fwd(2);
                me.y += (me.timer / 5) % 2 == 1 ? -1 : 1;
                me.frame = static_cast<int16_t>((me.timer / 2) % 3);
            } else {
                me.frame = 3;
                if (me.timer > 20) {
                    me.timer = 0;
                    for (int32_t i = 0; i < PILLARS; ++i) m.spawn(m.opp.x + m.fwd(i - 2), 0, 12);
                    m.trail_off();
                    me.step = 2;
                }
            }
            if (me.timer == 15) btl_sound(SFX_INVOKE);
            m.pan_slow();
            return 0;
        case 2: {
            ++me.timer;
            for (int32_t i = 0; i < PILLARS; ++i) {
                BattleActor& p = m.fx(i);
                if (me.timer - 1 >= DELAY[i]) p.y = BTL_GROUND_Y;
                if (p.y == BTL_GROUND_Y && ++p.frame > 15) p.frame = 12;
            }
            // The phase ends before a fourth hit, or once the opponent is
            // beaten or driven far enough.
            const int32_t limit = side == 0 ? 58 : 20;
            if (m.opp.hit_count > 2 || !m.alive() || limit - m.opp.x > 10) {
                me.timer = 0;
                m.hide_effects(PILLARS);
                me.step = 3;
            } else if (me.timer > 3 && m.idle()) {
                m.hit(1 + me.timer % 2, 1);
            }
            if (me.timer % 4 == 0) btl_sound(SFX_WHOOSH);
            m.pan_slow();
            return 0;
        }
        default: return m.finish(3, true);
    }
}

void cls17_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_facts_one_pose(BTL_USUAL_FACTS, 0, 0, 13);
        f.stand = StandCall::HoverHeld;
        f.flags = HF_FALL_POSE_FIRST;
        return f;
    }();
    static constexpr MoveTable moves = {cls17_move12, cls17_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
