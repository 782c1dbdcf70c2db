// Class 42, the wyvern: a tail strike and a fireball. It hovers where it
// stands.
// Move choice: btl_choose_move_for_class, case 42 (battle/scene.cpp).
#include "battle/classes/classes.h"
#include "platform/palette.h"

// Move 12: it glides in, strikes with its tail and backs off.
uint16_t cls42_move12(int16_t side) {
    Move m(side);
    m.hovers = true;
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 0, .ground = true});
            if (g_btl_animated) btl_sound(SFX_POWER);
            [[fallthrough]];
        case 1:
            me.x += m.fwd(2);
            if (me.frame < 2) ++me.frame;
            m.pan_slow();
            if (m.dist() < 8) {
                m.opp.hit_count = 0;
                me.frame = 3;
                me.step = 2;
            }
            return 0;
        case 2:
            // The opponent's hit count was cleared on arrival: the swing's
            // guard is only that it is not reacting.
            if (m.swing(4, 6, 1, 2)) me.step = 3;
            return 0;
        case 3:
            me.x -= m.fwd(1);
            if (++me.timer > 4) me.step = 4;
            return 0;
        default: return m.finish(4, false);
    }
}

// Move 13: it breathes a fireball across the field.
uint16_t cls42_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 5, .ground = true}); [[fallthrough]];
        case 1:
            m.frame_loop(me, 5, 2, 2);
            if (g_btl_animated && me.timer % 2 == 1) btl_sound(SFX_WHOOSH);
            if (me.timer > 8) {
                me.frame = 6;
                m.spawn(me.x + m.fwd(2), BTL_GROUND_Y, 7);
                btl_sound(SFX_SPELL_RELEASE);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            m.frame_loop(e, 7, 3);
            e.x += m.fwd(4);
            m.pan_fast();
            if (m.gap(e) < 4 && m.opp.hit_count < 2 && m.idle()) m.hit(1, 2);
            if (m.past_far_edge(e, 5)) me.step = 3;
            return 0;
        }
        case 3:
            m.pan_fast();
            if (m.cleanup(false)) m.release();
            return 0;
        default:
            if (g_btl_animated) gfx_set_palette16(&g_btl_palette);
            return m.end();
    }
}

void cls42_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls42_move12, cls42_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_monster_facts(6, 6, 6, 8);
        f.stand = StandCall::Hover;
        f.frames = {{{0, 3}, {0, 4}, {0, 5}, {4, 4}, {5, 5}, {4, 4}, {4, 5}, {5, 7}, {7, 7}, {0, 0}}};
        f.flags = HF_STATE4_HITS;
        return f;
    }();
    btl_common_handler(side, done, facts, moves);
}
