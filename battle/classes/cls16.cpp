// Class 16, the air elemental: a recovery on its partner and a wind wave.
// Both moves call a wisp down from above the field (sheet 16B); its shadow
// is never shown, but its fall keeps the pose the fall sets.
// Move choice: btl_choose_move_for_class, case 16 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {

// The whole part of 32 sin(30 t degrees), t mod 12.
constexpr int16_t WAVE_Y[12] = {0, 16, 27, 32, 27, 16, 0, -16, -27, -32, -27, -16};

// Step 1 of both moves: nine frames of casting, then the wisp above the
// mover. True when it appeared.
bool call_wisp(Move& m) {
    ++m.me.timer;
    if (m.me.timer <= 8) return false;
    m.me.frame = 1;
    m.spawn(m.me.x, 0, 4);
    m.me.timer = 0;
    return true;
}

// Step 2 of both moves: the wisp sinks 16 a frame to the ground and stays
// there; with 4 landed frames the trail follows it, after 12 it rises with
// `end_frame`. True then.
bool settle_wisp(Move& m, int32_t trail_step, int16_t end_frame) {
    BattleActor& me = m.me;
    BattleActor& e = m.fx(0);
    m.frame_loop(me, 1, 2);
    m.frame_loop(e, 4, 3);
    e.y += 16;
    if (e.timer % 4 == 0) btl_sound(SFX_GUST);
    if (e.y < BTL_GROUND_Y) return false;
    e.y = BTL_GROUND_Y;
    ++e.stash_x;
    if (e.stash_x == 4) m.trail(trail_step, m.fx_id(0));
    if (e.stash_x <= 12) return false;
    me.timer = 0;
    me.frame = 3;
    e.timer = 0;
    e.frame = end_frame;
    e.stash_x = 0;
    m.opp.hit_count = 0;
    btl_sound(SFX_SPELL_RELEASE);
    return true;
}

// The wisp's frame of the recovery and its bob.
void bob_wisp(BattleActor& e) {
    Move::frame_loop(e, 10, 3);
    Move::bob(e);
}

}  // namespace

// Move 12: the recovery. The wisp glides to the partner, circles it seven
// times and gives the recovery; no damage message.
uint16_t cls16_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 0, .ground = true}); [[fallthrough]];
        case 1:
            btl_msg_cast(side, 0);
            if (call_wisp(m)) me.step = 2;
            return 0;
        case 2:
            if (settle_wisp(m, 1, 10)) me.step = 3;
            return 0;
        case 3: {
            BattleActor& e = m.fx(0);
            bob_wisp(e);
            if (m.float_to_partner(e)) me.step = 4;
            return 0;
        }
        case 4:
            bob_wisp(m.fx(0));
            if (m.circle_partner()) me.step = 5;
            return 0;
        default: return m.finish_quiet(5);
    }
}

// Move 13: the wind wave. The wisp rolls along the ground on a wave of 12
// frames and strikes up to twice.
uint16_t cls16_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 0}); [[fallthrough]];
        case 1:
            if (call_wisp(m)) me.step = 2;
            return 0;
        case 2:
            if (settle_wisp(m, 2, 7)) me.step = 3;
            return 0;
        case 3: {
            BattleActor& e = m.fx(0);
            m.frame_loop(e, 7, 3);
            e.x += m.fwd(2);
            e.y = static_cast<int16_t>(BTL_GROUND_Y + WAVE_Y[e.timer % 12]);
            m.pan_slow();
            if (m.gap(e) < 4) m.try_hit(1, 1, 2);
            if (side == 0 ? e.x >= 91 : e.x < -10) {
                m.trail_off();
                btl_actor_hide(m.fx_id(0));
                me.step = 4;
            }
            return 0;
        }
        default: return m.finish(4, true);
    }
}

void cls16_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_one_pose(BTL_USUAL_FACTS, 0, POSE_KEEP, 13);
    static constexpr MoveTable moves = {cls16_move12, cls16_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
