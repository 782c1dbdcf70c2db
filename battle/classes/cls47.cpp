// Class 47, the last enemy between its forms: one move, the transformation
// (a glow, a ring and twenty rising particles under a white flash). It deals
// no damage and has no reaction; every actor is drawn from its own sheet.
// Move choice: btl_choose_move_for_class, case 47 (battle/scene.cpp).
#include "battle/classes/classes_29_48.h"
#include "platform/palette.h"

namespace {
constexpr int32_t PARTICLES = 20;

// The glow's flicker: one frame of G, with `sound` every `period` frames.
void glow(Move& m, int32_t period, SoundEffect sound) {
    BattleActor& g = m.fx(0);
    m.frame_loop(g, 1, 2);
    if (period > 0 && g.timer % period == 0) btl_sound(sound);
}

void particles_step(Move& m) {
    for (int16_t i = 0; i < PARTICLES; ++i) cls47_particle_step(m.side, i);
}
}  // namespace

void cls47_particle_step(int16_t actor, int16_t i) {
    Move m(actor, Layers::Keep);
    BattleActor& p = m.fx(2 + i);
    p.y += p.stash_y;
    if (p.y < 0) {
        p.frame = 32 + i % 6;
        p.stash_y = -8 * ((p.frame - 32) / 2 + 1);
        p.y = BTL_GROUND_Y - 4 * btl_random(8);
    }
}

// G the glow, R the ring, P0..P19 the particles, counted from first_effect.
// The move leaves the fighter in state 12: every later call gives its actors
// back and reports done.
uint16_t cls47_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    auto own = [&m](BattleActor& e) -> BattleActor& {
        e.slot = m.me.slot;
        return e;
    };
    switch (me.step) {
        case 0: {
            m.busy(true);
            me.first_effect = g_btl_next_actor;
            own(m.spawn(me.x, BTL_GROUND_Y, 0)).layer = 2;
            me.frame = 38;
            me.step = 1;
            return 0;
        }
        case 1: {
            BattleActor& g = m.fx(0);
            m.frame_loop(g, 0, 2, 1, false);
            if (g.timer % 8 == 0) btl_sound(SFX_POWER);
            if (g.timer > 16) {
                g.frame = 1;
                own(m.spawn(me.x, BTL_GROUND_Y, 3)).layer = 1;
                for (int32_t i = 0; i < PARTICLES; ++i) {
                    BattleActor& p = own(m.spawn(me.x + 2 * (i % 16) - 16, 0, 32 + i % 6));
                    p.y = BTL_GROUND_Y - 4 * btl_random(8);
                    p.stash_y = -16 * ((p.frame - 32) / 2 + 1);
                }
                me.step = 2;
            }
            return 0;
        }
        case 2: {
            glow(m, 8, SFX_POWER);
            BattleActor& ring = m.fx(1);
            if (ring.frame < 7) {
                ++ring.frame;
            } else {
                gfx_fade_start(&g_btl_white_palette, 8);
                if (++me.timer > 16) {
                    me.frame = 8;
                    me.y = BTL_GROUND_Y;
                    me.timer = 0;
                    me.step = 3;
                }
            }
            particles_step(m);
            return 0;
        }
        case 3:
            gfx_fade_start(&g_btl_white_palette, 8);
            glow(m, 6, SFX_MONSTER_SPELL);
            particles_step(m);
            if (me.frame < 21) {
                ++me.frame;
            } else {
                me.y = 256;
                me.frame = 21 + me.timer % 2;
                if (++me.timer > 24) {
                    me.y = 232;
                    me.frame = 23;
                    me.layer = 3;
                    gfx_set_palette16(&g_btl_white_palette);
                    btl_sound(SFX_FLASH);
                    me.step = 4;
                }
            }
            return 0;
        case 4: {
            gfx_set_palette16(&g_btl_palette);
            glow(m, 0, SFX_NONE);
            particles_step(m);
            if (--m.fx(1).frame < 4) {
                btl_actor_hide(m.fx_id(1));
                me.step = 5;
            }
            return 0;
        }
        case 5:
            glow(m, 0, SFX_NONE);
            for (int32_t i = 0; i < PARTICLES; ++i) {
                BattleActor& p = m.fx(2 + i);
                if (p.down_flag != 0) continue;
                p.y += p.stash_y;
                if (p.y < 0) {
                    p.down_flag = 1;
                    ++me.down_flag;
                    btl_actor_hide(m.fx_id(2 + i));
                }
            }
            if (me.frame < 31) {
                if (++me.frame == 30) btl_sound(SFX_RISE);
            } else if (me.down_flag >= PARTICLES) {
                btl_actor_hide(m.fx_id(0));
                me.step = 6;
            }
            return 0;
        default:
            m.release();
            m.busy(false);
            return 1;
    }
}

void cls47_handler(int16_t side, uint16_t* done) {
    BattleActor& f = btl_actor(side);
    switch (f.state) {
        case 0:
            f.frame = 0;
            btl_companion_pose(side, 0);
            break;
        case 12: *done = cls47_move12(side); break;
        default: *done = 1; break;
    }
    btl_actor_update_companion(side);
}
