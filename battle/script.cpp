// The class scripts' common handler and the toolkit of move steps.
#include "battle/script.h"

#include <algorithm>
#include <cstdlib>

#include "platform/input.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "tactics/units.h"

namespace {

BattleActor& actor(int32_t i) { return btl_actor(i); }

void set_companion_pose(const BattleActor& f, int32_t pose) {
    if (f.companion >= 2 && f.companion < BTL_ACTORS) actor(f.companion).state = static_cast<int16_t>(pose);
}

int32_t pose_for(const ClassHandlerFacts& facts, const BattleActor& f, int32_t pose) {
    if (pose == POSE_BY_HEIGHT) return f.y >= facts.height_line ? facts.pose_ground : facts.pose_air;
    return pose;
}

void apply_pose(const ClassHandlerFacts& facts, const BattleActor& f, int32_t state) {
    const int32_t pose = pose_for(facts, f, facts.pose[static_cast<size_t>(state)]);
    if (pose != POSE_KEEP) set_companion_pose(f, pose);
}

void set_loop(BattleActor& f, const ClassHandlerFacts& facts, int32_t state) {
    f.loop_first = facts.frames[static_cast<size_t>(state)][0];
    f.loop_last = facts.frames[static_cast<size_t>(state)][1];
}

}  // namespace

void btl_sound(SoundEffect n) {
    if (n != SFX_NONE) snd_play_effect(n);
}

int32_t btl_random(int32_t n) { return n > 0 ? util_random() % n : 0; }

// --- the handler -------------------------------------------------------------------

void btl_common_handler(int16_t side, uint16_t* done, const ClassHandlerFacts& facts, const MoveTable& moves) {
    BattleActor& f = actor(side);
    const int32_t state = f.state;
    switch (state) {
        case 0:
            set_loop(f, facts, 0);
            if (facts.stand_ground_y >= 0) f.ground_y = facts.stand_ground_y;
            if (facts.stand == StandCall::NextFrame) {
                btl_actor_next_frame(side);
            } else {
                if (facts.stand == StandCall::HoverHeld) f.stash_y = 8;
                btl_actor_hover(side);
            }
            apply_pose(facts, f, 0);
            break;
        case 1:
        case 2:
            set_loop(f, facts, state);
            btl_apply_hit(side);
            apply_pose(facts, f, state);
            break;
        case 3:
        case 4:
            f.frame = facts.frames[static_cast<size_t>(state)][0];
            if (state == 4 && (facts.flags & HF_STATE4_HITS)) {
                set_loop(f, facts, 4);
                btl_apply_hit(side);
            }
            apply_pose(facts, f, state);
            break;
        case 5:
        case 6:
            set_loop(f, facts, state);
            f.recoil = 0;
            if (state == 6) f.timer = 0;
            btl_apply_hit(side);
            apply_pose(facts, f, state);
            break;
        case 7:
            set_loop(f, facts, 7);
            if (facts.flags & HF_FALL_POSE_FIRST) {
                apply_pose(facts, f, 7);
                btl_anim_fall(side);
            } else {
                btl_anim_fall(side);
                apply_pose(facts, f, 7);
            }
            break;
        case 8:
        case 9:
            f.frame = facts.frames[static_cast<size_t>(state)][0];
            apply_pose(facts, f, state);
            break;
        case 12:
        case 13:
        case 14:
        case 15: {
            const MoveRoutine move = moves[static_cast<size_t>(state - 12)];
            *done = state <= facts.highest && move ? move(side) : 1;
            break;
        }
        default: *done = 1; break;
    }
    if (facts.flags & HF_POSE0_GROUND0) {
        set_companion_pose(f, 0);
        f.ground_y = 0;
    }
    btl_actor_update_companion(side);
}

// --- the move toolkit -----------------------------------------------------------------

Move::Move(int16_t s, Layers l)
    : side(static_cast<int16_t>(s & 1)),
      oside(static_cast<int16_t>((s & 1) ^ 1)),
      dir(static_cast<int16_t>((s & 1) == 0 ? 1 : -1)),
      me(g_btl_actor[static_cast<size_t>(s & 1)]),
      opp(g_btl_actor[static_cast<size_t>((s & 1) ^ 1)]) {
    if (l == Layers::Set) layers();
}

int32_t Move::dist() const { return std::abs(opp.x - me.x); }
int32_t Move::gap(const BattleActor& a) const { return std::abs(opp.x - a.x); }

int32_t Move::fx_id(int32_t i) const { return btl_effect_index(me.first_effect, i); }
BattleActor& Move::fx(int32_t i) const { return actor(fx_id(i)); }

int16_t Move::sheet_slot() const { return g_btl_actor[MOVE_SHEET_ACTOR].slot; }

void Move::busy(bool on) const { g_btl_hit_phase[side] = on ? 1 : 0; }

void Move::jolt() const { g_btl_jolt = 1280; }

void Move::setup(int32_t variant, bool draw) {
    g_btl_hit_phase[side] = 1;
    me.first_effect = static_cast<int16_t>(g_btl_next_actor);
    if (g_btl_animated && variant >= 0) btl_load_actor_sprite(MOVE_SHEET_ACTOR, me.class_id, variant);
    // A move without a sheet of its own leaves no slot for the clean-up to free.
    if (variant < 0) g_btl_actor[MOVE_SHEET_ACTOR].slot = -1;
    g_btl_next_actor = me.first_effect;
    me.saved_slot = me.slot;
    if (variant >= 0 && draw) me.slot = sheet_slot();
    me.first_effect = static_cast<int16_t>(g_btl_next_actor);
}

BattleActor& Move::spawn(int32_t x, int32_t y, int32_t frame) {
    const int32_t n = btl_take_actor();
    BattleActor& e = actor(n);
    btl_actor_set_present(n, true);
    e.slot = sheet_slot();
    e.layer = 3;
    e.flags = me.flags;
    e.x = static_cast<int16_t>(x);
    e.y = static_cast<int16_t>(y);
    e.frame = static_cast<int16_t>(frame);
    e.class_id = e.state = e.step = 0;
    e.timer = e.stash_x = e.stash_y = e.down_flag = e.hit_count = 0;
    return e;
}

void Move::layers() const {
    me.layer = 1;
    opp.layer = 2;
}

void Move::draw_from_sheet() const { me.slot = sheet_slot(); }

void Move::pan_slow() const { btl_pan_view_slow(side); }
void Move::pan_fast() const { btl_pan_view_fast(side); }

void Move::trail(int32_t step, int32_t a) const {
    g_btl_ghost_step = static_cast<uint16_t>(step);
    g_btl_ghost_target = static_cast<uint16_t>(a);
}

void Move::trail_off() const { g_btl_ghost_step = 0; }

void Move::footstep() const {
    if (g_btl_animated) btl_sound(g_btl_backdrop_kind == BTL_WATER ? SFX_FOOTSTEP_WATER : SFX_FOOTSTEP);
}

void Move::companion(int32_t pose) const { set_companion_pose(me, pose); }

void Move::companion_by_height(int32_t ground, int32_t air, int32_t line) const {
    companion(me.y >= line ? ground : air);
}

void Move::walk_step(const WalkStep& w) const {
    draw_from_sheet();
    if (w.count_first) ++me.timer;
    me.frame = static_cast<int16_t>(w.base + g_btl_walk_frames[static_cast<size_t>(me.timer & 3)]);
    if (!w.count_first) ++me.timer;
    me.x = static_cast<int16_t>(me.x + fwd(w.speed));
    if (w.pose >= 0) companion(w.pose);
    pan_slow();
    if (me.frame == w.base + 1 && !w.quiet) {
        if (w.sound == SFX_FOOTSTEP)
            footstep();
        else if (g_btl_animated)
            btl_sound(w.sound);
    }
}

bool Move::walk_up(int32_t below, int32_t arrive_frame, const WalkStep& w) const {
    walk_step(w);
    return arrive(below, arrive_frame);
}

bool Move::approach(int32_t below, int32_t arrive_frame, const WalkStep& w) {
    if (me.step == 0) {
        open(BTL_SHEET_B);
        if (w.after_setup) return false;
    }
    if (!walk_up(below, arrive_frame, w)) return false;
    me.step = 2;
    return true;
}

bool Move::frame_run(BattleActor& a, int32_t first, int32_t last, int32_t per, bool count_first) {
    if (count_first) ++a.timer;
    a.frame = static_cast<int16_t>(first + a.timer / per);
    if (!count_first) ++a.timer;
    return a.frame > last;
}

void Move::frame_loop(BattleActor& a, int32_t first, int32_t count, int32_t per, bool count_first) {
    if (count_first) ++a.timer;
    a.frame = static_cast<int16_t>(first + a.timer / per % count);
    if (!count_first) ++a.timer;
}

void Move::take_off(int32_t rise, SoundEffect sound) const {
    me.stash_y = static_cast<int16_t>(rise);
    me.ground_y = me.y;
    btl_sound(sound);
}

void Move::close_in(int32_t n) const {
    if (dist() > n) me.x = static_cast<int16_t>(me.x + dir);
}

bool Move::idle() const { return g_btl_hit_phase[oside] == 0; }
bool Move::alive() const { return g_btl_combatant[oside] && g_btl_combatant[oside]->hp != 0; }

bool Move::in_reach(int32_t a, int32_t b, int32_t c, int32_t d) const {
    return btl_opponent_in_reach(side, a, b, c, d) != 0;
}

bool Move::in_reach_of(int32_t a, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
    return btl_opponent_in_reach_of(a, x1, y1, x2, y2, side) != 0;
}

bool Move::hitbox(int32_t a, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const {
    return btl_hitbox_hits_opponent(a, x1, y1, x2, y2, side) != 0;
}

void Move::hit(int32_t state, int32_t recoil, SoundEffect sound) const {
    opp.state = static_cast<int16_t>(state);
    opp.recoil = static_cast<int16_t>(recoil);
    g_btl_hit_phase[oside] = 1;
    btl_calc_damage(side);
    btl_sound(sound);
}

bool Move::try_hit(int32_t state, int32_t recoil, int32_t below, SoundEffect sound) const {
    if (!idle() || !alive() || opp.hit_count >= below) return false;
    hit(state, recoil, sound);
    return true;
}

void Move::flinch(int32_t state, SoundEffect sound) const {
    opp.state = static_cast<int16_t>(state);
    g_btl_hit_phase[oside] = 1;
    btl_sound(sound);
}

void Move::free_sheet() const { btl_free_slot(sheet_slot()); }

void Move::release() const { g_btl_next_actor = me.first_effect; }

void Move::hide_effects(int32_t n) const {
    for (int32_t i = 0; i < n; ++i) btl_actor_hide(fx_id(i));
}

void Move::hide_and_release(int32_t n) const {
    hide_effects(n);
    release();
}

bool Move::cleanup(bool with_release) const {
    if (!idle()) return false;
    free_sheet();
    btl_msg_damage(oside);
    g_btl_hit_phase[side] = 0;
    me.slot = me.saved_slot;
    if (hovers)
        btl_actor_hover(side);
    else
        btl_actor_next_frame(side);
    if (with_release) hide_and_release();
    ++me.step;
    return true;
}

bool Move::cleanup_keep_busy(bool with_release) const {
    if (!cleanup(with_release)) return false;
    busy(true);
    return true;
}

uint16_t Move::end() const {
    btl_msg_damage(oside);
    g_btl_hit_phase[side] = 0;
    me.state = 0;
    return 1;
}

void Move::opp_companion(int32_t pose) const { set_companion_pose(opp, pose); }

void Move::companion_glide(int32_t line) const { companion(me.y >= BTL_GROUND_Y ? 3 : me.y >= line ? 5 : 7); }

void Move::recover() const {
    int16_t& counter = *g_btl_target_status_ptr;
    bool full = false;
    if (opp.state == 9) {
        ++counter;
        if (counter == 0) {
            opp.state = 0;
            full = true;
        }
    }
    if (opp.state == 8) {
        opp.state = 9;
        counter = -1;
    }
    if (opp.state != 0)
        btl_msg_waiting(side);
    else
        btl_heal(side, full ? 99 : 0);
}

void Move::wing_beat() const {
    if (g_btl_animated && me.timer % 5 == 0) btl_sound(SFX_WING_BEAT);
}

void Move::bob(BattleActor& e) {
    const int32_t t = e.timer & 3;
    e.y = static_cast<int16_t>(e.y + (t == 1 || t == 2 ? -6 : 6));
}

void Move::send_to_partner(int32_t frame, int32_t trail_step) {
    spawn(me.x + fwd(2), BTL_GROUND_Y, frame);
    trail(trail_step, fx_id(0));
    me.timer = 0;
    btl_sound(SFX_CAST);
}

bool Move::float_to_partner(BattleActor& e) const {
    const bool there = gap(e) < 3;
    if (there)
        e.stash_x = e.stash_y = 0;
    else
        e.x = static_cast<int16_t>(e.x + fwd(2));
    pan_slow();
    return there;
}

bool Move::circle(BattleActor& e) const {
    const bool turn = gap(e) > 2;
    if (turn) {
        e.layer = static_cast<int16_t>(e.layer == 3 ? 2 : 3);
        e.stash_x = static_cast<int16_t>(e.stash_x ? 0 : 1);
        ++e.stash_y;
    }
    e.x = static_cast<int16_t>(e.x + fwd(e.stash_x ? -2 : 2));
    return turn;
}

bool Move::circle_partner(void (*on_turn)(BattleActor&)) const {
    BattleActor& e = fx(0);
    if (circle(e) && on_turn) on_turn(e);
    const bool given = recover_when_circled(fx_id(0));
    pan_slow();
    return given;
}

bool Move::quiet_cleanup() const {
    if (!idle()) return false;
    release();
    free_sheet();
    me.slot = me.saved_slot;
    btl_actor_next_frame(side);
    ++me.step;
    return true;
}

uint16_t Move::quiet_end() const {
    me.state = 0;
    g_btl_hit_phase[side] = 0;
    return 1;
}

bool Move::strike_frames(int32_t last) const {
    if (me.frame < last) {
        ++me.frame;
        if (dist() < 4) me.x = static_cast<int16_t>(me.x + dir);
    }
    return me.frame == last;
}

uint16_t btl_melee_strike(int16_t side, int32_t below, int32_t arrive_frame, int32_t last) {
    Move m(side);
    BattleActor& me = m.me;
    switch (me.step) {
        case 0:
        case 1: m.approach(below, arrive_frame); return 0;
        case 2:
            if (m.strike_frames(last)) me.step = 3;
            if (m.in_reach(0, -48, 5, 32)) m.try_hit(1, 2, 1);
            m.pan_slow();
            return 0;
        default: return m.finish(3, true);
    }
}

bool Move::recover_when_circled(int32_t ei) const {
    BattleActor& e = actor(ei);
    if (e.stash_y <= 6) return false;
    ++me.timer;
    btl_sound(SFX_RECOVERY);
    if (me.timer <= 3) return false;
    recover();
    btl_actor_stash_position(ei);
    me.timer = 0;
    trail_off();
    e.timer = e.stash_x = 0;
    return true;
}

uint16_t Move::finish(int32_t at, bool with_release, int32_t pan) const {
    if (me.step > at) return end();
    if (pan == BTL_PAN_SLOW) pan_slow();
    if (pan == BTL_PAN_FAST) pan_fast();
    cleanup(with_release);
    return 0;
}

uint16_t Move::finish_quiet(int32_t at) const {
    if (me.step > at) return quiet_end();
    pan_slow();
    quiet_cleanup();
    return 0;
}

bool btl_off_field(const BattleActor& a, int32_t lo, int32_t hi) { return a.x < lo || a.x > hi; }

const Palette16 g_btl_white_palette = [] {
    Palette16 p{};
    for (auto& c : p.colour) c[0] = c[1] = c[2] = 15;
    return p;
}();

// --- the monsters' and the last enemy's steps ------------------------------------

const std::array<uint16_t, 49> g_class_grounded = [] {
    std::array<uint16_t, 49> t{};
    t.fill(1);
    for (int c : {4, 5, 20, 23, 29, 33, 42, 46, 47, 48}) t[static_cast<size_t>(c)] = 0;
    return t;
}();

void btl_companion_pose(int32_t a, int32_t pose) { set_companion_pose(actor(a), pose); }

bool Move::arrive(int32_t below, int32_t arrive_frame) const {
    if (dist() >= below) return false;
    me.timer = 0;
    opp.hit_count = 0;
    me.frame = static_cast<int16_t>(arrive_frame);
    return true;
}

void Move::walk_frame(int32_t base) const {
    me.frame = static_cast<int16_t>(base + g_btl_walk_frames[static_cast<size_t>(me.timer & 3)]);
}

bool Move::past_far_edge(const BattleActor& a, int32_t margin) const {
    return side == 0 ? a.x > 80 + margin : a.x < -margin;
}

void Move::seize(const BattleActor& holder) const {
    opp.state = 4;
    opp.x = holder.x;
    const int32_t cls = std::clamp<int32_t>(opp.class_id, 0, 48);
    opp.y = static_cast<int16_t>(g_class_grounded[static_cast<size_t>(cls)] ? 208 : 224);
}

void Move::setup_base(int32_t variant) const {
    g_btl_hit_phase[side] = 1;
    me.w42 = static_cast<int16_t>(g_btl_next_actor);
    if (g_btl_animated) btl_load_actor_sprite(MOVE_SHEET_ACTOR, me.class_id, variant);
    g_btl_next_actor = me.w42;
}

BattleActor& Move::fx_base(int32_t i) const { return actor(btl_effect_index(me.w42, i)); }

void Move::release_base() const { g_btl_next_actor = me.w42; }

bool Move::cleanup_base() const {
    if (!idle()) return false;
    free_sheet();
    btl_msg_damage(oside);
    ++me.step;
    return true;
}

void Move::open(int32_t variant, const Opening& o) {
    setup(variant, o.draw);
    me.timer = 0;
    me.step = 1;
    if (o.frame >= 0) me.frame = o.frame;
    if (o.ground) me.ground_y = BTL_GROUND_Y;
    if (o.pose >= 0) companion(o.pose);
    btl_sound(o.sound);
}

bool Move::swing(int32_t hit_frame, int32_t end_frame, int32_t state, int32_t recoil) const {
    ++me.frame;
    pan_slow();
    if (me.frame == hit_frame && idle() && opp.hit_count < 1) hit(state, recoil);
    return me.frame >= end_frame;
}

bool Move::reach_out(BattleActor& root, BattleActor& tip, int32_t speed, int32_t near, int32_t tip_frame) const {
    ++root.frame;
    tip.x = static_cast<int16_t>(tip.x + fwd(speed));
    pan_fast();
    if (gap(tip) >= near) return false;
    tip.frame = static_cast<int16_t>(tip_frame);
    seize(tip);
    btl_sound(SFX_VANISH);
    return true;
}

bool Move::draw_back(BattleActor& root, BattleActor& tip, int32_t speed, int32_t first) const {
    --root.frame;
    tip.x = static_cast<int16_t>(tip.x - fwd(speed));
    opp.x = tip.x;
    btl_pan_view_fast(oside);
    return root.frame < first;
}
