// Chapter hooks: the eight points at which the current chapter module takes
// part in the game, the rule that maps a stage to its chapter, the chapters'
// frame tick routines, the shops' stock and the story palettes.
#pragma once

#include <array>
#include <cstdint>

#include "platform/palette.h"

struct UnitRecord;

constexpr int32_t SCN_STAGES = 40;
constexpr int32_t SCN_STAGE_FLAGS = 5;

// The four item ids a stage's shop sells, 0 = an empty place.
struct ShopStockRow {
    uint32_t item_ids[4];
};
static_assert(sizeof(ShopStockRow) == 16);

// 1 while a storm scene runs: the ticks of chapters 3 and 5 then flash.
extern int32_t g_lightning;
// Event flags of the chapter modules, cleared at every new stage and saved.
extern std::array<uint16_t, SCN_STAGE_FLAGS> g_stage_flags;
// The shop's stock by stage index.
extern const std::array<ShopStockRow, SCN_STAGES> g_shop_stock;
// All 48 components 15.
extern const Palette16 g_white_palette;
// Text on a black screen.
extern const Palette16 g_story_palette;

// The chapter (1..5) that plays a stage index: below 1 chapter 1, below 15
// chapter 2, below 21 chapter 3, below 33 chapter 4, otherwise 5.
int32_t scn_chapter_of_stage(int32_t stage);

// One frame tick: the tick counter, the lightning and the shake step of the
// current chapter.
void scn_tick();
// Sets g_chapter and g_module_index from g_stage_index and runs the
// chapter's stage start.
void scn_stage_start();
void scn_turn_start();
void scn_shop(UnitRecord* unit);
// 0: the unit's command goes on; non-zero: an event ran and the unit's
// action ends as a move.
int32_t scn_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y);
void scn_enemy_act(UnitRecord* unit);
// The two fighters in the order the caller passes them. 0: the battle goes
// on; non-zero: the stage has ended and the battle is cancelled.
int32_t scn_before_battle(UnitRecord* first, UnitRecord* second);
void scn_after_battle(UnitRecord* first, UnitRecord* second);

// The chapters' tick routines.
void scn_ch1_tick();
void scn_ch2_tick();
void scn_ch3_tick();
void scn_ch4_tick();
void scn_ch5_tick();
// One lightning step: while g_lightning is set, one random draw in 20 turns
// the colours white at once and fades back to the default palette.
void scn_lightning_step();

// The chapters' shops: the stage's stock; chapter 2 has its exception.
void scn_ch1_shop(UnitRecord* unit);
void scn_ch2_shop(UnitRecord* unit);
void scn_ch3_shop(UnitRecord* unit);
void scn_ch4_shop(UnitRecord* unit);
void scn_ch5_shop(UnitRecord* unit);

// The enemy action of chapters 2..5: the AI's free choice.
void scn_ch2_enemy_act(UnitRecord* unit);
void scn_ch3_enemy_act(UnitRecord* unit);
void scn_ch4_enemy_act(UnitRecord* unit);
void scn_ch5_enemy_act(UnitRecord* unit);

// Resets this module's state to its values at program start (tests).
void scn_reset();
