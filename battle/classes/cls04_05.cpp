// Classes 4 and 5, the siren and the valkyrie: both float (the hover stand)
// and share the song, which cheers the partner with two messages and no
// change to any unit. The siren glides in and strikes; the valkyrie soars
// out of sight and dives, or throws a spear from the sky.
// Move choice: btl_choose_move_for_class, cases 4 and 5 (battle/scene.cpp).
#include <cstdio>

#include "battle/classes/classes.h"
#include "platform/text.h"
#include "tactics/units.h"

namespace {

// The hover stand; every other pose two frames later than the wizard's.
constexpr ClassHandlerFacts FLOAT_FACTS = [] {
    ClassHandlerFacts f = BTL_COMMON_FACTS;
    f.frames = {{{0, 2}, {0, 3}, {0, 4}, {3, 3}, {4, 4}, {3, 3}, {3, 4}, {4, 8}, {8, 8}, {7, 7}}};
    f.stand = StandCall::Hover;
    f.pose[0] = POSE_KEEP;  // the hover places the shadow
    return f;
}();

// Every frame of the valkyrie's moves: the ground line 240 and her shadow
// by height (3 on the ground, 5 down to 226, 7 above); the set-up draws her
// from the sheet at y 240 and goes on to step 1. True in the set-up frame.
bool valkyrie_frame(Move& m) {
    m.me.ground_y = BTL_GROUND_Y;
    m.companion_glide(BTL_ON_GROUND_Y);
    if (m.me.step != 0) return false;
    m.open(BTL_SHEET_B);
    m.me.y = BTL_GROUND_Y;
    return true;
}

// The message box with its two lines (line 16 may be empty).
void box_lines(const char* first, const char* second) {
    btl_msgbox_clear();
    txt_draw_string(26, 15, first, 15);
    if (second) txt_draw_string(26, 16, second, 15);
}

// "<mover> 은/는" over "격려의 노래를 연주했다.".
void song_message(int16_t side) {
    const char* name = unit_display_name(g_btl_combatant[side]);
    char line[96];
    std::snprintf(line, sizeof line, "%s%s", name, txt_ends_without_final(name) ? "는 " : "은 ");
    box_lines(line, "격려의 노래를 연주했다.");
}

// The siren's glide and strike: the glide starts in the set-up frame and
// ends on `arrive` less than 8 cells from the opponent, the unguarded hit
// comes at frame `strike` and the clean-up from frame `last`. The shadow by height against `line`, at the
// start of each frame or, when `pose_after`, after its work.
uint16_t glide_strike(int16_t side, int16_t arrive, int16_t strike, int16_t last, int32_t line, bool pose_after) {
    Move m(side);
    BattleActor& me = m.me;
    me.ground_y = BTL_GROUND_Y;
    if (!pose_after) m.companion_glide(line);
    switch (me.step) {
        case 0:
            m.open(BTL_SHEET_B);
            me.y = BTL_GROUND_Y;
            [[fallthrough]];
        case 1:
            m.wing_beat();
            ++me.timer;
            me.x = static_cast<int16_t>(me.x + m.fwd(2));
            me.y = static_cast<int16_t>(BTL_GROUND_Y - g_btl_hover_table[static_cast<size_t>(me.timer % 18)]);
            me.frame = static_cast<int16_t>((me.timer / 2) % 3);
            m.pan_slow();
            if (m.dist() < 8) {
                me.frame = arrive;
                me.timer = 0;
                m.opp.hit_count = 0;
                me.step = 2;
            }
            break;
        case 2:
            ++me.frame;
            m.pan_slow();
            if (me.frame == strike) m.hit(2, 2);
            if (me.frame == last) me.step = 3;
            break;
        case 3:
            m.pan_slow();
            m.cleanup();
            break;
        default: return m.end();
    }
    if (pose_after) m.companion_glide(line);
    return 0;
}

}  // namespace

// "<partner>의 행동력이 늘었다.".
void cls04_msg_power_up(int16_t side) {
    char line[96];
    std::snprintf(line, sizeof line, "%s의 행동력이 늘었다.", unit_display_name(g_btl_combatant[side ^ 1]));
    box_lines(line, nullptr);
}

// The song: its message, a note that hops to the partner and bounces three
// times, the partner's message. No sheet, the mover never busy, no layers.
uint16_t cls04_move12(int16_t side) {
    Move m(side, Layers::Keep);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
            me.frame = 9;
            me.ground_y = BTL_GROUND_Y;
            m.companion(5);
            me.step = 1;
            return 0;
        case 1:
            song_message(side);
            me.frame = 10;
            me.timer = 0;
            btl_sound(SFX_CAST);
            me.step = 2;
            return 0;
        case 2:
            if (me.timer == 0) song_message(side);
            me.frame = static_cast<int16_t>(9 + (me.timer / 3) % 2);
            if (++me.timer == 13) {
                me.timer = 0;
                m.pan_fast();
                me.step = 3;
            }
            return 0;
        case 3: {
            me.first_effect = static_cast<int16_t>(g_btl_next_actor);
            BattleActor& note = m.spawn(me.x + m.fwd(4), BTL_GROUND_Y, 11);
            note.slot = me.slot;
            note.flags = 0;
            m.trail(1, m.fx_id(0));
            m.pan_fast();
            me.step = 4;
            return 0;
        }
        case 4: {
            BattleActor& note = m.fx(0);
            ++note.timer;
            note.x = static_cast<int16_t>(note.x + m.fwd(2));
            note.y = static_cast<int16_t>(BTL_GROUND_Y - 2 * g_btl_hover_table[static_cast<size_t>(note.timer % 18)]);
            m.pan_slow();
            if (m.gap(note) < 2) {
                note.timer = 0;
                note.stash_y = -40;
                note.y = 200;
                btl_sound(SFX_RECOVERY);
                me.step = 5;
            }
            return 0;
        }
        case 5: {
            BattleActor& note = m.fx(0);
            note.stash_y = static_cast<int16_t>(note.stash_y + 10);
            note.y = static_cast<int16_t>(note.y + note.stash_y);
            m.pan_slow();
            if (note.y >= BTL_GROUND_Y) {
                note.y = BTL_GROUND_Y;
                note.stash_y = -40;
                btl_sound(SFX_RECOVERY);
                if (++note.timer >= 3) me.step = 6;
            }
            return 0;
        }
        case 6:
            m.trail_off();
            m.release();
            cls04_msg_power_up(side);
            me.step = 7;
            return 0;
        case 7:
            cls04_msg_power_up(side);
            me.step = 8;
            return 0;
        default: return m.quiet_end();
    }
}

// --- class 4 ----------------------------------------------------------------------

uint16_t cls04_move13(int16_t side) { return glide_strike(side, 3, 4, 5, 208, false); }
uint16_t cls04_move14(int16_t side) { return glide_strike(side, 6, 7, 9, 210, true); }

void cls04_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls04_move12, cls04_move13, cls04_move14, nullptr};
    btl_common_handler(side, done, FLOAT_FACTS, moves);
}

// --- class 5 ----------------------------------------------------------------------

// The soaring dive: she climbs out of sight gliding in, then falls 60 px a
// frame just short of the opponent with one hit, through the bottom of the
// picture to column -5. The glide starts in the set-up frame.
uint16_t cls05_move13(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    valkyrie_frame(m);
    switch (me.step) {
        case 1:
            m.wing_beat();
            ++me.timer;
            me.x = static_cast<int16_t>(me.x + m.fwd(2));
            me.y = static_cast<int16_t>(BTL_GROUND_Y - g_btl_hover_table[static_cast<size_t>(me.timer % 18)] -
                                        32 * me.timer);
            me.frame = static_cast<int16_t>((me.timer / 2) % 3);
            m.pan_slow();
            if (m.dist() < 5) {
                me.x = static_cast<int16_t>(m.opp.x - m.fwd(4));
                me.y = 0;
                me.timer = 0;
                m.trail(2, side);
                me.frame = 3;
                me.step = 2;
            }
            return 0;
        case 2:
            me.x = static_cast<int16_t>(me.x + m.dir);
            me.y = static_cast<int16_t>(me.y + 60);
            m.pan_slow();
            if (me.y > 239) m.try_hit(1, 2, 1);
            if (me.y > 400) {
                me.y = 420;
                me.x = -5;
                m.trail_off();
                me.step = 3;
            }
            return 0;
        default: return m.finish(3, true);
    }
}

// The spear: thrown from the sky 14 cells short of the opponent, it bursts
// on its column (up to two hits), then flies off the far side. The set-up
// frame does nothing else.
uint16_t cls05_move14(int16_t side) {
    Move m(side);
    BattleActor& me = m.me;
    if (valkyrie_frame(m)) return 0;
    switch (me.step) {
        case 1:
            m.wing_beat();
            me.timer = static_cast<int16_t>(me.timer + 2);
            me.frame = static_cast<int16_t>(4 + (me.timer / 3) % 2);
            if (me.timer > 12) {
                me.timer = 0;
                BattleActor& spear = m.spawn(m.opp.x - m.fwd(14), 32, 9);
                spear.slot = me.slot;
                spear.stash_y = 32;
                m.trail(1, m.fx_id(0));
                m.pan_fast();
                me.step = 2;
            }
            return 0;
        case 2: {
            BattleActor& spear = m.fx(0);
            spear.y = static_cast<int16_t>(spear.y + spear.stash_y);
            spear.stash_y = static_cast<int16_t>(spear.stash_y + 12);
            m.pan_fast();
            if (spear.y >= BTL_GROUND_Y) {
                spear.y = BTL_GROUND_Y;
                m.spawn(m.opp.x, BTL_GROUND_Y, 10).slot = me.slot;
                m.trail(1, m.fx_id(1));
                me.step = 3;
            }
            return 0;
        }
        case 3: {
            BattleActor& burst = m.fx(1);
            m.frame_loop(burst, 10, 3);
            if (burst.frame == 12) m.try_hit(1, 2, 2);
            if (m.opp.hit_count >= 2 || !m.alive()) {
                btl_actor_hide(m.fx_id(1));
                m.trail(1, m.fx_id(0));
                me.step = 4;
            }
            m.pan_fast();
            return 0;
        }
        case 4: {
            BattleActor& spear = m.fx(0);
            spear.x = static_cast<int16_t>(spear.x + m.fwd(2));
            if (side == 0 ? spear.x > 95 : spear.x < -15) {
                m.hide_and_release();
                me.step = 5;
            } else {
                spear.y = static_cast<int16_t>(spear.y - 4);
                if (side == 0 ? spear.x > 80 : spear.x < 0) m.trail_off();
            }
            m.pan_fast();
            return 0;
        }
        default: return m.finish(5, true);
    }
}

void cls05_handler(int16_t side, uint16_t* done) {
    static constexpr MoveTable moves = {cls04_move12, cls05_move13, cls05_move14, nullptr};
    btl_common_handler(side, done, FLOAT_FACTS, moves);
}
