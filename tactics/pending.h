// Calls from the game loop, the turn loop and the chapter hooks into code
// that is not built yet: saving and loading, the system menu with its two
// battle settings, the party list and the terrain window. Each is a placeholder in one of the
// tactics/pending_*.cpp files until the real one lands; the placeholders
// record their calls in g_pending_log so that the callers' flows can be
// checked.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "story/hooks.h"

struct UnitRecord;

// One line per placeholder call: "ai_unit_act 18 -1 -1", ...
extern std::vector<std::string> g_pending_log;
// Appends one formatted line to g_pending_log.
void pending_log(const char* format, ...) __attribute__((format(printf, 1, 2)));


// --- saving and loading --------------------------------------------------------------
constexpr uint32_t SAVE_FILE_SIZE = 10634;
// The loaded save, and between chapters the party's hand-over record.
extern std::array<uint8_t, SAVE_FILE_SIZE> g_save_buffer;
// 1 saved, 0 cancelled; every caller passes -1 (ask with the chooser).
int32_t save_save_game(int32_t slot);
// Copies g_save_buffer into the live state.
void save_unpack_state();

// --- system menu and settings -----------------------------------------------------------
extern int32_t g_opt_battle_real;
extern int32_t g_opt_battle_speed;
// 1 when the stage's turn loop must end (a game was loaded, or quit).
int32_t menu_system_menu();

// --- status windows and party list ---------------------------------------------------------
void menu_party_list();
void map_show_terrain_info(int32_t x, int32_t y);

// What the chapters' unit-moved events answer until the chapter modules
// land (0: no event).
extern int32_t g_pending_unit_moved_result;
