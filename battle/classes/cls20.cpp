// Class 20, the lich: a swooping spirit and a claw risen from the ground
// (sheet 20B). Both moves draw the opponent on the mover's own layer; its
// shadow is never shown.
// Move choice: btl_choose_move_for_class, case 20 (battle/scene.cpp).
#include <cstdlib>

#include "battle/classes/classes.h"

namespace {

// Both moves set the layers every frame: mover and opponent on layer 1.
void same_layer(Move& m) {
    m.me.layer = 1;
    m.opp.layer = 1;
}

// The opening of both moves.
void open(Move& m, SoundEffect sound) { m.open(BTL_SHEET_B, {.ground = true, .sound = sound}); }

// Step 1 of both moves: the casting frames 0, 1 ... then 2 and 3; true in
// the frame that would show 4.
bool casting(Move& m) {
    m.draw_from_sheet();
    m.me.frame = static_cast<int16_t>(m.me.timer < 6 ? m.me.timer % 2 : m.me.timer - 4);
    return m.me.frame == 4;
}

}  // namespace

// Move 12: the spirit swoops down to the ground, climbs into the opponent
// and turns back twice; the passes give stagger, stagger, damage.
uint16_t cls20_move12(int16_t side) {
    Move m(side, Layers::Keep);
    same_layer(m);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: open(m, SFX_WAIL); [[fallthrough]];
        case 1:
            if (casting(m)) {
                me.timer = 0;
                m.opp.hit_count = 0;
                me.frame = 3;
                BattleActor& e = m.spawn(me.x, 0, 4);
                m.trail(1, m.fx_id(0));
                // The descent reaches the opponent's line 10 columns before
                // it; at exactly 10 columns the divisor is 1.
                int32_t run = m.gap(e) - 10;
                if (run == 0) run = 1;
                me.stash_y = static_cast<int16_t>((m.opp.y - e.y) / run);
                me.stash_x = 4;
                btl_sound(SFX_SPELL_RELEASE);
                me.step = 2;
            }
            ++me.timer;
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            ++me.timer;
            e.x += m.fwd(4);
            e.frame = static_cast<int16_t>(4 + me.timer % 2);
            if (e.timer == 0) {
                e.y += 4 * me.stash_y;
                if (e.y >= BTL_GROUND_Y) {
                    e.y = BTL_GROUND_Y;
                    e.timer = 1;  // landed
                }
            } else {
                e.y -= 4 * me.stash_x;
            }
            if (m.gap(e) < 2 && m.idle()) {
                m.opp.recoil = 0;
                m.flinch(5, SFX_BLOW);
                me.step = 3;
            } else if (btl_off_field(e, -15, 95)) {
                // Striding 4 columns a frame, the spirit can pass an
                // opponent it never comes within 2 columns of: it then
                // leaves the field as after its passes.
                me.step = 4;
            }
            m.pan_fast();
            return 0;
        }
        case 3: {
            BattleActor& e = m.fx(0);
            ++me.timer;
            e.frame = static_cast<int16_t>(4 + me.timer % 2);
            m.pan_fast();
            if (me.stash_x != 0) e.y += 2 - 4 * me.stash_x;
            if (e.stash_y < 2 && m.gap(e) > 6) {
                e.layer = e.layer == 3 ? 2 : 3;
                me.stash_x = 0;
                e.flags ^= 1;
                e.stash_x ^= 1;
                ++e.stash_y;
            }
            e.x += m.fwd(e.stash_x == 1 ? -4 : 4);
            if (m.gap(e) < 2 && m.idle() && m.opp.hit_count < 3) {
                m.opp.flags ^= 1;
                if (m.opp.hit_count == 1)
                    m.flinch(5, SFX_BLOW);
                else
                    m.hit(1, 2);
            }
            if (btl_off_field(e, -15, 95)) me.step = 4;
            return 0;
        }
        case 4:
            btl_actor_hide(m.fx_id(0));
            m.release();
            m.trail_off();
            me.step = 5;
            return 0;
        default: return m.finish(5, false);
    }
}

// Move 13: a focus runs to the opponent, a claw rises from below the field
// beside it and strikes five times: pins, a hit, pins, a hit.
uint16_t cls20_move13(int16_t side) {
    Move m(side, Layers::Keep);
    same_layer(m);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: open(m, SFX_CONJURE); [[fallthrough]];
        case 1:
            if (casting(m)) {
                me.stash_x = me.x;  // the focus
                me.stash_y = 0;
                me.frame = 3;
                me.timer = 0;
                m.opp.hit_count = 0;
                m.spawn(m.opp.x - m.fwd(11), 496, 6);
                me.step = 2;
            }
            ++me.timer;
            return 0;
        case 2: {
            BattleActor& e = m.fx(0);
            if (std::abs(m.opp.x - me.stash_x) >= 4) {
                me.stash_x += m.fwd(4);
            } else {
                if (e.stash_x == 0) {
                    btl_sound(SFX_INVOKE);
                    e.stash_x = 1;
                }
                if (e.y > BTL_GROUND_Y) {
                    e.y -= 32;
                } else {
                    e.y = 224;
                    if (e.stash_y < 5) {
                        e.frame = 7;
                        ++e.stash_y;
                    } else if (++e.frame == 10) {
                        me.timer = 0;
                        e.frame = 11;
                        e.stash_x = 0;
                        btl_sound(SFX_BOLT);
                        me.step = 3;
                    }
                }
            }
            m.pan_fast();
            return 0;
        }
        case 3: {
            BattleActor& e = m.fx(0);
            e.frame = e.frame == 11 ? 12 : 11;
            // Strike n is the claw's own count: 0, 2 and 3 pin the opponent
            // in a fixed pose, 1 and 4 hit it.
            if (m.idle() && m.alive() && me.timer >= 3 && e.timer < 5) {
                const int32_t n = e.timer++;
                m.opp.recoil = n == 4 ? 2 : 0;
                if (n == 1 || n == 4) {
                    m.hit(n == 1 ? 1 : 2, m.opp.recoil);
                } else {
                    m.opp.state = n == 3 ? 3 : 4;
                    me.timer = 0;
                }
            }
            if (e.timer >= 5 || !m.alive()) me.step = 4;
            ++me.timer;
            return 0;
        }
        case 4: {
            BattleActor& e = m.fx(0);
            if (e.frame > 6) {
                if (--e.frame == 7) {
                    m.trail(1, m.fx_id(0));
                    btl_sound(SFX_INVOKE);
                    e.frame = 6;
                }
            } else {
                e.x -= m.fwd(2);
                if (side == 0 ? e.x < 30 : e.x > 50) me.step = 5;
            }
            return 0;
        }
        case 5:
            m.trail_off();
            m.hide_and_release();
            me.step = 6;
            return 0;
        default: return m.finish(6, false);
    }
}

void cls20_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = btl_facts_one_pose(BTL_USUAL_FACTS, 0, 0, 13);
    static constexpr MoveTable moves = {cls20_move12, cls20_move13, nullptr, nullptr};
    btl_common_handler(side, done, facts, moves);
}
