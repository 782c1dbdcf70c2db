// Stage turn loop: each turn a player phase, in which the player picks cells
// and gives orders, and an enemy phase, in which the spirit and every
// computer-controlled unit act; the upkeep at each phase start, the map
// command menu, the first turn's save prompt and the turn banners.
#pragma once

#include <array>
#include <cstdint>

#include "platform/palette.h"

struct UnitRecord;

extern int32_t g_turn;         // 0 on a stage's first turn
extern int32_t g_stage_end;    // set by whatever ends the stage
extern int32_t g_enemy_phase;  // 1 during the enemy phase
// Scene palettes kept across a full-screen chooser.
extern Palette16 g_menu_saved_base_palette;
extern Palette16 g_menu_saved_second_palette;
// The map command menu, null-ended.
extern const std::array<const char*, 7> g_map_command_names;

// Runs the stage's turns: 2 defeat, 1 the stage ended, 0 quit or a game was
// loaded (GameState word 0 says where to go on).
int32_t turn_run_stage_battle(int32_t resuming);
// Start-of-phase upkeep of one record: the knocked-out countdown and the
// healing terrain.
void turn_unit_regen(UnitRecord* unit);
// The computer-controlled units' turns.
void turn_enemy_phase();
// Drops the clicks not yet polled, then waits until the tick counter
// reaches ticks or either button is clicked.
void turn_wait_ticks_or_click(int32_t ticks);

// Resets this module's state to its values at program start (tests).
void turn_reset();
