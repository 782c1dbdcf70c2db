// The class battle scripts' common shape: the handler every class shares,
// driven by one constant record of handler facts, and the toolkit of named
// steps that the move routines are written with (set-up, effect actors,
// walk-up, hits and flinches, clean-up, end, trails). A class file holds its
// facts, its move routines and nothing else.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "battle/battle.h"
#include "platform/palette.h"
#include "platform/sound.h"

// --- the handler -------------------------------------------------------------------

constexpr int8_t POSE_KEEP = -1;       // the state leaves the companion pose as it is
constexpr int8_t POSE_BY_HEIGHT = -2;  // the ground pose on the ground, the air pose above it

enum class StandCall : uint8_t {
    NextFrame,  // btl_actor_next_frame on the stand loop
    Hover,      // btl_actor_hover (floating classes)
    HoverHeld,  // the hover phase held at 8 before each hover: a steady float
};

// Handler flags.
constexpr uint8_t HF_STATE4_HITS = 1;      // state 4 also calls btl_apply_hit
constexpr uint8_t HF_FALL_POSE_FIRST = 2;  // the fall's pose is set before btl_anim_fall
constexpr uint8_t HF_POSE0_GROUND0 = 4;    // after every call, every state: companion pose 0, ground_y 0

// What one class's handler does in each state. frames[s] is the frame loop
// (first, last) of state s; states 3, 4, 8 and 9 show frames[s][0].
struct ClassHandlerFacts {
    std::array<std::array<int8_t, 2>, 10> frames;
    std::array<int8_t, 10> pose;  // companion pose per state, or POSE_KEEP / POSE_BY_HEIGHT
    int8_t pose_ground;           // the pair by height
    int8_t pose_air;
    int16_t height_line;     // y at or below which the fighter counts as on the ground
    int16_t stand_ground_y;  // ground_y set at stand, -1 for none
    StandCall stand;
    uint8_t highest;  // highest move state handled
    uint8_t flags;
};

// The wizard's table, from which the other classes are told as differences.
inline constexpr ClassHandlerFacts BTL_COMMON_FACTS = {
    {{{0, 0}, {0, 1}, {0, 2}, {1, 1}, {2, 2}, {1, 1}, {1, 2}, {2, 6}, {6, 6}, {5, 5}}},
    {{1, POSE_BY_HEIGHT, POSE_BY_HEIGHT, POSE_BY_HEIGHT, POSE_BY_HEIGHT, POSE_BY_HEIGHT, POSE_BY_HEIGHT, POSE_KEEP, 2,
      2}},
    5,
    7,
    BTL_ON_GROUND_Y,
    BTL_GROUND_Y,
    StandCall::NextFrame,
    14,
    0,
};

// A move routine: one frame of the move; 1 in the frame it ends.
using MoveRoutine = uint16_t (*)(int16_t);
// The routines of move states 12 to 15 (null: no such move).
using MoveTable = std::array<MoveRoutine, 4>;

// The handler of every class: switches on the fighter's state as the facts
// say, runs the move routine of a move state into *done, ends any state it
// does not handle (done = 1) and places the companion last.
void btl_common_handler(int16_t side, uint16_t* done, const ClassHandlerFacts& facts, const MoveTable& moves);

// --- the move toolkit -----------------------------------------------------------------

// A walk toward the opponent: the options of one walk frame.
struct WalkStep {
    int16_t base = 0;  // first walk frame (frame = base + walk frame)
    // On frame base + 1 (animated only); SFX_FOOTSTEP is Move::footstep, which
    // plays SFX_FOOTSTEP_WATER on the water backdrop.
    SoundEffect sound = SFX_FOOTSTEP;
    bool count_first = false;  // timer + 1 before the frame is picked
    int16_t pose = 3;          // companion pose while walking (below 0: left as it is)
    int16_t speed = 2;         // cells a frame
    bool quiet = false;        // no footstep (the move plays its own sound)
    bool after_setup = false;  // approach: the walk starts in the frame after the set-up
};

// The set-up words of a move's opening besides the sheet.
struct Opening {
    bool draw = true;              // drawn from the move sheet from the set-up on
    int16_t frame = -1;            // the mover's first frame (below 0: as it is)
    bool ground = false;           // ground_y 240
    int16_t pose = -1;             // companion pose (below 0: as it is)
    SoundEffect sound = SFX_NONE;  // the opening sound
};

// A rain of falling pieces: how many, when they stop falling again and the
// hits they give.
struct Rain {
    int32_t count;        // pieces, the move's first effect actors
    int32_t again_below;  // a landed piece may fall again while fewer landings are counted
    int32_t done_at;      // the landings that end the rain
    int32_t rest;         // the count left in stash_y when it ends
    int32_t first_state;  // the reaction of the first hit; the next one the other of 1 and 2
    int32_t below;        // hits below this many
    SoundEffect sound;    // with each hit
};

// Whether a move's frame starts by putting the mover over the opponent (as
// every move does unless its entry leaves the layers as they are).
enum class Layers : uint8_t { Set, Keep };

// The mover, its opponent and the move's effect actors, with the named steps
// of the common shape. "Forward" is toward the opponent: + for side 0,
// - for side 1. Made at the start of each frame of a move: it sets the
// layers first unless told to keep them.
struct Move {
    int16_t side;
    int16_t oside;
    int16_t dir;
    BattleActor& me;
    BattleActor& opp;

    explicit Move(int16_t s, Layers l = Layers::Set);

    int32_t fwd(int32_t n) const { return n * dir; }
    // Cells between the opponent's column and the mover's (or an actor's).
    int32_t dist() const;
    int32_t gap(const BattleActor& a) const;
    // How far column b lies forward of column a.
    int32_t ahead(int32_t a, int32_t b) const { return (b - a) * dir; }

    // Effect actor i of the move, counted from first_effect.
    int32_t fx_id(int32_t i) const;
    BattleActor& fx(int32_t i) const;
    // The move sheet's slot (held by MOVE_SHEET_ACTOR).
    int16_t sheet_slot() const;

    // Set-up (the opening): the mover busy, the move sheet (variant 1 = 'B'
    // ...; below 0 no sheet) loaded in the animated battle, the mover drawn
    // from it unless told to keep its own slot for now, the effect actors
    // counted from here.
    void setup(int32_t variant, bool draw_from_sheet = true);
    // The mover's busy flag (its own hit phase): 1 while it acts.
    void busy(bool on) const;
    // Takes the next effect actor: the move sheet's slot, layer 3, the mover's
    // facing, present, work words cleared.
    BattleActor& spawn(int32_t x, int32_t y, int32_t frame);
    // Layers of every frame: the mover over the opponent.
    void layers() const;
    void draw_from_sheet() const;

    // Camera and trails.
    void pan_slow() const;
    void pan_fast() const;
    void trail(int32_t step, int32_t actor) const;
    void trail_off() const;
    void footstep() const;
    // The one-frame jolt of the picture (two rows down).
    void jolt() const;
    void companion(int32_t pose) const;
    // The companion pose by the mover's height: ground at `line` or lower.
    void companion_by_height(int32_t ground, int32_t air, int32_t line = BTL_ON_GROUND_Y) const;

    // Walking toward the opponent: one frame; walk_up also ends the walk
    // once the mover is less than `below` cells from the opponent: timer 0,
    // the opponent's hit count 0, the frame given. True when it ended.
    void walk_step(const WalkStep& w = {}) const;
    bool walk_up(int32_t below, int32_t arrive_frame, const WalkStep& w = {}) const;
    // Steps 0 and 1 of a move that walks up first: the opening drawing from
    // sheet B (step 1), then walk_up from the set-up frame on (from the next
    // frame with w.after_setup); step 2 once it has arrived. True in the
    // frame of the arrival.
    bool approach(int32_t below, int32_t arrive_frame, const WalkStep& w = {});
    // The take-off of a leap at the end of a walk-up: stash_y the rise, the
    // ground line the mover's row, the sound.
    void take_off(int32_t rise = -64, SoundEffect sound = SFX_LEAP) const;
    // Close in by one while more than n cells apart.
    void close_in(int32_t n) const;

    // The opponent: not reacting, not beaten, in a reach box.
    bool idle() const;
    bool alive() const;
    bool in_reach(int32_t a, int32_t b, int32_t c, int32_t d) const;
    bool in_reach_of(int32_t actor, int32_t a, int32_t b, int32_t c, int32_t d) const;
    bool hitbox(int32_t actor, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;

    // A hit: the reaction state, the recoil, the opponent reacting, the
    // damage, the sound (below 0 none). try_hit adds the usual guards: not
    // reacting, not beaten and fewer than `below` hits taken in this move.
    void hit(int32_t state, int32_t recoil, SoundEffect sound = SFX_NONE) const;
    bool try_hit(int32_t state, int32_t recoil, int32_t below, SoundEffect sound = SFX_NONE) const;
    // A reaction with no damage (a flinch, or stagger): the state and the
    // opponent reacting; the recoil stays as it is.
    void flinch(int32_t state, SoundEffect sound = SFX_NONE) const;

    // The parts of the clean-up, and the whole of it in the first frame the
    // opponent's reaction is over (true then; step + 1). release gives every
    // effect actor back; hide_effects hides the first n; hide_and_release
    // hides the first n (the first one unless told) and gives all back.
    void free_sheet() const;
    void release() const;
    void hide_effects(int32_t n) const;
    void hide_and_release(int32_t n = 1) const;
    bool cleanup(bool with_release = true) const;
    // The same clean-up for the moves whose mover stays busy until the end step.
    bool cleanup_keep_busy(bool with_release) const;
    // The end frame: the damage message again, the mover idle, state 0.
    uint16_t end() const;

    // The opponent's companion pose.
    void opp_companion(int32_t pose) const;
    // Companion pose 3 on the ground line, 5 down to `line`, 7 above it.
    void companion_glide(int32_t line) const;
    // The recovery of a support move on the other combatant (the partner),
    // through its status counter: a partner in state 9 counts up and stands
    // (state 0, a full heal) when the counter reaches 0; a partner in state 8
    // goes to state 9 with the counter at -1; then the heal when it stands,
    // else the waiting message.
    void recover() const;
    // The wing beat of a flying mover: SFX_WING_BEAT on every fifth count of its
    // timer (animated only).
    void wing_beat() const;
    // A support sprite's bob: up 6 in the middle two frames of every four of
    // its timer, down 6 in the others.
    static void bob(BattleActor& e);
    // A support move's sprite sets off for the partner: the move's first
    // effect, 2 cells forward on the ground line with `frame`, the trail
    // `trail_step` on it, the mover's timer 0 and SFX_CAST.
    void send_to_partner(int32_t frame, int32_t trail_step);
    // One frame of a support sprite floating to the partner: less than 3
    // cells from it, its circling words (stash_x, stash_y) are cleared and
    // the result is true; else it moves 2 forward. The view pans slowly.
    bool float_to_partner(BattleActor& e) const;
    // One frame of a sprite circling the partner: more than 2 cells from
    // it, it turns (layer 3 and 2 in turn, direction toggled in stash_x,
    // turns counted in stash_y); it then moves 2 back while its direction is
    // 1, else 2 forward. True when it turned.
    bool circle(BattleActor& e) const;
    // After more than 6 turns: SFX_RECOVERY and the mover's timer + 1 every
    // frame; past 3 the recovery, the sprite parked, the trail off. True in
    // the frame the recovery is given.
    bool recover_when_circled(int32_t e) const;
    // One frame of the support sprite (the move's first effect) around the
    // partner: circle, then on_turn (when given) in a frame it turned, then
    // recover_when_circled; the view pans slowly. True in the frame the
    // recovery is given.
    bool circle_partner(void (*on_turn)(BattleActor&) = nullptr) const;
    // A support move's clean-up once the partner is idle (effects given back,
    // the sheet freed, the mover's own slot, no damage message; step + 1),
    // and its end (state 0, the mover idle, no damage message).
    bool quiet_cleanup() const;
    uint16_t quiet_end() const;
    // The last steps of most moves: from step `at` the clean-up, panning
    // the view by `pan` columns a frame toward the opponent (0, BTL_PAN_SLOW
    // or BTL_PAN_FAST) while it waits, then the end frame.
    uint16_t finish(int32_t at, bool with_release, int32_t pan = BTL_PAN_SLOW) const;
    // The same for the moves that show no damage message, panning slowly.
    uint16_t finish_quiet(int32_t at) const;
    // A strike's frames: while the frame is below `last`, frame + 1 and a
    // step in by one when less than 4 cells apart. True once at `last`.
    bool strike_frames(int32_t last) const;
    // A run of effect frames: the actor's timer + 1, then its frame `first`
    // + timer / `per` (the frame taken from the timer before it is stepped
    // unless count_first); true once that frame is past `last`.
    static bool frame_run(BattleActor& a, int32_t first, int32_t last, int32_t per = 1, bool count_first = true);
    // A loop of frames: the actor's timer + 1, then its frame `first` +
    // (timer / `per`) mod `count` (taken before the timer is stepped unless
    // count_first).
    static void frame_loop(BattleActor& a, int32_t first, int32_t count, int32_t per = 1, bool count_first = true);
    // The opponent is the last enemy's first form (class 46), which many
    // moves neither turn nor lift.
    bool opp_first_form() const { return opp.class_id == CLASS_FIRST_FORM; }
    // Turns an actor about (flags bit 0, the facing).
    static void turn(BattleActor& a) { a.flags = static_cast<int16_t>(a.flags ^ 1); }

    // The clean-up's stand frame hovers (btl_actor_hover) in place of the
    // frame loop's next frame.
    bool hovers = false;
    // The end of a walk: once less than `below` cells from the opponent,
    // timer 0, the opponent's hit count 0 and the frame given; true then.
    bool arrive(int32_t below, int32_t arrive_frame) const;
    // The walk frame of the mover's timer: base + 0, 1, 2, 1.
    void walk_frame(int32_t base = 0) const;
    // Past the far edge the actor is heading for: side 0 right of column
    // 80 + margin, side 1 left of column -margin.
    bool past_far_edge(const BattleActor& a, int32_t margin) const;
    // The opponent seized by an effect: fixed pose 4, at the effect's column,
    // held at y 208 (a class that stands on the ground) or 224.
    void seize(const BattleActor& holder) const;
    // One frame of a rain: piece i starts (y 48) in the frame the mover's
    // timer is i; a falling piece moves 58 down and drift(i) columns; once
    // past y 350 it has landed: the mover's stash_y counts it, and while
    // fewer than r.again_below are counted and every piece has started,
    // again(i, piece) may place it to fall again (true: y 48, its own
    // stash_x + 1). A piece that finds the opponent in reach box (-2, -48,
    // 4, 32) strikes (recoil 1, the reaction state toggled in the mover's
    // stash_x); then each(i, piece). The pieces start at y 48 and fall 58 a
    // frame, so they land after six falls. Then the mover's timer + 1; true
    // once r.done_at landings are counted (stash_y then r.rest).
    template <class Drift, class Again, class Each>
    bool rain(const Rain& r, Drift drift, Again again, Each each) const {
        for (int32_t i = 0; i <= std::min<int32_t>(me.timer, r.count - 1); ++i) {
            BattleActor& p = fx(i);
            if (i == me.timer) {
                p.y = 48;
            } else if (p.y < 351) {
                p.x = static_cast<int16_t>(p.x + drift(i));
                p.y = static_cast<int16_t>(p.y + 58);
            } else {
                if (me.stash_y < r.again_below && me.timer >= r.count && again(i, p)) {
                    p.y = 48;
                    ++p.stash_x;
                }
                ++me.stash_y;
            }
            const int32_t state = me.stash_x == 0 ? r.first_state : 3 - r.first_state;
            if (in_reach_of(fx_id(i), -2, -48, 4, 32) && try_hit(state, 1, r.below, r.sound)) me.stash_x ^= 1;
            each(i, p);
        }
        const bool done = me.stash_y >= r.done_at;
        if (done) me.stash_y = static_cast<int16_t>(r.rest);
        ++me.timer;
        return done;
    }

    // The multi-part bodies (classes 46 and 48) keep their move's effects
    // from effect_base (word 42): first_effect stays with the parts. The
    // opening: the mover busy, the sheet loaded, effect_base the next actor.
    void setup_base(int32_t variant) const;
    BattleActor& fx_base(int32_t i) const;
    void release_base() const;
    // Their clean-up, in the first frame the opponent is idle: the sheet
    // freed, the damage message, step + 1 (true then); the caller puts back
    // what its move changed. The busy flag stays until the end step.
    bool cleanup_base() const;
    // The usual opening: setup, timer 0, step 1, then the set-up words the
    // move gives (its first frame, the ground line, the companion pose, the
    // opening sound).
    void open(int32_t variant, const Opening& o = {});
    // One frame of a blow after a walk-up: frame + 1, pan slow, at
    // `hit_frame` the hit (not reacting, no hit taken yet); true at `end_frame`.
    bool swing(int32_t hit_frame, int32_t end_frame, int32_t state, int32_t recoil) const;
    // A seizing reach: the root grows a frame and the tip shoots `speed`
    // forward; once less than `near` cells from the opponent the tip shows
    // `tip_frame` and seizes it (SFX_VANISH). True then.
    bool reach_out(BattleActor& root, BattleActor& tip, int32_t speed, int32_t near, int32_t tip_frame) const;
    // Drawing the seized opponent back: the root shrinks a frame, the tip
    // comes `speed` back with the opponent on it, the view pans back. True
    // once the root's frame is below `first`.
    bool draw_back(BattleActor& root, BattleActor& tip, int32_t speed, int32_t first) const;
};

// A sound effect (the sound setting decides).
void btl_sound(SoundEffect n);
// A random number modulo n (n > 0).
int32_t btl_random(int32_t n);

// A hit guard that lets any number of hits through (single-hit moves).
constexpr int32_t BTL_ANY_HIT_COUNT = 0x7FFF;

// The plain melee strike: the walk-up from the set-up frame to less than
// `below` cells, arriving on frame `arrive_frame`; the strike's frames up to
// `last` with a hit test every frame (idle, no hit yet, reach box (0, -48,
// 5, 32): state 1, recoil 2) and slow pan; the clean-up with slow pan; the
// end. Draws from the class's sheet B.
uint16_t btl_melee_strike(int16_t side, int32_t below, int32_t arrive_frame, int32_t last);

// --- handler facts and helpers of the later classes ----------------------------------

// Facts that differ from f only in the highest move state.
constexpr ClassHandlerFacts btl_facts_highest(ClassHandlerFacts f, uint8_t highest) {
    f.highest = highest;
    return f;
}

// The usual frames of classes 15 to 45: the downed fall on loop 2..5,
// state 8 on frame 5, state 9 on frame 0.
inline constexpr ClassHandlerFacts BTL_USUAL_FACTS = [] {
    ClassHandlerFacts f = BTL_COMMON_FACTS;
    f.frames[7] = {2, 5};
    f.frames[8] = {5, 5};
    f.frames[9] = {0, 0};
    return f;
}();

// The companion rule "pose `stand` at stand and in states 8 and 9, `ground`
// on the ground and `air` in the air" (the fall left to btl_anim_fall), and
// the highest move state.
constexpr ClassHandlerFacts btl_facts_poses(ClassHandlerFacts f, int8_t stand, int8_t ground, int8_t air,
                                            uint8_t highest) {
    for (int8_t& p : f.pose) p = POSE_BY_HEIGHT;
    f.pose[0] = f.pose[8] = f.pose[9] = stand;
    f.pose[7] = POSE_KEEP;
    f.pose_ground = ground;
    f.pose_air = air;
    f.highest = highest;
    return f;
}

// One companion pose in every state; the fall's own pose is `fall`
// (POSE_KEEP leaves the one btl_anim_fall sets); the highest move state.
constexpr ClassHandlerFacts btl_facts_one_pose(ClassHandlerFacts f, int8_t pose, int8_t fall, uint8_t highest) {
    for (int8_t& p : f.pose) p = pose;
    f.pose[7] = fall;
    f.highest = highest;
    return f;
}

// The variants of a class's move sheets: letters B, C and D.
constexpr int32_t BTL_SHEET_B = 1, BTL_SHEET_C = 2, BTL_SHEET_D = 3;

// 1 when the actor's column lies outside lo..hi.
bool btl_off_field(const BattleActor& a, int32_t lo, int32_t hi);

// The lightning flash (sixteen white colours) and the red flash (the battle
// palette with every red component at 15, made when it is shown).
extern const Palette16 g_btl_white_palette;
extern Palette16 g_btl_red_palette;

// The pose of a fighter's companion (nothing for a fighter without one).
void btl_companion_pose(int32_t actor, int32_t pose);

// The shared handler facts of the monster classes 29 to 45: highest state 13,
// the downed fall on loop 2..5, state 8 on frame 5 and state 9 on frame 0; the
// companion poses of the stand, by height in states 1 to 6 (ground, air) and
// downed in states 8 and 9.
constexpr ClassHandlerFacts btl_monster_facts(int8_t stand, int8_t ground, int8_t air, int8_t downed) {
    ClassHandlerFacts f = BTL_USUAL_FACTS;
    f.highest = 13;
    f.pose[0] = stand;
    f.pose_ground = ground;
    f.pose_air = air;
    f.pose[8] = f.pose[9] = downed;
    return f;
}

// 1 for a class whose body stands on the ground (it is held higher when seized).
extern const std::array<uint16_t, 49> g_class_grounded;
