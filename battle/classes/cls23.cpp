// Class 23, the tiamat: a dive from above the field and a fire breath with
// red flashes (sheet 23B). It floats with no shadow and no ground line
// after every call; state 4 also plays the hit reaction.
// Move choice: btl_choose_move_for_class, case 23 (battle/scene.cpp).
#include "battle/classes/classes.h"
#include "platform/input.h"
#include "platform/screen.h"

Palette16 g_btl_red_palette = {};

namespace {

constexpr int32_t FLAMES = 3;

// The wing beat of the dive (animated battle only).
void wing_beat(const BattleActor& me) {
    if (g_btl_animated && me.timer % 5 == 0) btl_sound(SFX_DRAGON_DIVE);
}

// The one-frame red flash of a flame's hit: the battle palette with every
// red component at 15; stash_y marks it for the next frame.
void red_flash(BattleActor& me) {
    g_btl_red_palette = g_btl_palette;
    for (auto& c : g_btl_red_palette.colour) c[2] = 15;
    gfx_set_palette16(&g_btl_red_palette);
    ++me.stash_y;
}

// Sets the battle palette back after a flash.
void end_flash(BattleActor& me) {
    if (me.stash_y == 0) return;
    me.stash_y = 0;
    gfx_set_palette16(&g_btl_palette);
}

}  // namespace

// Move 12: the tiamat rises out of sight, flies over the opponent and
// dives on it; the landing shakes the field and the blow strikes once.
uint16_t cls23_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            me.stash_y = -60;
            me.frame = 1;
            [[fallthrough]];
        case 1:
            wing_beat(me);
            ++me.timer;
            if (me.y > 0) {
                me.y += me.stash_y;
            } else {
                me.y = 0;
                me.x += m.fwd(4);
                m.pan_fast();
                if (m.dist() < 10) {
                    me.stash_y = 60;
                    me.step = 2;
                }
            }
            return 0;
        case 2:
            wing_beat(me);
            ++me.timer;
            me.y += me.stash_y;
            if (me.y >= BTL_GROUND_Y) {
                me.y = BTL_GROUND_Y;
                ++me.frame;
                me.timer = 0;
                btl_sound(SFX_CRASH);
                gfx_shake_start(8);
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        case 3:
            gfx_shake_step();
            if (++me.timer > 12) {
                g_btl_jolt = 0;
                gfx_shake_stop();
                me.step = 4;
            }
            return 0;
        case 4:
            if (me.frame < 4) ++me.frame;
            if (me.frame == 4) {
                if (m.idle() && m.opp.hit_count < 1) {
                    m.hit(1, 2, SFX_BLAST);
                    me.timer = 0;
                }
                if (m.idle()) me.step = 5;
            }
            return 0;
        default: return m.finish(5, false);
    }
}

// Move 13: three flames cross the field from 13 columns before the mover;
// each hit flashes the scene red for one frame. Up to three hits.
uint16_t cls23_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 5, .sound = SFX_MONSTER_SPELL}); return 0;
        case 1:
            if (++me.timer > 6) {
                me.frame = 6;
                me.timer = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            me.frame = 9;
            for (int32_t i = 0; i < FLAMES; ++i) m.spawn(me.x + m.fwd(13), BTL_GROUND_Y, 11);
            m.trail(2, m.fx_id(FLAMES - 1));
            m.opp.hit_count = 0;
            btl_sound(SFX_WHOOSH);
            me.step = 3;
            return 0;
        case 3: {
            const int32_t opp_x = m.opp.x;  // as it stands at the start of the frame
            m.frame_loop(me, 9, 2);
            m.pan_fast();
            end_flash(me);
            for (int32_t i = 0; i < FLAMES; ++i) {
                BattleActor& f = m.fx(i);
                f.frame = static_cast<int16_t>(11 + me.timer % 2);
                if (me.timer > i) f.x += m.fwd(4);
                if (m.ahead(opp_x, f.x) > 0 && m.idle() && m.alive() && m.opp.hit_count < 3) {
                    if (g_btl_animated) red_flash(me);
                    m.hit(1, 1);
                }
            }
            if (side == 0 ? m.fx(FLAMES - 1).x > 100 : m.fx(FLAMES - 1).x < -20) {
                me.timer = 0;
                m.trail_off();
                for (int32_t i = 0; i < FLAMES; ++i) btl_actor_hide(m.fx_id(i));
                m.release();
                me.step = 4;
            }
            return 0;
        }
        case 4:
            if (++me.timer > 3) {
                me.timer = 0;
                me.step = 5;
            }
            return 0;
        default: return m.finish(5, false);
    }
}

void cls23_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_facts_highest(BTL_USUAL_FACTS, 13);
        f.stand_ground_y = -1;
        f.flags = HF_STATE4_HITS | HF_POSE0_GROUND0;
        return f;
    }();
    static constexpr MoveTable moves = {cls23_move12, cls23_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
