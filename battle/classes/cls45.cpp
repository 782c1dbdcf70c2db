// Class 45, the skeleton: a leaping slash that carries it off the field, and
// its bones flying apart at the opponent.
// Move choice: btl_choose_move_for_class, case 45 (battle/scene.cpp).
#include <cstdlib>

#include "battle/classes/classes_29_48.h"

namespace {
constexpr int32_t BONES = 6;
constexpr WalkStep RATTLE = {.count_first = true};
// Per bone: frame base, height (in steps of 8 pixels), column offset.
constexpr int16_t BONE_FRAME[BONES] = {13, 21, 21, 17, 25, 25};
constexpr int16_t BONE_HEIGHT[BONES] = {16, 8, 8, 4, 0, 0};
constexpr int16_t BONE_COL[BONES] = {2, -3, 2, 0, -1, 1};

// One step of an actor flying at the opponent: 2 forward, and s pixels
// toward the row 32 above the opponent's feet.
void fly_at(Move& m, BattleActor& a, bool bone) {
    const int32_t s = cls45_slope_step(a.x, a.y, m.opp.x, m.opp.y);
    a.x += m.fwd(2);
    const int32_t row = m.opp.y - 32;
    const bool below = bone ? a.y >= row : a.y > row;
    a.y += below ? -s : s;
}
}  // namespace

int32_t cls45_slope_step(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t dx = std::abs(x1 - x2);
    if (dx < 2 || y1 == y2) return 0;
    return std::abs(y1 - y2) / (dx / 2);
}

// Move 12: it rattles up, leaps and slashes through the opponent, and lands
// beyond the far edge, where it stays.
uint16_t cls45_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    uint16_t result = 0;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false, .frame = 0, .ground = true}); [[fallthrough]];
        case 1:
            m.walk_step(RATTLE);
            if (m.dist() < 23) {
                me.frame = 7;
                m.trail(1, side);
                me.y = 208;
                m.opp.hit_count = 0;
                btl_sound(SFX_BOLT);
                me.step = 2;
            }
            break;
        case 2:
            m.frame_loop(me, 7, 4);
            me.x += m.fwd(3);
            m.pan_slow();
            if (m.idle() && m.opp.hit_count < 1 && m.dist() < 4) m.hit(1, 2);
            if (m.past_far_edge(me, 5)) {
                me.timer = 0;
                m.trail_off();
                me.step = 3;
            }
            break;
        default: result = m.finish(3, false); break;
    }
    m.companion_glide(210);
    return result;
}

// Move 13: it falls apart; its six bones spring apart and fly at the
// opponent, each knocking it back a little, and the skull's strike follows;
// then it flies back together.
uint16_t cls45_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 11}); [[fallthrough]];
        case 1:
            ++me.timer;
            ++me.frame;
            me.timer = 0;
            btl_sound(SFX_INVOKE);
            me.step = 2;
            return 0;
        case 2:
            me.frame = 5;
            me.y = 160;
            m.companion(6);
            for (int32_t i = 0; i < BONES; ++i) {
                const int32_t col = side == 0 ? 20 + BONE_COL[i] : 60 - BONE_COL[i];
                const int32_t frame = BONE_FRAME[i] + (i == 0 ? 1 : i == 3 ? 2 : 0);
                BattleActor& b = m.spawn(col, BTL_GROUND_Y - 8 * BONE_HEIGHT[i], frame);
                if (i == 1 || i == 4) b.flags ^= 1;
            }
            me.step = 3;
            return 0;
        case 3: {
            const int32_t t = me.timer;
            me.frame = 5 + t % 2;
            if (t < 2) me.x -= m.fwd(1);
            me.y += t % 2 ? -2 : 2;
            for (int32_t i = 0; i < BONES; ++i) m.fx(i).frame = BONE_FRAME[i] + (t + (i == 2 || i == 5 ? 2 : 0)) % 4;
            if (t < 2) {
                m.fx(0).y -= 12;
                m.fx(0).x += m.fwd(1);
            }
            if (t < 1) {
                m.fx(1).y -= 12;
                m.fx(1).x -= m.fwd(1);
                m.fx(5).y += 24;
                m.fx(5).x += m.fwd(1);
            }
            if (t < 7) m.fx(2).x += m.fwd(1);
            if (t < 2) m.fx(4).x -= m.fwd(1);
            if (t > 7) {
                me.timer = 0;
                btl_sound(SFX_GUST);
                me.step = 4;
            }
            ++me.timer;
            return 0;
        }
        case 4:
            me.frame = 3 + me.timer % 2;
            fly_at(m, me, false);
            for (int32_t i = 0; i < BONES; ++i) {
                BattleActor& b = m.fx(i);
                fly_at(m, b, true);
                b.frame = BONE_FRAME[i];
                if (m.gap(b) < 2 && m.idle()) {
                    m.opp.recoil = 0;
                    m.flinch(5 + i % 2, SFX_BLOW);
                }
            }
            if (m.dist() < 2) {
                m.hit(1, 1);
                me.timer = 0;
                me.step = 5;
            }
            m.pan_slow();
            ++me.timer;
            return 0;
        case 5:
            me.timer = 0;
            me.step = 6;
            ++me.timer;
            m.pan_slow();
            return 0;
        case 6: {
            const int32_t t = me.timer;
            me.frame = 5 + t % 2;
            me.x += m.fwd(t / 3);
            me.y -= 8;
            for (int32_t i = 0; i < BONES; ++i) m.fx(i).x += m.fwd(t / 3);
            m.fx(0).y -= 16;
            m.fx(1).y -= 8;
            m.fx(2).x += m.fwd(1);
            m.fx(2).y -= 8;
            m.fx(4).y += 4;
            m.fx(5).y += 4;
            if (t > 7) {
                me.frame = 12;
                me.y = BTL_GROUND_Y;
                m.companion(1);
                m.hide_effects(BONES);
                me.step = 7;
            }
            ++me.timer;
            m.pan_slow();
            return 0;
        }
        case 7:
            me.frame = 11;
            m.pan_slow();
            m.cleanup_keep_busy(true);
            return 0;
        default: return m.end();
    }
}

void cls45_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls45_move12, cls45_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(2, 5, 7, 1);
    btl_common_handler(side, done, facts, moves);
}
