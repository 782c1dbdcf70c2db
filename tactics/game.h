// Game loop: plays a chapter stage by stage from its first stage (or from a
// loaded save) until the chapter ends, the party is defeated, or the player
// quits or loads a game. The party travels between chapters in the
// hand-over record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "tactics/items.h"
#include "tactics/save.h"
#include "tactics/units.h"

// The words shared by the title, the game loop, the turn loop and the
// system menu.
struct GameState {
    uint32_t word[7];
};
static_assert(sizeof(GameState) == 28);
constexpr int32_t GS_CHAPTER = 0;       // the chapter code turn_run_game returns
constexpr int32_t GS_SPARE = 1;         // the title sets it to 0; nothing reads it (nor word 5)
constexpr int32_t GS_MUSIC_DEVICE = 2;  // g_music_device
constexpr int32_t GS_OPT3 = 3;          // g_game_opt3
constexpr int32_t GS_OPT4 = 4;          // g_game_opt4
constexpr int32_t GS_RESUME = 6;        // 1: start from the save in g_save_buffer

extern GameState g_game_state_record;
extern GameState* g_game_state;  // points at g_game_state_record

// The party's hand-over between chapters, kept at the start of
// g_save_buffer; little-endian, byte for byte.
struct ChapterHandOver {
    UnitRecord units[UNIT_PARTY_SLOTS];
    BagEntry bag[BAG_ENTRIES];
    uint32_t gold;
    uint32_t zoom;
    uint32_t move_anim;
    uint32_t battle_real;
    uint32_t side_marks;
    uint32_t battle_speed;
};
static_assert(sizeof(ChapterHandOver) == 972);
static_assert(offsetof(ChapterHandOver, units) == 0);
static_assert(offsetof(ChapterHandOver, bag) == 900);
static_assert(offsetof(ChapterHandOver, gold) == 948);
static_assert(offsetof(ChapterHandOver, zoom) == 952);
static_assert(offsetof(ChapterHandOver, move_anim) == 956);
static_assert(offsetof(ChapterHandOver, battle_real) == 960);
static_assert(offsetof(ChapterHandOver, side_marks) == 964);
static_assert(offsetof(ChapterHandOver, battle_speed) == 968);
static_assert(sizeof(ChapterHandOver) <= SAVE_FILE_SIZE);

constexpr int32_t GAME_STAGES = 40;

extern int32_t g_music_device;
extern int32_t g_game_opt3;
extern int32_t g_game_opt4;
// The stage index reached after the last cleared stage.
extern int32_t g_last_stage;

// Music track by stage index 0..40, stage titles by stage index, and the
// first stage index of chapters 1..5 (entry 0 unused).
extern const std::array<int32_t, GAME_STAGES + 1> g_stage_music;
extern const std::array<const char*, GAME_STAGES> g_stage_names;
extern const std::array<int32_t, 6> g_chapter_first_stage;

// Plays the current chapter (or the loaded save); returns the next code: 0
// the title, 1..5 the chapter to run next.
int32_t turn_run_game();
// Sound effects on at every entry.
void turn_init_game_flags();
// The stage title card: "Stage<n>:<name>" for 180 ticks or a click.
void turn_show_stage_title();
// Writes the party (units 0..17, bag, gold, zoom, the four options) into the
// hand-over record, and takes it back.
void turn_write_hand_over();
void turn_restore_hand_over();

// Resets this module's state to its values at program start (tests).
void game_reset();
