// Battle actors and the frame renderer: the sprite slots and the loading of
// the class sheets, the per-frame drawing of the backdrop band and the three
// layers of actors, the page parity, the camera and its pans, the companions
// (ground shadows and water splashes) and the reach and hit-box tests that
// the class scripts use.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "battle/battle.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/shell.h"
#include "platform/sprite.h"
#include "tactics/map.h"
#include "tactics/units.h"

std::array<HeapBlock, BTL_ACTORS> g_btl_sprite_image;
std::array<HeapBlock, BTL_ACTORS> g_btl_sprite_frames;
std::array<uint32_t, BTL_ACTORS> g_btl_sprite_frames_size{};
std::array<uint16_t, BTL_ACTORS> g_btl_sprite_loaded{};
std::array<uint16_t, BTL_ACTORS> g_btl_frames_loaded{};
std::array<std::array<uint16_t, 2>, BTL_ACTORS> g_btl_sheet_list{};
int32_t g_btl_sheet_count = 0;

int32_t g_btl_view_scroll = 0;
int32_t g_btl_view_scroll_prev = 0;
const std::array<int32_t, 2> g_btl_side_scroll = {0, 80};
int32_t g_btl_page = 0;
int32_t g_btl_saved_page = 0;
const std::array<int32_t, 3> g_btl_layer_order = {2, 1, 3};
std::array<int32_t, BTL_ACTORS> g_btl_draw_list{};
const std::array<int16_t, 4> g_btl_walk_frames = {0, 1, 2, 1};

namespace {

BattleActor g_scratch_actor{};

BattleActor& act(int32_t i) { return btl_actor(i); }

bool slot_ok(int32_t slot) { return slot >= 0 && slot < BTL_ACTORS; }

const UnitStats* stats(int32_t side) { return g_btl_combatant[side & 1]; }
bool beaten(int32_t side) { return !stats(side) || stats(side)->hp == 0; }

int16_t i16(int32_t v) { return static_cast<int16_t>(v); }

// Restores the picture-box rule on every way out of a battle load.
struct KeepRunningOnMissingPicture {
    int32_t saved = g_picture_missing_quits;
    KeepRunningOnMissingPicture() { g_picture_missing_quits = 0; }
    ~KeepRunningOnMissingPicture() { g_picture_missing_quits = saved; }
};

}  // namespace

BattleActor& btl_actor(int32_t i) {
    if (i < 0 || i >= BTL_ACTORS) {
        g_scratch_actor = {};
        return g_scratch_actor;
    }
    return g_btl_actor[static_cast<size_t>(i)];
}

// --- sprite slots ----------------------------------------------------------------

int32_t btl_take_actor() {
    if (g_btl_next_actor == MOVE_SHEET_ACTOR) ++g_btl_next_actor;
    const int32_t n = g_btl_next_actor;
    if (g_btl_next_actor < BTL_ACTOR_LIMIT) ++g_btl_next_actor;
    return n;
}

int32_t btl_effect_index(int32_t first, int32_t i) {
    int32_t n = first + i;
    if (first <= MOVE_SHEET_ACTOR && n >= MOVE_SHEET_ACTOR) ++n;
    return n;
}

void btl_sheet_names(int32_t sheet, int32_t variant, char picture[32], char frames[32]) {
    sheet = std::clamp(sheet, 0, 99);
    char letter[2] = {static_cast<char>('A' + std::clamp(variant, 0, 25)), 0};
    if (sheet >= 70) letter[0] = 0;
    char drive = sheet < 18 || sheet >= 95 ? 'A' : 'B';
    if (g_stage_index == 13) drive = 'C';
    std::snprintf(picture, 32, "a:CHAR_%02d%s.gem", sheet, letter);
    std::snprintf(frames, 32, "%c:CHAR_%02d%s.SPZ", drive, sheet, letter);
}

uint8_t* btl_load_picture(const char* name) {
    KeepRunningOnMissingPicture keep;
    return file_load_data(name);
}

void btl_load_actor_sprite(int32_t actor, int32_t sheet, int32_t variant) {
    const int32_t slot = btl_take_actor();
    char picture[32], frames[32];
    btl_sheet_names(sheet, variant, picture, frames);
    if (slot_ok(slot)) {
        const size_t s = static_cast<size_t>(slot);
        btl_free_slot(slot);
        g_btl_sprite_image[s].reset(btl_load_picture(picture));
        if (g_btl_sprite_image[s])
            g_btl_sprite_loaded[s] = 1;
        else
            util_memory_error();
        g_btl_sprite_frames[s].reset(file_load_data(frames));
        if (g_btl_sprite_frames[s]) {
            g_btl_frames_loaded[s] = 1;
            g_btl_sprite_frames_size[s] = g_loaded_file_size;
        } else {
            util_memory_error();
        }
    }
    if (g_btl_sheet_count >= 0 && g_btl_sheet_count < BTL_ACTORS) {
        g_btl_sheet_list[static_cast<size_t>(g_btl_sheet_count)] = {static_cast<uint16_t>(sheet),
                                                                    static_cast<uint16_t>(slot)};
        ++g_btl_sheet_count;
    }
    act(actor).slot = i16(slot);
}

void btl_free_slot(int32_t slot) {
    if (!slot_ok(slot)) return;
    const size_t s = static_cast<size_t>(slot);
    if (g_btl_sprite_loaded[s]) g_btl_sprite_image[s].reset();
    if (g_btl_frames_loaded[s]) g_btl_sprite_frames[s].reset();
    g_btl_sprite_image[s].reset();
    g_btl_sprite_frames[s].reset();
    g_btl_sprite_loaded[s] = 0;
    g_btl_frames_loaded[s] = 0;
    g_btl_sprite_frames_size[s] = 0;
}

int32_t btl_slot_drawable(int32_t slot) {
    if (!slot_ok(slot)) return 0;
    const size_t s = static_cast<size_t>(slot);
    return g_btl_sprite_loaded[s] && g_btl_frames_loaded[s] && g_btl_sprite_image[s] && g_btl_sprite_frames[s] ? 1 : 0;
}

// --- the renderer ----------------------------------------------------------------

void btl_actor_set_present(int32_t actor, bool present) {
    BattleActor& a = act(actor);
    a.present[0] = a.present[1] = present ? 0 : BTL_ABSENT;
}

bool btl_actor_present(int32_t actor, int32_t parity) { return act(actor).present[parity & 1] != BTL_ABSENT; }

int32_t btl_collect_layer_sorted(int32_t layer) {
    if (layer == 0) return 0;  // layer 0 is never drawn
    const int32_t parity = g_btl_page ^ 1;
    const int32_t limit = std::min(g_btl_next_actor, BTL_ACTORS);
    int32_t n = 0;
    for (int32_t i = 0; i < limit; ++i) {
        BattleActor& a = g_btl_actor[static_cast<size_t>(i)];
        if (i == MOVE_SHEET_ACTOR || a.layer != layer || a.present[parity] == BTL_ABSENT) continue;
        a.present[parity] = 1;
        g_btl_draw_list[static_cast<size_t>(n++)] = i;
    }
    // y rising; equal y in falling index order, so that the lowest index is
    // drawn last and lies on top.
    std::sort(g_btl_draw_list.begin(), g_btl_draw_list.begin() + n, [](int32_t l, int32_t r) {
        const int16_t ly = g_btl_actor[static_cast<size_t>(l)].y, ry = g_btl_actor[static_cast<size_t>(r)].y;
        return ly != ry ? ly < ry : l > r;
    });
    return n;
}

void btl_actor_save_drawn_state(int32_t actor) {
    BattleActor& a = act(actor);
    const size_t p = static_cast<size_t>(g_btl_page ^ 1);
    a.drawn_x[p] = a.x;
    a.drawn_y[p] = a.y;
    a.drawn_frame[p] = a.frame;
    a.drawn_slot[p] = a.slot;
    a.drawn_flags[p] = a.flags;
}

void btl_draw_actors_and_flip(int32_t mode) {
    btl_draw_bmap_rows_scrolled();
    for (const int32_t layer : g_btl_layer_order) {
        const int32_t n = btl_collect_layer_sorted(layer);
        for (int32_t k = 0; k < n; ++k) {
            const int32_t i = g_btl_draw_list[static_cast<size_t>(k)];
            const BattleActor& a = g_btl_actor[static_cast<size_t>(i)];
            if (btl_slot_drawable(a.slot)) {
                const size_t s = static_cast<size_t>(a.slot);
                gfx_draw_sprite_frame(a.x, a.y, a.frame, static_cast<uint16_t>(a.flags), g_btl_sprite_image[s].get(),
                                      g_btl_sprite_frames[s].get(), g_btl_sprite_frames_size[s]);
            }
            btl_actor_save_drawn_state(i);
        }
    }
    g_btl_view_scroll_prev = g_btl_view_scroll;
    if (mode == 0) {
        g_btl_page ^= 1;
        win_wait_units(0);
        g_tick_counter = 0;
    }
}

// --- actor operations --------------------------------------------------------------

void btl_actor_next_frame(int32_t actor) {
    BattleActor& a = act(actor);
    a.frame = i16(a.frame + 1);
    if (a.frame > a.loop_last || a.frame < a.loop_first) a.frame = a.loop_first;
}

void btl_actor_hide(int32_t actor) { act(actor).y = BTL_PARKED_Y; }

void btl_actor_stash_position(int32_t actor) {
    BattleActor& a = act(actor);
    a.stash_x = a.x;
    a.stash_y = a.y;
    a.x = 0;
    a.y = 0;
}

void btl_actor_fall(int32_t actor, int32_t gravity) {
    BattleActor& a = act(actor);
    a.y = i16(a.y + a.stash_y);
    a.stash_y = i16(a.stash_y + gravity);
}

namespace {

// Where a companion pose puts the companion: its frame, its layer (-1 kept),
// its y (kept, the owner's y or the owner's ground line, plus dy) and its
// flags (-1 kept).
enum class PoseY : uint8_t { Kept, Owner, Ground };
struct PoseRow {
    int8_t frame, layer;
    PoseY y;
    int8_t dy, flags;
};
constexpr std::array<PoseRow, 10> DRY_POSES = {{
    {17, -1, PoseY::Kept, 0, -1},
    {0, 2, PoseY::Owner, 0, -1},
    {1, 2, PoseY::Owner, 0, -1},
    {1, 2, PoseY::Owner, 0, -1},
    {1, 2, PoseY::Owner, 0, -1},
    {0, 2, PoseY::Ground, 0, -1},
    {1, 2, PoseY::Ground, 0, -1},
    {15, 2, PoseY::Ground, 0, -1},
    {18, 2, PoseY::Kept, 0, -1},
    {18, 2, PoseY::Ground, 0, 0},
}};
// On water; poses 3 and 4 alternate two frames, and poses 5 and 7 of an owner
// standing on the ground line show the splash in front instead.
constexpr std::array<PoseRow, 10> WATER_POSES = {{
    {17, -1, PoseY::Kept, 0, -1},
    {2, 1, PoseY::Owner, 16, 1},
    {3, 3, PoseY::Owner, 16, 1},
    {4, 3, PoseY::Owner, 16, 1},
    {6, 1, PoseY::Owner, 16, 1},
    {10, 2, PoseY::Ground, 16, 0},
    {11, 2, PoseY::Ground, 16, 1},
    {16, 2, PoseY::Ground, 16, 1},
    {18, 2, PoseY::Kept, 0, -1},
    {18, 2, PoseY::Ground, 0, 0},
}};

}  // namespace

void btl_actor_update_companion(int32_t actor) {
    const BattleActor& owner = act(actor);
    const int32_t ci = owner.companion, oi = owner.follow;
    if (ci < 2 || ci >= BTL_ACTORS || oi < 0 || oi >= BTL_ACTORS) return;
    BattleActor& s = g_btl_actor[static_cast<size_t>(ci)];
    const BattleActor& o = g_btl_actor[static_cast<size_t>(oi)];
    int32_t pose = s.state;
    const UnitStats* right = stats(1);
    if (right && (right->class_id == CLASS_FIRST_FORM || right->class_id == CLASS_LAST_FORM)) pose = 0;
    if (pose >= 0 && pose <= 9) {
        const bool water = g_btl_backdrop_kind == BTL_WATER;
        PoseRow row = (water ? WATER_POSES : DRY_POSES)[static_cast<size_t>(pose)];
        if (water && (pose == 5 || pose == 7) && o.y == BTL_GROUND_Y) row = {2, 3, PoseY::Owner, 16, row.flags};
        if (water && (pose == 3 || pose == 4)) {
            s.first_effect = i16(s.first_effect ? 0 : 1);  // the two frames in turn
            row.frame = static_cast<int8_t>(row.frame + s.first_effect);
        }
        s.frame = row.frame;
        if (row.layer >= 0) s.layer = row.layer;
        if (row.y == PoseY::Owner) s.y = i16(o.y + row.dy);
        if (row.y == PoseY::Ground) s.y = i16(o.ground_y + row.dy);
        if (row.flags >= 0) s.flags = row.flags;
    }
    s.y = i16(s.y & ~1);
    s.x = o.x;
}

// --- camera ----------------------------------------------------------------------

void btl_set_view_scroll(int32_t s) { g_btl_view_scroll = std::clamp(s, 0, BTL_SCROLL_MAX); }

void btl_pan_view_slow(int32_t side) {
    btl_set_view_scroll(g_btl_view_scroll + (side == 0 ? BTL_PAN_SLOW : -BTL_PAN_SLOW));
}

void btl_pan_view_fast(int32_t side) {
    btl_set_view_scroll(g_btl_view_scroll + (side == 0 ? BTL_PAN_FAST : -BTL_PAN_FAST));
}

// --- reach and hit-box tests ----------------------------------------------------------

int32_t btl_opponent_in_reach_of(int32_t actor, int32_t a, int32_t b, int32_t c, int32_t d, int32_t side) {
    const int32_t o = (side & 1) ^ 1;
    if (beaten(o)) return 0;
    const BattleActor& me = act(actor);
    const BattleActor& opp = g_btl_actor[static_cast<size_t>(o)];
    if ((side & 1) == 0)
        return me.x + a <= opp.x && opp.x <= me.x + c && me.y + b <= opp.y && opp.y <= me.y + d ? 1 : 0;
    return me.x - c <= opp.x && opp.x <= me.x - a && me.y - d <= opp.y && opp.y <= me.y - b ? 1 : 0;
}

int32_t btl_opponent_in_reach(int32_t side, int32_t a, int32_t b, int32_t c, int32_t d) {
    return btl_opponent_in_reach_of(side & 1, a, b, c, d, side);
}

int32_t btl_hitbox_hits_opponent(int32_t actor, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t side) {
    const int32_t o = (side & 1) ^ 1;
    if (beaten(o)) return 0;
    const BattleActor& me = act(actor);
    const BattleActor& opp = g_btl_actor[static_cast<size_t>(o)];
    struct Box {
        int32_t l, t, r, b;
        bool holds(int32_t x, int32_t y) const { return l <= x && x <= r && t <= y && y <= b; }
        bool corner_in(const Box& other) const {
            return other.holds(l, t) || other.holds(r, t) || other.holds(l, b) || other.holds(r, b);
        }
    };
    const Box a{me.x + x1, me.y + y1, me.x + x2, me.y + y2};
    const Box body{opp.x - 2, opp.y - 80, opp.x + 2, opp.y + 16};
    return a.corner_in(body) || body.corner_in(a) ? 1 : 0;
}

// --- placement ----------------------------------------------------------------------

void btl_attach_shadow(int32_t fighter) {
    BattleActor& f = act(fighter);
    f.follow = i16(fighter);
    const UnitStats* u = stats(fighter);
    if (!u || u->char_id == CHAR_NONE) return;
    const int32_t c = btl_take_actor();
    f.companion = i16(c);
    BattleActor& s = act(c);
    s.x = f.x;
    s.y = f.y;
    s.layer = 2;
    btl_actor_set_present(c, true);
    s.frame = 6;
    s.class_id = s.state = s.step = s.w21 = s.companion = s.first_effect = s.w24 = s.ground_y = 0;
    s.show_zero_damage = s.w27 = s.w28 = s.recoil = 0;
    s.slot = act(COMMON_SHEET_ACTOR).slot;
    s.flags = 0;
}

void btl_place_actors() {
    for (int32_t s = 0; s < 2; ++s) {
        BattleActor& f = act(s);
        f.x = i16(s == 0 ? 20 : 60);
        f.y = BTL_GROUND_Y;
        f.flags = i16(s == 0 ? 1 : 0);
        f.layer = 1;
        f.down_flag = f.w42 = f.saved_slot = f.timer = f.follow = f.stash_x = f.stash_y = f.hit_count = 0;
        f.loop_first = f.loop_last = 0;
        btl_attach_shadow(s);
    }
}
