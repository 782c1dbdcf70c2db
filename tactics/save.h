// Saving and loading: 15 slots beside the program. The index file
// "u:savekq.idx" says which slots hold a save, on which stage and when; each
// slot file "u:save??.dat" (?? = slot 00..14) holds the whole state of the
// stage in progress. A load only reads the slot file into g_save_buffer; the
// game loop then resumes the stage and unpacks it with save_unpack_state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/units.h"

// One slot of the index: seven little-endian u16.
struct SaveIndexEntry {
    uint16_t used;   // 1 = the slot holds a save
    uint16_t stage;  // stage index 0..39
    uint16_t year;
    uint16_t month;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
};
static_assert(sizeof(SaveIndexEntry) == 14);
static_assert(offsetof(SaveIndexEntry, stage) == 2);
static_assert(offsetof(SaveIndexEntry, year) == 4);
static_assert(offsetof(SaveIndexEntry, month) == 6);
static_assert(offsetof(SaveIndexEntry, day) == 8);
static_assert(offsetof(SaveIndexEntry, hour) == 10);
static_assert(offsetof(SaveIndexEntry, minute) == 12);

constexpr int32_t SAVE_SLOTS = 15;
constexpr uint32_t SAVE_INDEX_SIZE = 210;
static_assert(sizeof(SaveIndexEntry) * SAVE_SLOTS == SAVE_INDEX_SIZE);

// The state words at the start of a slot file, each the low 16 bits of its
// variable.
enum SaveWord {
    SW_VIEW_X,
    SW_VIEW_Y,
    SW_STAGE,
    SW_GOLD,
    SW_MUSIC_DEVICE,
    SW_ZOOM,
    SW_MOVE_ANIM,
    SW_BATTLE_REAL,
    SW_BATTLE_SPEED,
    SW_SIDE_MARKS,
    SW_TURN,
    SW_RESERVED,
    SW_OPT3,
    SW_OPT4,
    SAVE_WORDS
};

// A slot file, byte for byte.
struct SaveFile {
    uint16_t word[SAVE_WORDS];
    uint16_t stage_flags[5];
    MapBuffer map;
    UnitRecord units[UNIT_SLOTS];
    BagEntry bag[BAG_ENTRIES];
    OccupancyGrid occupancy;
    ChestRecord chests[CHEST_RECORDS];
};
constexpr uint32_t SAVE_FILE_SIZE = 10634;
static_assert(sizeof(SaveFile) == SAVE_FILE_SIZE);
static_assert(offsetof(SaveFile, stage_flags) == 28);
static_assert(offsetof(SaveFile, map) == 38);
static_assert(offsetof(SaveFile, units) == 3686);
static_assert(offsetof(SaveFile, bag) == 6786);
static_assert(offsetof(SaveFile, occupancy) == 6834);
static_assert(offsetof(SaveFile, chests) == 10434);

// The index as last read from its file.
extern std::array<SaveIndexEntry, SAVE_SLOTS> g_save_index;
// How that read went: 1 read, 0 no index file yet (all slots empty; a save
// makes the file), -1 a file that is there but cannot be used (all slots
// empty; nothing is saved over it).
extern int32_t g_save_index_state;
// The loaded save, and between chapters the party's hand-over record.
extern std::array<uint8_t, SAVE_FILE_SIZE> g_save_buffer;
// A state word nothing else uses, carried from save to save.
extern int32_t g_reserved_state_word;

// Zeroes g_save_index and reads the index file into it; sets and returns
// g_save_index_state. A missing or unusable file shows its box and "Memory
// Error".
int32_t save_read_index();
// The slot chooser screen: the chosen slot 0..14, or -1. Load mode 1 takes
// only used slots; load mode 0 (save) asks before overwriting one.
int32_t save_choose_slot(const char* prompt, int32_t load_mode);
// 1 saved, 0 cancelled or not saved. A slot below 0 asks with the chooser.
int32_t save_save_game(int32_t slot);
// 1 when a save was read into g_save_buffer (and g_stage_index set), 0
// cancelled or refused. A slot below 0 asks with the chooser.
int32_t save_load_game(int32_t slot);
// Packs the live state into a slot file image.
void save_pack_state(SaveFile* out);
// 1 when every value of a slot file that indexes a table or the map lies in
// its range.
int32_t save_check_state(const SaveFile& file);
// Copies g_save_buffer into the live state.
void save_unpack_state();

// Resets this module's state to its values at program start (tests).
void save_reset();
