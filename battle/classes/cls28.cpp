// Class 28, the dark count: four spells, drawn at random by the move
// choice, each opened by the same summoning circle (sheet 28B): falling
// shards, a rain of shards, lightning and a bat swarm. Its moves leave the
// layers as they are and show no damage message.
// Move choice: btl_choose_move_for_class, case 28 (battle/scene.cpp).
#include "battle/classes/classes.h"
#include "platform/palette.h"

namespace {

// The circle's three actors, then the spell's own.
constexpr int32_t E0 = 0, E1 = 1, E2 = 2, SPELL = 3;
constexpr int32_t SHARDS_12 = 8, SHARDS_13 = 24, BATS = 24;

void hide_circle(const Move& m, int32_t count) {
    for (int32_t i = 0; i < count; ++i) btl_actor_hide(m.fx_id(i));
}

// The circle's glow: frames 3 and 4 by its own timer.
void glow(BattleActor& e0) { Move::frame_loop(e0, 3, 2, 1, false); }

// A bat's wing beat: frames 34.. (odd bats) or 30.. by its own timer.
void flap(BattleActor& b, int32_t i) {
    b.frame = static_cast<int16_t>((i % 2 == 1 ? 34 : 30) + b.timer % 4);
    ++b.timer;
}

// Move 15's bats rise out of the field under the mover while the circle
// opens.
void spawn_bats(Move& m) {
    for (int32_t i = 0; i < BATS; ++i) {
        const int32_t t = btl_random(4);
        const int32_t y = 272 + 16 * btl_random(8);
        BattleActor& b = m.spawn(m.me.x + 2 * i - 24, y, (i % 2 == 1 ? 34 : 30) + t);
        b.timer = static_cast<int16_t>(t);
        b.stash_y = -48;
    }
}

// Step 2: the circle grows (E1 5..14, E2 15..24), then E1 holds at 25 and
// the timer counts twice a frame until the circle is full.
void circle_grows(Move& m, int32_t move) {
    BattleActor& me = m.me;
    BattleActor& e1 = m.fx(E1);
    BattleActor& e2 = m.fx(E2);
    m.frame_loop(me, 0, 2, 1, false);
    glow(m.fx(E0));
    if (++e1.frame < 15) {
        ++e2.frame;
    } else {
        e1.frame = 25;
        const int32_t before = me.timer++;
        if (move == 15 ? before >= 24 : before > 12) {
            if (move == 15) me.timer = 0;
            e1.frame = 14;
            e2.frame = 24;
            me.step = 3;
        }
    }
    if (move == 15)
        for (int32_t i = 0; i < BATS; ++i) {
            BattleActor& b = m.fx(SPELL + i);
            flap(b, i);
            b.y -= 32;
        }
}

// Step 3: the circle closes; true once E2 is below frame 23, when the
// spell is set up.
bool circle_closes(Move& m, int32_t move) {
    BattleActor& me = m.me;
    BattleActor& e1 = m.fx(E1);
    BattleActor& e2 = m.fx(E2);
    me.frame = 2;
    glow(m.fx(E0));
    if (e1.frame > 12) --e1.frame;
    if (e2.frame >= 23) --e2.frame;
    if (move == 15)
        for (int32_t i = 0; i < BATS; ++i) {
            BattleActor& b = m.fx(SPELL + i);
            flap(b, i);
            if (b.y >= 1) b.y -= 32;
            if (b.y < 0 && b.down_flag == 0) {
                b.down_flag = 1;
                ++me.timer;
            }
        }
    return e2.frame < 23;
}

// The spell's set-up at the end of the circle. False while move 14 and
// move 15 still wait.
bool spell_setup(Move& m, int32_t move) {
    BattleActor& me = m.me;
    if (move == 14 && ++me.timer <= 20) return false;
    if (move == 15 && me.timer < 8) return false;
    m.fx(E1).y = m.fx(E2).y = 0;
    switch (move) {
        case 12:
            for (int32_t i = 0; i < SHARDS_12; ++i) {
                const int32_t t = btl_random(3);
                const int32_t x = m.opp.x - m.fwd(btl_random(24) + 16);
                const int32_t y = 32 - 32 * btl_random(8);
                BattleActor& b = m.spawn(x, y, 26 + t);
                b.timer = static_cast<int16_t>(t);
                b.stash_x = b.x < m.opp.x ? 2 : -2;
                b.stash_y = static_cast<int16_t>(16 * btl_random(2) + 16);
            }
            me.timer = 0;
            break;
        case 13:
            for (int32_t i = 0; i < SHARDS_13; ++i) {
                const int32_t y = 32 - 48 * btl_random(12);
                BattleActor& b = m.spawn(m.side == 0 ? 72 - 3 * i : 3 * i + 8, y, 29);
                b.timer = static_cast<int16_t>(btl_random(3));
                b.stash_x = b.x < m.opp.x ? 1 : -1;
                b.stash_y = 48;
            }
            me.timer = 0;
            break;
        case 14:
            m.spawn(m.opp.x, BTL_GROUND_Y, 38);
            if (g_btl_animated) gfx_set_palette16(&g_btl_white_palette);
            break;
        default:
            for (int32_t i = 0; i < BATS; ++i) {
                BattleActor& b = m.fx(SPELL + i);
                b.x = static_cast<int16_t>(m.opp.x - m.fwd(2 * i + 16));
                b.y = static_cast<int16_t>(-32 * btl_random(8));
                b.stash_y = 32;
            }
            me.timer = 0;
            me.down_flag = 0;  // the bats gone
            break;
    }
    return true;
}

// Step 4 of the shards: each falls on its own line; one hit each, up to 8.
// True once all are past y 320.
bool shards_fall(Move& m, int32_t move) {
    BattleActor& me = m.me;
    const int32_t count = move == 12 ? SHARDS_12 : SHARDS_13;
    for (int32_t i = 0; i < count; ++i) {
        BattleActor& b = m.fx(SPELL + i);
        if (b.down_flag >= 2) continue;
        if (move == 12) b.frame = static_cast<int16_t>(26 + b.timer % 3);
        ++b.timer;
        b.x += b.stash_x;
        b.y += b.stash_y;
        const bool touches =
            move == 12 ? m.hitbox(m.fx_id(SPELL + i), -2, -16, 2, 16) : m.hitbox(m.fx_id(SPELL + i), -1, -48, 1, 16);
        if (b.down_flag == 0 && m.idle() && m.opp.hit_count < 8 && touches) {
            m.hit(2, 1);
            b.down_flag = 1;
        }
        if (b.y > 320) {
            btl_actor_hide(m.fx_id(SPELL + i));
            b.down_flag = 2;
            ++me.timer;
        }
    }
    return me.timer >= count;
}

// Step 4 of the lightning: the scene's colours back, the bolt's three
// frames; up to three hits. True when the bolt is spent.
bool lightning(Move& m) {
    if (g_btl_animated) gfx_set_palette16(&g_btl_palette);
    BattleActor& bolt = m.fx(SPELL);
    m.frame_loop(bolt, 38, 3, 1, false);
    if (m.idle() && m.opp.hit_count < 3 && bolt.timer % 3 != 0) m.hit(2, 1);
    return bolt.timer > 6;
}

// Step 4 of the bats: after 8 frames they dive on the opponent; up to 8
// hits. True once all are past y 320.
bool bats_dive(Move& m) {
    BattleActor& me = m.me;
    if (++me.timer > 8)
        for (int32_t i = 0; i < BATS; ++i) {
            BattleActor& b = m.fx(SPELL + i);
            if (b.down_flag >= 3) continue;
            b.x += m.fwd(3);
            b.y += b.stash_y;
            if (b.down_flag == 1 && m.idle() && m.opp.hit_count < 8 && m.hitbox(m.fx_id(SPELL + i), -1, -48, 1, 16)) {
                m.hit(2, 1);
                b.down_flag = 2;
            }
            if (b.y > 320) {
                btl_actor_hide(m.fx_id(SPELL + i));
                b.down_flag = 3;
                ++me.down_flag;
            }
        }
    return me.down_flag >= BATS;
}

uint16_t count_spell(int16_t side, int32_t move) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0: {
            m.open(BTL_SHEET_B, {.ground = true});
            BattleActor& e0 = m.spawn(me.x, BTL_GROUND_Y, 3);
            e0.layer = 2;
            e0.stash_x = 1;
            return 0;
        }
        case 1:
            m.spawn(me.x, BTL_GROUND_Y, 5).stash_x = 1;
            {
                BattleActor& e2 = m.spawn(me.x, BTL_GROUND_Y, 15);
                e2.layer = 2;
                e2.stash_x = 1;
            }
            if (move == 15) spawn_bats(m);
            me.timer = 0;
            btl_sound(SFX_SPELL_RELEASE);
            me.step = 2;
            return 0;
        case 2: circle_grows(m, move); return 0;
        case 3:
            if (circle_closes(m, move) && spell_setup(m, move)) me.step = 4;
            m.pan_fast();
            return 0;
        case 4: {
            const bool spent = move == 14 ? lightning(m) : move == 15 ? bats_dive(m) : shards_fall(m, move);
            if (spent) {
                hide_circle(m, move == 14 ? 4 : 3);
                m.release();
                me.step = 5;
            }
            m.pan_fast();
            return 0;
        }
        default: return m.finish_quiet(5);
    }
}

}  // namespace

uint16_t cls28_move12(int16_t side) { return count_spell(side, 12); }
uint16_t cls28_move13(int16_t side) { return count_spell(side, 13); }
uint16_t cls28_move14(int16_t side) { return count_spell(side, 14); }
uint16_t cls28_move15(int16_t side) { return count_spell(side, 15); }

void cls28_handler(int16_t side, uint16_t* done) {
    static constexpr ClassHandlerFacts facts = [] {
        ClassHandlerFacts f = btl_facts_poses(BTL_USUAL_FACTS, 2, 6, 5, 15);
        f.frames[7] = {2, 6};
        f.frames[8] = {6, 6};
        return f;
    }();
    static constexpr MoveTable moves = {cls28_move12, cls28_move13, cls28_move14, cls28_move15};
    btl_common_handler(side, done, facts, moves);
}
