// The battle engine: one exchange between two fighters (the attacker's move,
// the defender's counter, experience and spoils), the damage rules, the
// targeting and attack command, the engine services of the fighters'
// reactions and the battle text. The globals below belong to one battle at
// a time.
#pragma once

#include <array>
#include <cstdint>

#include "platform/heap.h"
#include "platform/menu.h"
#include "platform/sprite.h"  // g_btl_view_scroll, the battle camera
#include "tactics/ids.h"

struct UnitRecord;
struct UnitStats;

// A battle actor: 51 signed 16-bit words. Records 0 and 1 are the fighters
// (the index is the side), the others companions and effects.
struct BattleActor {
    int16_t present[2];  // 0xFFFF (-1) absent, per page parity
    int16_t x;           // field units 0..79
    int16_t y;           // foot line in pixels, ground 240
    int16_t frame;
    int16_t slot;
    int16_t flags;  // bit 0 mirror left-right
    int16_t drawn_x[2];
    int16_t drawn_y[2];
    int16_t drawn_frame[2];
    int16_t drawn_slot[2];
    int16_t drawn_flags[2];
    int16_t layer;
    int16_t class_id;
    int16_t state;
    int16_t step;
    int16_t w21;
    int16_t companion;
    int16_t first_effect;
    int16_t w24;
    int16_t ground_y;
    int16_t show_zero_damage;
    int16_t w27;
    int16_t w28;
    int16_t recoil;
    int16_t w30[11];  // w30..w40
    int16_t down_flag;
    int16_t w42;
    int16_t saved_slot;
    int16_t timer;
    int16_t follow;
    int16_t stash_x;
    int16_t stash_y;
    int16_t hit_count;
    int16_t loop_first;
    int16_t loop_last;
};
static_assert(sizeof(BattleActor) == 102);

constexpr int32_t BTL_ACTORS = 42;
constexpr int16_t BTL_ABSENT = -1;
constexpr uint16_t BTL_NO_MOVE = 0xFFFF;
constexpr int32_t BTL_MOVE_FRAME_LIMIT = 3000;
constexpr int32_t BTL_CLASSES = 49;         // classes with a battle script
constexpr int32_t BTL_ACTOR_LIMIT = 40;     // g_btl_next_actor never passes it
constexpr int32_t MOVE_SHEET_ACTOR = 31;    // holds the running move's sheet slot
constexpr int32_t COMMON_SHEET_ACTOR = 41;  // holds the slot of sheet 99
constexpr int32_t BTL_COMMON_SHEET = 99;
constexpr int32_t BTL_GROUND_Y = 240;
constexpr int32_t BTL_ON_GROUND_Y = 226;  // a y of 226 or more stands on the ground
constexpr int32_t BTL_PARKED_Y = -99;
constexpr int32_t BTL_PAN_SLOW = 4;
constexpr int32_t BTL_PAN_FAST = 10;
constexpr int32_t BTL_SCROLL_MAX = 80;
constexpr int32_t BTL_WATER = 2;  // the water backdrop kind
constexpr int32_t BTL_BACKDROP_KINDS = 26;
constexpr int32_t BMAP_COLS = 80, BMAP_ROWS = 15;
constexpr uint32_t BMAP_FILE_SIZE = 2436;
constexpr uint32_t BMAP_HEADER_SIZE = 36;
constexpr uint32_t BMAP_BLOCK_SIZE = 4096;

// The per-frame handler of one class's battle script: (side, done flag).
using ClassScriptHandler = void (*)(int16_t, uint16_t*);

// --- battle globals ------------------------------------------------------------
extern std::array<BattleActor, BTL_ACTORS> g_btl_actor;
extern int32_t g_btl_next_actor;
extern int32_t g_btl_spark_actor;
extern UnitStats* g_btl_combatant[2];
extern uint16_t g_btl_attacker_side;
extern uint16_t g_btl_range_mode;
extern uint16_t g_btl_animated;
extern uint16_t g_btl_move[2];
extern uint16_t g_btl_boss_move;
extern int16_t g_btl_terrain[2];
extern uint16_t g_btl_hit_phase[2];
extern uint16_t g_btl_counter_flag;
extern uint16_t g_btl_ghost_step;
extern uint16_t g_btl_ghost_target;
extern uint16_t g_btl_ghost_first;
extern uint16_t g_btl_last_damage;
extern uint16_t g_btl_hp_before;
extern uint16_t g_btl_pending_heal;
extern uint16_t g_btl_damage_total;
extern uint16_t g_btl_crit_shown;
extern SavedRect* g_btl_msgbox_store;
extern uint16_t g_btl_result;

// Sprite slots: the picture and the sprite file of each, with a loaded flag
// per half, and the list of (sheet, slot) pairs loaded in this battle.
extern std::array<HeapBlock, BTL_ACTORS> g_btl_sprite_image;
extern std::array<HeapBlock, BTL_ACTORS> g_btl_sprite_frames;
extern std::array<uint32_t, BTL_ACTORS> g_btl_sprite_frames_size;
extern std::array<uint16_t, BTL_ACTORS> g_btl_sprite_loaded;
extern std::array<uint16_t, BTL_ACTORS> g_btl_frames_loaded;
extern std::array<std::array<uint16_t, 2>, BTL_ACTORS> g_btl_sheet_list;
extern int32_t g_btl_sheet_count;

// Camera and pages.
extern int32_t g_btl_view_scroll_prev;
extern const std::array<int32_t, 2> g_btl_side_scroll;
extern int32_t g_btl_page;
extern int32_t g_btl_saved_page;
extern const std::array<int32_t, 3> g_btl_layer_order;
extern std::array<int32_t, BTL_ACTORS> g_btl_draw_list;
extern const std::array<int16_t, 4> g_btl_walk_frames;
extern const std::array<std::array<uint8_t, 3>, 3> g_btl_ghost_colours;

// Backdrop.
extern int32_t g_btl_backdrop_kind;
extern const std::array<uint8_t, 40> g_btl_stage_backdrop;
extern HeapBlock g_btl_bmap_image;
extern HeapBlock g_btl_bmap_grid;

// The class script table, indexed by class id below BTL_CLASSES.
extern const std::array<ClassScriptHandler, BTL_CLASSES> g_class_script_table;
// The class whose move choice, script and sheets a fighter of class_id uses
// in a battle scene: its own below BTL_CLASSES; a class without a script of
// its own (49..53: the generals, the inventor, the airship, the butler)
// fights as the soldier. The unit keeps its class for everything else.
int32_t btl_script_class(int32_t class_id);

// The charged-attack flag of the coming battle.
extern uint16_t g_unit_charge_flag;
// The attacked unit's status counter: the counter-attack strength in per
// cent. Never null: it starts at a spare counter of its own.
extern int16_t* g_btl_target_status_ptr;
// The party unit of the battle (receives dropped items).
extern UnitRecord* g_btl_attacker_unit;

// --- damage rules --------------------------------------------------------------
void btl_calc_damage(int32_t side);
uint16_t btl_calc_hit_damage(int32_t physical, int32_t magic, int32_t side);
int16_t btl_forecast_damage_one(uint32_t* result);
int32_t btl_forecast(const int16_t terrain[2], uint32_t* result, int32_t range_mode, UnitStats* a, UnitStats* d);

// --- experience, level-up and spoils -------------------------------------------
extern const std::array<int32_t, 22> g_exp_level_scale;
extern const std::array<std::array<uint8_t, 6>, 49> g_class_growth;
extern UnitStats g_btl_levelup_copy;
void btl_award_experience(int32_t side, int32_t kind);
void btl_gain_exp(int32_t gain, UnitStats* earner, UnitStats* other);
// Runs the bar from one value to another, waits for a click, then puts the
// window's saved area back and frees it.
void btl_animate_exp_bar(int32_t side, int32_t from, int32_t to, int32_t colour, SavedArea saved);
void btl_levelup_grow_stats(int32_t side);
void btl_show_levelup_message(int32_t side);
void btl_show_levelup_stats(const UnitStats* old_stats, const UnitStats* new_stats);
void btl_award_spoils(int32_t side, int32_t item_id);

// --- targeting and the attack command ------------------------------------------
// The rings of distances 1..3 hold at most 24 cells.
constexpr int32_t UNIT_TARGET_MAX = 24;
extern std::array<UnitRecord*, UNIT_TARGET_MAX> g_unit_target_list;
// Fills g_unit_target_list and returns the count. Mode bits: 1 friends,
// 2 enemies, 4 beaten party units within distance 2.
int32_t btl_find_targets(int32_t x, int32_t y, UnitRecord* attacker, int32_t mode);
int32_t btl_mark_targets(UnitRecord* attacker);
void btl_attack_command(UnitRecord* attacker, UnitRecord* target);
// 1 when a battle plays the animated scene: the battle display setting is on
// or a boss takes part (by the AI mode of the attack command's target, or of
// the unit the enemy AI moves).
bool btl_scene_animated(int32_t ai_mode);
// The terrain kinds of the two units' cells, for a battle between them (a
// kind of 0 counts as 1).
void btl_terrain_pair(const UnitRecord* side0, const UnitRecord* side1, int16_t terrain[2]);
// A battle fought from the map: the animated scene, for which the map
// graphics are freed and then loaded again, or the plain exchange. The map
// is not redrawn: each caller does that its own way.
void btl_fight_on_map(const int16_t terrain[2], int32_t attacker_side, int32_t range_mode, UnitStats* side0,
                      UnitStats* side1, bool animated);

// --- reactions, messages and status display ------------------------------------
extern const std::array<int16_t, 18> g_btl_hover_table;
extern const std::array<uint8_t, 54> g_class_floats;
extern const char* const g_btl_spell_names[4];
void btl_apply_hit(int32_t side);
// The hit spark, by the reaction frames: placed over the struck fighter
// (first frame); its second frame with the fighter's HP lowered by the hit's
// damage, the HP bar, and the battle colours set again after a critical
// (second frame); parked (third frame). The spark actor, or null.
BattleActor* btl_spark();
void btl_spark_place(int32_t side);
void btl_spark_damage(int32_t side);
void btl_spark_park();
void btl_anim_fall(int32_t side);
void btl_actor_hover(int32_t actor);
void btl_msg_damage(int32_t side);
void btl_msg_did_utmost(int32_t side);
void btl_msg_defeated(int32_t side);
void btl_msg_cast(int32_t side, int32_t spell);
void btl_msg_waiting(int32_t side);
void btl_heal(int32_t side, int32_t mode);
void btl_draw_hp_bar(int32_t old_hp, int32_t new_hp, int32_t side);
void btl_draw_hp_bars();
void btl_draw_status_panel();
// Restores the area under the message box and draws its frame again.
void btl_msgbox_clear();

// --- actors, sprite slots, renderer and camera ----------------------------------
// An actor by number; a number outside the table reaches a cleared scratch
// record that is never drawn.
BattleActor& btl_actor(int32_t i);
// Loads sheet `sheet` (0..99) in form `variant` (0 = 'A') into the next slot
// and gives the actor that slot. A missing file shows its boxes; the slot
// then keeps no block and the battle goes on.
void btl_load_actor_sprite(int32_t actor, int32_t sheet, int32_t variant);
// A battle picture: a missing one shows its box and gives null; it never
// ends the game.
uint8_t* btl_load_picture(const char* name);
// The sheet's picture and sprite file names ("a:CHAR_27B.gem", "B:CHAR_27B.SPZ").
void btl_sheet_names(int32_t sheet, int32_t variant, char picture[32], char frames[32]);
// Frees the slot's picture and sprite file, each by its own flag.
void btl_free_slot(int32_t slot);
// 1 when the slot holds both a picture and a sprite file.
int32_t btl_slot_drawable(int32_t slot);
// The next actor number (never 31, never past the limit).
int32_t btl_take_actor();
// Actor i of a move's effects counted from `first` (record 31 skipped).
int32_t btl_effect_index(int32_t first, int32_t i);
// Draws one frame: mode 0 presents it and flips the page, mode 1 only draws.
void btl_draw_actors_and_flip(int32_t mode);
int32_t btl_collect_layer_sorted(int32_t layer);
void btl_actor_save_drawn_state(int32_t actor);
void btl_actor_next_frame(int32_t actor);
void btl_actor_hide(int32_t actor);
void btl_actor_stash_position(int32_t actor);
// One frame of a fall: the actor moves down by its vertical speed (stash_y;
// below 0 it rises), which then grows by `gravity`.
void btl_actor_fall(int32_t actor, int32_t gravity);
void btl_actor_update_companion(int32_t actor);
void btl_set_view_scroll(int32_t s);
void btl_pan_view_slow(int32_t side);
void btl_pan_view_fast(int32_t side);
int32_t btl_opponent_in_reach(int32_t side, int32_t a, int32_t b, int32_t c, int32_t d);
int32_t btl_opponent_in_reach_of(int32_t actor, int32_t a, int32_t b, int32_t c, int32_t d, int32_t side);
int32_t btl_hitbox_hits_opponent(int32_t actor, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t side);
void btl_attach_shadow(int32_t fighter);
void btl_place_actors();
// Marks an actor present or absent on both pages.
void btl_actor_set_present(int32_t actor, bool present);
bool btl_actor_present(int32_t actor, int32_t parity);

// --- backdrop --------------------------------------------------------------------
// The kind by stage and the defender's terrain (1-based).
int32_t btl_choose_backdrop_kind(int32_t stage, int32_t defender_terrain);
// The scene set-up's rules on top: the attacker's terrain, stages 31 and 32,
// a class-46 fighter on the right.
int32_t btl_scene_backdrop_kind(int32_t kind, int32_t stage, int32_t defender_terrain, int32_t attacker_terrain,
                                int32_t right_class);
void btl_load_bmap(int32_t kind);
void btl_load_bmap_image(int32_t kind);
void btl_load_bmap_grid(int32_t kind);
// The grid's tile at row r, column c (0..79), -1 when none.
int32_t btl_bmap_tile(int32_t r, int32_t c);
void btl_draw_bmap_rows(int32_t scroll);
void btl_draw_bmap_rows_scrolled();
void btl_alloc_background();

// --- battle entries and the exchange -------------------------------------------
// One battle: terrain kinds (1-based) of side 0 and side 1, the attacker
// side, the range mode and the two fighters' stats; returns g_btl_result.
int32_t btl_animated_battle(const int16_t terrain[2], int32_t attacker_side, int32_t range_mode, UnitStats* side0,
                            UnitStats* side1);
int32_t btl_plain_battle(const int16_t terrain[2], int32_t attacker_side, int32_t range_mode, UnitStats* side0,
                         UnitStats* side1);
void btl_scene_init(int32_t attacker_side);
// The scene's start: the after-image actors, the first frame and the wipe (or
// the map picture of the plain battle), the message box.
void btl_scene_begin();
// btl_scene_begin, then the exchange.
void btl_scene_run();
void btl_free_scene();
// The message-box save, every sprite slot and the backdrop, freed.
void btl_free_scene_pictures();
void btl_screen_wipe();
void btl_exchange(int32_t attacker, int32_t defender);
void btl_choose_moves(int32_t attacker);
void btl_choose_move_for_class(int32_t side, int32_t slot);
void btl_scene_enter(int32_t side);
void btl_run_move(int32_t side, int32_t slot);
// The start of a move: the fighter in the move's state at step 0, its work
// words cleared, neither side reacting.
void btl_begin_move(int32_t side, uint16_t move);
// Frames the last move took up to its end frame.
int32_t btl_last_move_frames();
void btl_open_message_box();
// The per-frame handler of the script that the fighter's class plays.
void btl_call_handler(int32_t side, uint16_t* done);
// One frame of the scene: drawn and presented in the animated battle, one
// wait unit in the plain battle.
void btl_frame();
// Every battle global back to its start value (tests, new game).
void btl_reset();

// --- map-screen area attacks ---------------------------------------------------
// One damage value per struck unit, in the order of g_unit_target_list.
constexpr int32_t AREA_DAMAGE_MAX = 25;
extern std::array<uint32_t, AREA_DAMAGE_MAX> g_area_damage;
extern int32_t g_area_target_count;
// The area attack of a charged area weapon: every enemy in the attacker's
// three rings. *target becomes the unit of several cells struck, or null.
void btl_map_spell(const int16_t terrain[2], UnitRecord* attacker, UnitRecord** target);
void btl_map_damage_popup(int32_t col, int32_t y);
void btl_spell_flash_anim(int32_t col, int32_t y);
void btl_spell_volcano_anim(int32_t col, int32_t y);
void btl_spell_angel_anim(int32_t col, int32_t y);
// One pixel of colour 16 inside the shown lines.
void btl_plot_if_onscreen(int32_t x, int32_t y);
