// Class 29, the imp: a swooping claw and a fire shot. It hovers where it
// stands.
// Move choice: btl_choose_move_for_class, case 29 (battle/scene.cpp).
#include "battle/classes/classes.h"

// Move 12: it swoops in along the hover curve and claws once.
uint16_t cls29_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    me.ground_y = BTL_GROUND_Y;
    m.companion_glide(BTL_ON_GROUND_Y);
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            me.y = BTL_GROUND_Y;
            me.stash_y = 48;
            [[fallthrough]];
        case 1:
            ++me.timer;
            me.x += m.fwd(2);
            me.y = BTL_GROUND_Y - g_btl_hover_table[static_cast<size_t>(me.timer % 18)];
            me.frame = (me.timer / 2) % 2;
            m.pan_slow();
            m.wing_beat();
            if (m.dist() < 20) me.frame = 2;
            if (m.dist() < 8) {
                me.frame = 3;
                me.timer = 0;
                m.opp.hit_count = 0;
                me.step = 2;
            }
            return 0;
        case 2:
            ++me.timer;
            m.pan_slow();
            if (me.timer > 7) {
                ++me.frame;
                if (m.dist() > 4) me.x += m.fwd(2);
                if (m.idle() && m.opp.hit_count < 1) {
                    m.hit(2, 2);
                    me.step = 3;
                }
            }
            return 0;
        case 3:
            ++me.frame;
            m.pan_slow();
            if (me.frame >= 5) me.step = 4;
            return 0;
        default: return m.finish(4, false);
    }
}

// Move 13: a fire shot flies from its claws; the opponent is knocked up.
uint16_t cls29_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 2});
            m.opp.hit_count = 0;
            [[fallthrough]];
        case 1:
            ++me.timer;
            m.pan_slow();
            if (me.timer > 4) {
                me.frame = 7;
                m.spawn(me.x + m.fwd(2), 208, 8);
                if (g_btl_animated) btl_sound(SFX_SPELL_RELEASE);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            e.x += m.fwd(3);
            m.frame_loop(e, 8, 4);
            m.pan_slow();
            if (m.gap(e) < 4 && m.opp.hit_count < 1 && m.idle()) {
                m.hit(1, 2);
                m.opp.stash_y = -24;
                e.timer = 0;
            }
            if (m.past_far_edge(e, 20)) {
                btl_actor_hide(m.fx_id(0));
                me.step = 3;
            }
            return 0;
        }
        case 3:
            m.pan_slow();
            m.cleanup_keep_busy(true);
            return 0;
        default: return m.end();
    }
}

void cls29_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls29_move12, cls29_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_monster_facts(POSE_KEEP, 5, 7, 2);
        f.stand = StandCall::Hover;
        f.frames = {{{0, 1}, {0, 2}, {0, 3}, {2, 2}, {3, 3}, {2, 2}, {2, 3}, {3, 6}, {6, 6}, {0, 0}}};
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
