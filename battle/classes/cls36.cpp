// Class 36, the gargoyle: it wakes from stone, flies, strikes, lands and
// folds again; or it dives from high above after two pecks.
// Move choice: btl_choose_move_for_class, case 36 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// Waking, steps 0 and 1: the stone frames 6 and 7, slowly then fast; on the
// 17th frame it lifts off by `lift` pixels. True then.
bool wake(Move& m, int32_t lift) {
    BattleActor& me = m.me;
    ++me.timer;
    me.frame = me.timer < 12 ? 6 + (me.timer / 3) % 2 : 6 + me.timer % 2;
    if (me.timer < 17) return false;
    me.timer = 0;
    me.frame = 0;
    me.y -= lift;
    return true;
}

// Folding back into stone after the landing: fast, then slowly. True on the
// 17th frame.
bool fold(Move& m) {
    BattleActor& me = m.me;
    ++me.timer;
    me.frame = me.timer < 6 ? 6 + me.timer % 2 : 6 + (me.timer / 3) % 2;
    return me.timer >= 17;
}

// Landing: 4 pixels a frame, a cell back every other frame, until the ground.
bool land(Move& m) {
    BattleActor& me = m.me;
    me.y += 4;
    if (me.timer % 2 == 1) me.x -= m.fwd(1);
    if (me.y < BTL_GROUND_Y) return false;
    me.y = BTL_GROUND_Y;
    me.timer = 0;
    btl_sound(SFX_INVOKE);
    return true;
}

// The opening of both moves: it stands as stone (frame 6).
void awaken(Move& m) {
    m.open(BTL_SHEET_B);
    m.me.ground_y = BTL_GROUND_Y;
    m.me.frame = 6;
    btl_sound(SFX_INVOKE);
}
}  // namespace

// Move 12: a flying strike.
uint16_t cls36_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    uint16_t result = 0;
    switch (me.step) {
        case 0: awaken(m); [[fallthrough]];
        case 1:
            if (wake(m, 20)) me.step = 2;
            break;
        case 2:
            ++me.timer;
            m.walk_frame();
            if (me.timer == 1) me.y -= 20;
            if (me.timer >= 8) {
                me.x += m.fwd(2);
                m.pan_slow();
            }
            m.wing_beat();
            if (m.dist() < 6) {
                me.timer = 0;
                me.frame = 3;
                m.opp.hit_count = 0;
                me.step = 3;
            }
            break;
        case 3:
            m.close_in(4);
            if (m.swing(4, 5, 1, 2)) me.step = 4;
            break;
        case 4:
            ++me.timer;
            m.walk_frame();
            m.wing_beat();
            if (land(m)) me.step = 5;
            break;
        case 5:
            if (fold(m)) me.step = 6;
            break;
        default: result = m.finish(6, false); break;
    }
    m.companion_glide(210);
    return result;
}

// Move 13: it rises high, pecks the opponent twice from above, then dives.
uint16_t cls36_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    uint16_t result = 0;
    switch (me.step) {
        case 0: awaken(m); [[fallthrough]];
        case 1:
            if (wake(m, 4)) me.step = 2;
            break;
        case 2:
            m.wing_beat();
            m.frame_loop(me, 0, 2, 2);
            me.y -= 4;
            if (me.y < 201) {
                me.y = 200;
                me.step = 3;
            }
            break;
        case 3:
            m.wing_beat();
            m.frame_loop(me, 0, 2, 2, false);
            me.x += m.fwd(2);
            m.pan_slow();
            if (me.y > 120) me.y -= 8;
            if (m.dist() < 2) {
                me.timer = 0;
                me.stash_y = 0;
                m.opp.hit_count = 0;
                me.frame = 8;
                me.step = 4;
            }
            break;
        case 4:
            // Two pecks: down to 160 (a peck), back up above 121.
            if (me.timer < 2) {
                me.y += me.stash_y == 1 ? -20 : 20;
                if (me.y >= 160) {
                    me.stash_y ^= 1;
                    m.flinch(m.opp.hit_count % 2 ? 5 : 6, SFX_BLOW);
                }
                if (me.y < 121) {
                    me.stash_y ^= 1;
                    ++me.timer;
                }
            }
            if (me.timer >= 2) {
                me.timer = 0;
                me.step = 5;
            }
            m.pan_slow();
            break;
        case 5:
            if (me.timer < 3) {
                ++me.timer;
            } else {
                if (me.y < 200) me.y += 40;
                if (me.y >= 200) {
                    m.hit(m.opp.hit_count % 2 ? 5 : 6, 0);
                    me.frame = 0;
                    me.timer = 0;
                    me.step = 6;
                }
            }
            break;
        case 6:
            m.frame_loop(me, 0, 2, 2, false);
            if (land(m)) me.step = 7;
            break;
        case 7:
            if (fold(m)) me.step = 8;
            break;
        default: result = m.finish(8, false); break;
    }
    m.companion_glide(210);
    return result;
}

void cls36_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls36_move12, cls36_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(2, 5, 7, 2);
    btl_common_handler(side, done, facts, moves);
}
