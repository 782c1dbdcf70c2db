// The chapter modules' routines that the chapter hooks run. Each chapter
// module defines its own; the tick, shop and (for chapters 2..5) enemy
// action routines are the hooks' own (story/hooks.h).
#pragma once

#include <cstdint>

struct UnitRecord;

void scn_ch1_stage_start();
void scn_ch1_turn_start();
int32_t scn_ch1_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y);
void scn_ch1_enemy_act(UnitRecord* unit);
int32_t scn_ch1_before_battle(UnitRecord* first, UnitRecord* second);

void scn_ch2_stage_start();
void scn_ch2_turn_start();
int32_t scn_ch2_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y);
int32_t scn_ch2_before_battle(UnitRecord* first, UnitRecord* second);
void scn_ch2_after_battle(UnitRecord* first, UnitRecord* second);

void scn_ch3_stage_start();
void scn_ch3_turn_start();
int32_t scn_ch3_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y);
int32_t scn_ch3_before_battle(UnitRecord* first, UnitRecord* second);
void scn_ch3_after_battle(UnitRecord* first, UnitRecord* second);

void scn_ch4_stage_start();
void scn_ch4_turn_start();
int32_t scn_ch4_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y);
int32_t scn_ch4_before_battle(UnitRecord* first, UnitRecord* second);
void scn_ch4_after_battle(UnitRecord* first, UnitRecord* second);

void scn_ch5_stage_start();
void scn_ch5_turn_start();
int32_t scn_ch5_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y);
int32_t scn_ch5_before_battle(UnitRecord* first, UnitRecord* second);
void scn_ch5_after_battle(UnitRecord* first, UnitRecord* second);
