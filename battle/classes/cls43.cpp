// Class 43, the scylla: a tentacle that seizes and squeezes the opponent,
// and two hounds that leap over it, turn and bite.
// Move choice: btl_choose_move_for_class, case 43 (battle/scene.cpp).
#include "battle/classes/classes.h"

namespace {
constexpr int32_t HOUNDS = 2;
}  // namespace

// Move 12: the tentacle shoots out, drags the opponent back and squeezes it:
// five squeezes without damage, then the blow. E0 the tentacle, E1 its tip.
uint16_t cls43_move12(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    switch (me.step) {
        case 0: m.open(BTL_SHEET_B, {.frame = 0, .sound = SFX_MONSTER_SPELL}); [[fallthrough]];
        case 1:
            m.draw_from_sheet();
            if (me.timer < 7)
                m.walk_frame();
            else
                me.frame = me.timer + 4;
            if (me.frame == 12) {
                m.spawn(me.x + m.fwd(25), BTL_GROUND_Y, 13);
                m.spawn(me.x + m.fwd(8), BTL_GROUND_Y, 26);
                btl_sound(SFX_GUST);
                me.step = 2;
            }
            ++me.timer;
            return 0;
        case 2:
            if (m.reach_out(m.fx(0), m.fx(1), 4, 4, 27)) me.step = 3;
            return 0;
        case 3: {
            BattleActor& tentacle = m.fx(0);
            if (m.draw_back(tentacle, m.fx(1), 4, 13)) {
                btl_actor_hide(m.fx_id(0));
                btl_actor_hide(m.fx_id(1));
                me.frame = 23;
                tentacle.x += m.fwd(1);
                me.timer = 0;
                tentacle.timer = 0;
                me.step = 4;
            }
            return 0;
        }
        case 4: {
            // E0's timer counts the squeezes.
            BattleActor& count = m.fx(0);
            m.walk_frame(23);
            if (m.idle() && m.alive() && me.frame != 24 && count.timer < 6) {
                opp.recoil = 0;
                if (count.timer == 5) {
                    m.hit(1, 2);
                    opp.stash_y = -32;
                } else {
                    m.flinch(count.timer % 2 == 0 ? 6 : 5, SFX_BLOW);
                }
                ++count.timer;
            }
            if (count.timer >= 6 || !m.alive()) me.step = 5;
            ++me.timer;
            btl_pan_view_fast(m.oside);
            return 0;
        }
        case 5:
            m.hide_and_release();
            btl_pan_view_fast(m.oside);
            me.step = 6;
            return 0;
        case 6:
            btl_pan_view_fast(m.oside);
            m.cleanup(false);
            return 0;
        default: return m.end();
    }
}

// Move 13: two hounds are thrown, leap up over the opponent, cling above,
// drop back behind it and bite it eight times: bites 1, 4 and 7 deal damage,
// the others hold it in poses 3 and 4.
uint16_t cls43_move13(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    BattleActor& opp = m.opp;
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B, {.frame = 10});
            me.stash_x = 0;  // hounds out
            btl_sound(SFX_MONSTER_SPELL);
            [[fallthrough]];
        case 1:
            m.walk_frame();
            if (me.stash_x >= 1) {
                BattleActor& first = m.fx(0);
                first.x += m.fwd(4);
                first.y += 2 * first.stash_y;
            }
            if (me.timer >= 7 && me.stash_x < HOUNDS) {
                btl_sound(SFX_HOUND_THROW);
                BattleActor& h = m.spawn(me.x + m.fwd(4), 192, 3);
                h.timer = 3;
                h.stash_y = -16;
                ++me.stash_x;
                m.pan_slow();
                if (me.stash_x == HOUNDS) {
                    me.timer = 0;
                    opp.hit_count = 0;
                    me.stash_y = 0;
                    me.step = 2;
                }
            }
            ++me.timer;
            return 0;
        case 2:
            for (int32_t i = 0; i < HOUNDS; ++i) {
                BattleActor& h = m.fx(i);
                h.frame = h.frame >= 5 && h.frame <= 7 ? 5 + me.timer % 3 : h.timer + me.timer % 2;
                h.y += h.stash_y;
                h.x += h.stash_x == 2 ? -m.fwd(2) : m.fwd(2);
                if (h.y < 65) {
                    // It clings upside down above the field.
                    h.y = 84;
                    h.frame = 5;
                    h.stash_y = 0;
                    h.flags ^= 2;
                    m.fx(0).x += m.fwd(2);
                }
                if (h.stash_x == 1 && h.stash_y == 0 && m.ahead(opp.x, h.x) > 8) {
                    // Past the opponent: it drops, turned back toward it.
                    h.stash_y = i == 1 ? 36 : 28;
                    h.stash_x = 2;
                    h.y = 64 + h.stash_y;
                    h.flags = me.flags ^ 1;
                    h.frame = 8;
                    h.timer = 8;
                }
                if (h.stash_x == 2 && m.gap(h) < 4) {
                    me.timer = 0;
                    h.timer = 0;
                    ++me.stash_y;
                }
                if (h.stash_x == 0 && m.gap(h) < 8) h.stash_x = 1;
            }
            if (me.stash_y >= 2) {
                BattleActor& second = m.fx(1);
                second.flags ^= 1;
                second.y = 184;
                second.x = opp.x - m.fwd(4);
                for (int32_t i = 0; i < HOUNDS; ++i) m.fx(i).frame = 5 + me.timer % 3;
                // The bites are counted from here.
                me.stash_x = 0;
                me.step = 3;
            }
            ++me.timer;
            if (me.timer % 3 == 0) btl_sound(SFX_HOUNDS);
            m.pan_slow();
            return 0;
        case 3: {
            ++me.timer;
            const bool biting = me.stash_x < 8 && m.alive();
            for (int32_t i = 0; i < HOUNDS; ++i) {
                BattleActor& h = m.fx(i);
                h.frame = 5 + me.timer % 3;
                ++h.timer;
                if (biting) {
                    if (me.timer % 3 == 2) {
                        // Side 0 bites from the side the hound is on,
                        // side 1 from the other.
                        const bool left = (h.x < opp.x) == (side == 0);
                        h.x = left ? opp.x - 4 : opp.x + 4;
                        h.flags ^= 1;
                    }
                } else {
                    h.y = BTL_GROUND_Y;
                    h.flags = me.flags;
                    h.x += m.fwd(3);
                    if (me.timer % 3 == 0) btl_sound(SFX_HOUNDS);
                }
            }
            BattleActor& second = m.fx(1);
            if (m.idle() && m.alive() && second.timer >= 3 && me.stash_x < 8) {
                const int32_t bite = me.stash_x;
                if (bite % 3 != 1) {
                    opp.state = bite % 2 ? 3 : 4;
                    second.timer = 0;
                } else if (bite == 7) {
                    m.hit(1, 2);
                } else {
                    m.hit(me.timer % 2 ? 5 : 6, 0);
                }
                ++me.stash_x;
            }
            if (second.x < -15 || second.x > 95) me.step = 4;
            m.pan_slow();
            return 0;
        }
        case 4:
            m.hide_and_release();
            me.step = 5;
            return 0;
        default: return m.finish(5, false, 0);
    }
}

void cls43_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls43_move12, cls43_move13, nullptr, nullptr};
    static constexpr ClassHandlerFacts facts = btl_monster_facts(8, 8, 6, 8);
    btl_common_handler(side, done, facts, moves);
}
