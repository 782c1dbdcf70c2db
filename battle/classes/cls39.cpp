// Class 39, the dullahan: a sword cut, and its own head thrown at the
// opponent; the body then floats to where the head came to rest.
// Move choice: btl_choose_move_for_class, case 39 (battle/scene.cpp).
#include "battle/classes/classes.h"

// Move 12: it walks up and cuts once.
uint16_t cls39_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(8, 3); return 0;
        case 2:
            if (m.swing(4, 5, 1, 2)) me.step = 3;
            return 0;
        default: return m.finish(3, false);
    }
}

// Move 13: the thrown head arcs onto the opponent, bounces back and hovers;
// the body takes its place. The move leaves the fighter in state 13: every
// later call repeats its last step and reports done.
uint16_t cls39_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 6}); return 0;
        case 1:
            ++me.timer;
            m.pan_slow();
            if (me.timer > 3) {
                BattleActor& head = m.spawn(me.x + m.fwd(3), 176, 9);
                head.stash_y = -20;
                me.frame = 7;
                me.timer = 0;
                m.opp.hit_count = 0;
                btl_sound(SFX_SPOUT);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& head = m.fx(0);
            ++head.timer;
            head.y += head.stash_y;
            head.stash_y += 4;
            head.x += m.fwd(3);
            head.frame = 9 + head.timer % 4;
            m.pan_slow();
            if (m.gap(head) < 2 && m.opp.hit_count == 0 && m.idle() && m.alive()) {
                m.hit(1, 2);
                head.frame = 13;
                head.stash_x = head.x;
                head.stash_y = 0;
                head.timer = 0;
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            BattleActor& head = m.fx(0);
            ++head.timer;
            head.frame = 13 + g_btl_walk_frames[static_cast<size_t>((head.timer / 3) % 3)];
            head.x -= m.fwd(1);
            m.pan_slow();
            if (std::abs(head.x - head.stash_x) > 4) {
                head.y += 5;
                me.timer = 0;
                me.stash_x = 0;
                me.step = 4;
            }
            return 0;
        }
        case 4: {
            BattleActor& head = m.fx(0);
            ++me.timer;
            ++me.stash_x;
            head.frame = 13 + g_btl_walk_frames[static_cast<size_t>((me.timer / 3) % 3)];
            head.x -= m.fwd(1);
            head.y = BTL_GROUND_Y - g_btl_hover_table[static_cast<size_t>(me.timer % 18)];
            if (m.idle() && me.stash_x >= 25) {
                btl_msg_damage(m.oside);
                m.busy(false);
                m.companion(0);
                me.slot = me.saved_slot;
                me.x = head.x;
                me.y = head.y;
                me.step = 5;
            }
            return 0;
        }
        default:
            m.release();
            m.walk_frame(6);
            m.free_sheet();
            btl_actor_hover(side);
            ++me.timer;
            btl_msg_damage(m.oside);
            m.busy(false);
            return 1;
    }
}

void cls39_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls39_move12, cls39_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(1, 5, 7, 2);
    btl_common_handler(side, done, facts, moves);
}
