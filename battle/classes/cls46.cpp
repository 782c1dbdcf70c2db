// Class 46, the last enemy's first form: a body drawn with two parts beside
// it (P0, P1; P2 stays out of sight), made once per scene at its first stand.
// It never recoils, answers hits with its parts, and in defeat a white dome
// swells over the screen and everything flashes white.
// Move choice: btl_choose_move_for_class, case 46 (battle/scene.cpp).
#include "battle/classes/classes_29_48.h"
#include "platform/draw.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "tactics/units.h"

namespace {
constexpr int16_t PARTS_MADE = 99;
constexpr int32_t BODY_COL = 59, PARTS_COL = 58, BODY_Y = 224;
constexpr int32_t DOME_X = 320, DOME_Y = 224;

// Part i of the body; before the parts are made, a scratch record.
BattleActor& part(const BattleActor& body, int32_t i) {
    return btl_actor(body.down_flag == PARTS_MADE ? btl_effect_index(body.first_effect, i) : -1);
}

// The body and its two parts in one pose.
void pose_parts(BattleActor& body, int32_t b, int32_t p0, int32_t p1) {
    body.frame = b;
    part(body, 0).frame = p0;
    part(body, 1).frame = p1;
}

// One white dome of radius r: the midpoint circle, its lower half flattened
// to a quarter. The spans clip to the screen.
void white_dome(int32_t r) {
    int32_t a = r, b = 0, e = r;
    while (a >= b) {
        gfx_fill_span(DOME_X - a, DOME_Y - b, DOME_X + a, 15);
        gfx_fill_span(DOME_X - a, DOME_Y + b / 4, DOME_X + a, 15);
        gfx_fill_span(DOME_X - b, DOME_Y - a, DOME_X + b, 15);
        gfx_fill_span(DOME_X - b, DOME_Y + a / 4, DOME_X + b, 15);
        e += 1 - 2 * b;
        ++b;
        if (e < 0) {
            e += 2 * a;
            --a;
        }
    }
}

// The move's clean-up, in the first frame the opponent is idle: the sheet
// freed, the damage message, the slot the move changed (if any) put back and
// the body stood up again.
void cleanup(Move& m, int16_t* slot = nullptr, int16_t saved = 0) {
    if (!m.cleanup_base()) return;
    if (slot) *slot = saved;
    cls46_spawn_parts(m.side);
}
}  // namespace

bool cls46_wave_sweep(Move& m, int32_t i, int32_t full, int32_t hits) {
    BattleActor& wave = m.fx_base(i);
    if (wave.frame < full) ++wave.frame;
    if (wave.frame < full) return false;
    wave.x += m.fwd(4);
    if (m.ahead(wave.x, m.opp.x) < 20 && m.idle() && m.opp.hit_count < hits && m.alive()) {
        m.opp.y -= 8;
        m.opp.stash_y = -8;
        m.hit(2, 1);
    }
    if (!m.past_far_edge(wave, 32)) return false;
    btl_actor_hide(btl_effect_index(m.me.w42, i));
    m.release_base();
    return true;
}

void cls46_spawn_parts(int16_t actor) {
    BattleActor& body = btl_actor(actor);
    if (body.down_flag != PARTS_MADE) {
        body.first_effect = g_btl_next_actor;
        for (int32_t i = 0; i < 3; ++i) {
            const int32_t n = btl_take_actor();
            BattleActor& p = btl_actor(n);
            p.flags = body.flags;
            p.slot = body.slot;
            btl_actor_set_present(n, true);
            p.frame = p.y = p.timer = 0;
        }
        body.down_flag = PARTS_MADE;
    }
    body.x = BODY_COL;
    body.frame = 0;
    body.y = BODY_Y;
    body.layer = 2;
    for (int32_t i = 0; i < 2; ++i) {
        BattleActor& p = part(body, i);
        p.x = PARTS_COL;
        p.y = BODY_Y;
        p.slot = body.slot;
        btl_actor_set_present(btl_effect_index(body.first_effect, i), true);
        p.frame = i == 0 ? 3 : 6;
        p.layer = 2;
    }
}

void cls46_hit_reaction(int16_t actor) {
    const int32_t side = actor & 1;
    BattleActor& body = btl_actor(side);
    UnitStats* u = g_btl_combatant[side];
    const bool shown = g_btl_last_damage != 0 || body.state == 5 || body.state == 6;
    switch (g_btl_hit_phase[side]) {
        case 1:
            if (u->hp == 0) {
                body.state = 7;
                body.timer = 0;
                g_btl_hit_phase[side] = 0;
                return;
            }
            btl_spark_place(side);
            if (shown) pose_parts(body, 1, 4, 7);
            ++body.hit_count;
            body.y = BODY_Y;
            g_btl_hit_phase[side] = 2;
            break;
        case 2:
            btl_spark_damage(side);
            if (shown) pose_parts(body, 2, 5, 6);
            g_btl_hit_phase[side] = 3;
            break;
        case 3:
            btl_spark_park();
            if (u->hp == 0) {
                body.state = 7;
                body.timer = 0;
            }
            g_btl_hit_phase[side] = 0;
            break;
        default: g_btl_hit_phase[side] = 0; break;
    }
}

void cls46_defeat(int16_t actor) {
    const int32_t side = actor & 1;
    BattleActor& body = btl_actor(side);
    int16_t& defeat_step = body.w21;
    int16_t& frames = body.ground_y;
    switch (defeat_step) {
        case 0:
            pose_parts(body, 2, 5, 6);
            frames = 0;
            g_btl_hit_phase[side] = 1;
            defeat_step = 1;
            break;
        case 1:
            if (++frames > 4) {
                frames = 0;
                btl_sound(SFX_POWER);
                defeat_step = 2;
            }
            break;
        case 2:
            for (int32_t r = 32; r <= 316; r += 4) {
                white_dome(r);
                win_wait_units(1);
                gfx_fade_start(&g_btl_white_palette, 8);
            }
            defeat_step = 3;
            break;
        default:
            gfx_set_palette16(&g_btl_white_palette);
            frames = -1;
            g_btl_hit_phase[side] = 0;
            break;
    }
}

// Move 12: an orb swells in its hands and is hurled down at the opponent.
uint16_t cls46_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.setup_base(BTL_SHEET_B);
            me.saved_slot = me.slot;
            me.timer = 0;
            me.slot = m.sheet_slot();
            me.x += 4;
            me.frame = 0;
            me.step = 1;
            return 0;
        case 1:
            me.frame = 1;
            m.spawn(me.x, BTL_GROUND_Y, 5);
            me.step = 2;
            return 0;
        case 2: {
            BattleActor& orb = m.fx_base(0);
            if (++orb.frame > 6) {
                orb.timer = 0;
                ++me.frame;
                btl_sound(SFX_MONSTER_SPELL);
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            BattleActor& orb = m.fx_base(0);
            orb.frame = 7 + orb.timer % 6;
            if (orb.timer++ > 18) {
                orb.y -= 4;
                orb.timer = 0;
                me.frame = 3;
                m.pan_fast();
                btl_sound(SFX_WAIL);
                me.step = 4;
            }
            return 0;
        }
        case 4: {
            BattleActor& orb = m.fx_base(0);
            me.frame = 4;
            orb.frame = 13;
            orb.x += m.fwd(4);
            orb.x -= 2;
            orb.y += 4;
            if (m.gap(orb) < 4) {
                m.hit(2, 1, SFX_ORB_HIT);
                me.timer = 0;
                me.step = 5;
            } else if (m.past_far_edge(orb, 15)) {
                // An orb that passed the opponent by (the form fights from
                // the right side) leaves the field all the same.
                me.step = 5;
            }
            m.pan_fast();
            return 0;
        }
        case 5: {
            BattleActor& orb = m.fx_base(0);
            if (!m.past_far_edge(orb, 15)) {
                orb.x += m.fwd(4);
                orb.y -= 4;
            } else {
                btl_actor_hide(btl_effect_index(me.w42, 0));
                m.release_base();
                me.step = 6;
            }
            m.pan_fast();
            return 0;
        }
        case 6:
            cleanup(m, &me.slot, me.saved_slot);
            m.pan_fast();
            return 0;
        default: return m.end();
    }
}

// Move 13: its parts charge a bolt that flies down at the opponent and
// bursts on it; the burst can strike a second time.
uint16_t cls46_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    BattleActor& p0 = part(me, 0);
    BattleActor& p1 = part(me, 1);
    switch (me.step) {
        case 0:
            m.setup_base(BTL_SHEET_C);
            p1.saved_slot = me.slot;
            p1.timer = 0;
            p1.slot = m.sheet_slot();
            p1.frame = 0;
            p1.x += 4;
            me.step = 1;
            return 0;
        case 1:
            if (++p1.frame > 2) {
                p0.x += 4;
                p0.slot = m.sheet_slot();
                p0.frame = 16;
                me.step = 2;
            }
            return 0;
        case 2:
            if (++p1.frame > 6) {
                m.spawn(me.x - 11, 192, 8);
                m.pan_fast();
                btl_sound(SFX_FLASH);
                me.step = 3;
            }
            return 0;
        case 3: {
            BattleActor& bolt = m.fx_base(0);
            m.frame_loop(bolt, 8, 2, 1, false);
            bolt.x += m.fwd(4);
            bolt.y += 8;
            if (m.gap(bolt) < 4) {
                m.hit(2, 1);
                me.timer = 0;
                bolt.y = BTL_GROUND_Y;
                bolt.frame = 10;
                me.step = 4;
            }
            m.pan_fast();
            return 0;
        }
        case 4: {
            BattleActor& bolt = m.fx_base(0);
            if (++bolt.frame >= 15) {
                btl_actor_hide(btl_effect_index(me.w42, 0));
                m.release_base();
                me.step = 5;
            } else if (m.idle() && m.in_reach_of(btl_effect_index(me.w42, 0), -6, -48, 6, 32)) {
                m.hit(2, 1, SFX_SCORCH);
            }
            m.pan_fast();
            return 0;
        }
        case 5:
            cleanup(m, &p1.slot, p1.saved_slot);
            m.pan_fast();
            return 0;
        default: return m.end();
    }
}

// Move 14: a flash, then a wave runs along the ground through the opponent,
// tossing it up to four times.
uint16_t cls46_move14(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            m.setup_base(BTL_SHEET_D);
            m.spawn(me.x + 4, BODY_Y, 0);
            me.step = 1;
            return 0;
        case 1: {
            BattleActor& flash = m.fx_base(0);
            if (++flash.frame > 6) {
                flash.frame = 10;
                m.spawn(me.x - 14, BODY_Y, 11);
                m.opp.hit_count = 0;
                m.pan_slow();
                btl_sound(SFX_CONJURE);
                me.step = 2;
            }
            return 0;
        }
        case 2:
            if (cls46_wave_sweep(m, 1, 21, 4)) {
                btl_actor_hide(btl_effect_index(me.w42, 0));
                me.step = 3;
            }
            m.pan_slow();
            return 0;
        case 3:
            cleanup(m);
            m.pan_slow();
            return 0;
        default: return m.end();
    }
}

void cls46_handler(int16_t side, uint16_t* done) {
    BattleActor& f = btl_actor(side);
    const auto pose = [side](int32_t p) { btl_companion_pose(side, p); };
    switch (f.state) {
        case 0:
            cls46_spawn_parts(side);
            pose(0);
            break;
        case 1: cls46_hit_reaction(side); break;
        case 2:
            cls46_hit_reaction(side);
            pose(0);
            break;
        case 3:
        case 4: f.frame = 2; break;
        case 5:
        case 6:
            f.frame = 2;
            cls46_hit_reaction(side);
            pose(0);
            break;
        case 7:
        case 8:
            cls46_defeat(side);
            pose(0);
            break;
        case 12: *done = cls46_move12(side); break;
        case 13: *done = cls46_move13(side); break;
        case 14: *done = cls46_move14(side); break;
        default: *done = 1; break;
    }
    btl_actor_update_companion(side);
}
