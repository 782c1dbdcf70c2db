// Class 22, the monk: a recovery on its partner and a palm blast (sheet
// 22B).
// Move choice: btl_choose_move_for_class, case 22 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// The spirit's height: the hover curve by the mover's timer, and the bob.
void hover_spirit(const Move& m, BattleActor& e) {
    ++e.timer;
    e.y = static_cast<int16_t>(BTL_GROUND_Y - g_btl_hover_table[static_cast<size_t>(m.me.timer % 18)]);
    Move::bob(e);
}

}  // namespace

// Move 12: the recovery. A spirit floats to the partner, circles it seven
// times and gives the recovery; no damage message.
uint16_t cls22_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 8, .pose = 2}); [[fallthrough]];
        case 1:
            btl_msg_cast(side, 0);
            m.draw_from_sheet();
            if (++me.timer > 6) {
                me.frame = 8;
                m.send_to_partner(9, 1);
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            hover_spirit(m, e);
            if (m.float_to_partner(e)) me.step = 3;
            return 0;
        }
        case 3:
            hover_spirit(m, m.fx(0));
            btl_sound(SFX_SPARKLE);
            // Frames 9 and 10 in turn: in front of the partner, then behind.
            if (m.circle_partner([](BattleActor& e) { e.frame += e.layer == 2 ? 1 : -1; })) me.step = 4;
            return 0;
        default: return m.finish_quiet(4);
    }
}

// Move 13: the monk walks to within 8 columns, gathers for ten frames and
// blasts the opponent with its palm; one hit.
uint16_t cls22_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            me.stash_x = 0;
            me.stash_y = 999;
            [[fallthrough]];
        case 1:
            if (m.dist() >= 8) {
                me.frame = g_btl_walk_frames[static_cast<size_t>(me.timer % 4)];
                me.x += m.fwd(2);
            }
            if (m.dist() < 8 && me.stash_x == 0) {
                me.frame = 3;
                me.stash_y = me.timer;
                me.stash_x = 1;
                btl_sound(SFX_VANISH);
            }
            if (me.stash_x == 1 && me.timer > me.stash_y + 10) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.frame = 4;
                m.spawn(me.x + m.fwd(1), me.y, 5);
                me.step = 2;
            }
            ++me.timer;
            if (me.frame == 1 && g_btl_animated) btl_sound(SFX_FOOTSTEP);
            m.pan_slow();
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            ++e.frame;
            e.x += m.fwd(1);
            if (m.in_reach_of(m.fx_id(0), -2, -48, 4, 32)) m.try_hit(1, 2, 1);
            if (e.frame == 8) {
                btl_actor_hide(m.fx_id(0));
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        }
        default: return m.finish(3, true);
    }
}

void cls22_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_poses(BTL_USUAL_FACTS, 2, 2, 6, 13);
    static constexpr MoveTable moves = {cls22_move12, cls22_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
