// Class 40, the mummy: a bandage lash, and a coffin that the opponent is
// dragged into and squeezed in.
// Move choice: btl_choose_move_for_class, case 40 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {
constexpr WalkStep SHAMBLE = {.count_first = true};
}  // namespace

// Move 12: it shambles up and lashes once as it arrives.
uint16_t cls40_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
            if (m.approach(6, 3, SHAMBLE)) m.hit(1, 2);
            return 0;
        case 2:
            ++me.timer;
            me.frame = 4;
            m.pan_slow();
            if (me.timer >= 9) {
                me.frame = 3;
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        case 3:
            m.free_sheet();
            me.slot = me.saved_slot;
            btl_actor_next_frame(side);
            if (m.idle()) {
                btl_msg_damage(m.oside);
                m.busy(false);
                me.step = 4;
            }
            m.pan_slow();
            return 0;
        default: return m.end();
    }
}

// Move 13: bandages seize the opponent and drag it into the coffin, which
// rocks while it squeezes and then throws it out. E0 the coffin, E1 the
// bandage's root, E2 its tip.
uint16_t cls40_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    me.layer = 2;
    opp.layer = 1;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 5});
            m.spawn(me.x, me.y, 14).layer = 2;
            [[fallthrough]];
        case 1:
            m.spawn(me.x + m.fwd(20), BTL_GROUND_Y, 15);
            m.spawn(me.x + m.fwd(5), BTL_GROUND_Y, 12);
            btl_sound(SFX_VANISH);
            me.step = 2;
            return 0;
        case 2:
            if (m.reach_out(m.fx(1), m.fx(2), 3, 3, 13)) me.step = 3;
            return 0;
        case 3:
            if (m.draw_back(m.fx(1), m.fx(2), 3, 15)) {
                btl_actor_hide(m.fx_id(1));
                btl_actor_hide(m.fx_id(2));
                m.fx(0).y += 160;
                me.frame = 6;
                opp.ground_y = 0;
                opp.y = 399;  // inside the coffin, out of sight
                me.step = 4;
            }
            return 0;
        case 4: {
            ++me.timer;
            if (me.timer == 4) {
                me.frame = 8;
                me.x += 1;
                btl_sound(SFX_SQUEEZE);
            } else if (me.timer > 4) {
                // The coffin rocks one way for four frames, then back.
                const int32_t u = me.timer - 4;
                if ((u / 4) % 2 == 0) {
                    me.frame = 7 + u % 4;
                    me.x += 1;
                } else {
                    me.frame = 11 - u % 4;
                    me.x -= 1;
                }
            }
            // The last rock (a step forward) brings the mummy onto the
            // coffin's new column as the coffin throws the opponent out.
            if (me.timer > 27) {
                me.timer = 0;
                me.frame = 5;
                m.fx(0).x += 1;
                m.fx(0).y = BTL_GROUND_Y;
                opp.y = opp.ground_y = BTL_GROUND_Y;
                m.hit(2, 2, SFX_COFFIN_BURST);
                me.step = 5;
            }
            return 0;
        }
        case 5:
            ++me.timer;
            if (m.idle() && me.timer > 8) {
                me.timer = 0;
                m.busy(false);
                me.step = 6;
            }
            return 0;
        default:
            m.free_sheet();
            me.slot = me.saved_slot;
            btl_actor_next_frame(side);
            m.hide_and_release();
            return m.end();
    }
}

void cls40_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls40_move12, cls40_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(1, 5, 7, 1);
    btl_common_handler(side, done, facts, moves);
}
