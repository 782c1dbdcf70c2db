// Class 3, the lord: a strike after a walk-up, a jump strike, and the charged
// jump that lands with a shock wave. Every move draws from sheet 3B from its
// set-up on.
// Move choice: btl_choose_move_for_class, case 3 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// One frame of a jump: 2 cells forward while more than 4 apart, the fall of
// stash_y (16 px a frame more each frame), the shadow by height against
// `line`; past the ground line it lands: the next frame, shadow pose 1,
// y 240. True in a frame it lands.
bool flight(Move& m, int32_t line) {
    BattleActor& me = m.me;
    if (m.dist() > 4) me.x = static_cast<int16_t>(me.x + m.fwd(2));
    me.y = static_cast<int16_t>(me.y + me.stash_y);
    me.stash_y = static_cast<int16_t>(me.stash_y + 16);
    m.companion_by_height(5, 7, line);
    m.pan_slow();
    if (me.y <= BTL_GROUND_Y) return false;
    ++me.frame;
    m.companion(1);
    me.y = BTL_GROUND_Y;
    return true;
}

}  // namespace

// A strike that steps back while too close; one hit in reach.
uint16_t cls03_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(6, 3, {.count_first = true, .after_setup = true}); return 0;
        case 2:
            ++me.frame;
            if (m.dist() < 4) me.x = static_cast<int16_t>(me.x - m.dir);
            m.pan_slow();
            if (m.in_reach(0, -48, 5, 32)) m.try_hit(1, 2, 1);
            if (me.frame > 5) {
                me.frame = 5;
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, true);
    }
}

// A jump from 24 cells that strikes on landing, then five frames of rest.
uint16_t cls03_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1:
            if (m.approach(24, 6)) m.take_off();
            return 0;
        case 2:
            if (flight(m, 208)) m.try_hit(2, 2, 1);
            if (me.frame == 8) me.step = 3;
            return 0;
        case 3:
            if (++me.timer >= 5) {
                me.timer = 0;
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, true, 0);
    }
}

// Nine frames of charging, a walk-up with the trail, the jump, and a shock
// wave on the opponent's column with the one unguarded hit.
uint16_t cls03_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 9, .sound = SFX_POWER}); [[fallthrough]];
        case 1:
            ++me.timer;
            me.frame = static_cast<int16_t>(me.timer >= 7 || me.timer % 3 == 1 ? 10 : 9);
            if (me.timer == 9) {
                me.timer = 0;
                m.trail(2, side);
                me.step = 2;
            }
            return 0;
        case 2:
            if (m.walk_up(24, 14, {.base = 11})) {
                m.take_off();
                me.step = 3;
            }
            return 0;
        case 3:
            flight(m, BTL_ON_GROUND_Y);
            if (me.frame == 16) {
                m.spawn(m.opp.x, BTL_GROUND_Y, 17);
                m.hit(2, 2);
                m.trail(2, m.fx_id(0));
                btl_sound(SFX_SHOCK);
                me.step = 4;
            }
            return 0;
        case 4: {
            BattleActor& wave = m.fx(0);
            ++wave.frame;
            m.pan_slow();
            if (wave.frame == 20) {
                wave.frame = 17;
                wave.y = 0;
                me.step = 5;
            }
            return 0;
        }
        case 5:
            if (++me.timer >= 4) {
                m.trail_off();
                me.step = 6;
            }
            return 0;
        default: return m.finish(6, true, 0);
    }
}

void cls03_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls03_move12, cls03_move13, cls03_move14, nullptr};
    btl_common_handler(side, done, BTL_COMMON_FACTS, moves);
}
