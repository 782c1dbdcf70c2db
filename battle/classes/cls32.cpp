// Class 32, the slime: a pounce and a double slam, after a squelching crawl.
// Move choice: btl_choose_move_for_class, case 32 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// The crawl: the walk with its own squelch every fourth frame. True once it
// is less than 8 cells from the opponent.
bool crawl(Move& m, int32_t arrive_frame) {
    m.walk_step({.quiet = true});
    if (g_btl_animated && m.me.timer % 4 == 0) btl_sound(SFX_SQUELCH);
    return m.arrive(8, arrive_frame);
}
}  // namespace

// Move 12: it gathers itself for five frames and pounces once.
uint16_t cls32_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false}); [[fallthrough]];
        case 1:
            if (crawl(m, 10)) me.step = 2;
            return 0;
        case 2:
            m.pan_slow();
            if (me.timer < 5) {
                me.frame = 11;
                ++me.timer;
            } else {
                me.frame = 12;
                m.hit(1, 2);
                me.timer = 0;
                me.step = 3;
            }
            return 0;
        case 3:
            if (++me.timer >= 6) {
                me.frame = 13;
                me.step = 4;
            }
            return 0;
        default: return m.finish(4, false);
    }
}

// Move 13: two slams, at frames 5 and 7; the second is skipped once the
// opponent is beaten.
uint16_t cls32_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.draw = false}); [[fallthrough]];
        case 1:
            if (crawl(m, 3)) me.step = 2;
            return 0;
        case 2:
            m.pan_slow();
            if (me.frame >= 9) {
                me.step = 3;
                return 0;
            }
            ++me.frame;
            // A beaten opponent ends the slams before the next one lands.
            if (!m.alive()) {
                me.step = 3;
                return 0;
            }
            if (me.frame == 5) m.hit(1, 0);
            if (me.frame == 7) m.hit(2, 0);
            return 0;
        default: return m.finish(3, false, 0);
    }
}

void cls32_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls32_move12, cls32_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(1, 5, 7, 1);
    btl_common_handler(side, done, facts, moves);
}
