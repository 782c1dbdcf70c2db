// Chapter hooks: dispatch on g_chapter to the chapter modules, the chapters'
// tick routines, shops and common enemy action.
#include "story/hooks.h"

#include "platform/input.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "story/chapters.h"
#include "story/message.h"
#include "tactics/ai.h"
#include "tactics/item_screens.h"
#include "tactics/units.h"

int32_t g_lightning = 0;
std::array<uint16_t, SCN_STAGE_FLAGS> g_stage_flags{};

namespace {

constexpr ShopStockRow HERB_AND_TEQUILA = {{1, 5, 0, 0}};

}  // namespace

const std::array<ShopStockRow, SCN_STAGES> g_shop_stock = [] {
    std::array<ShopStockRow, SCN_STAGES> rows{};
    rows[1] = HERB_AND_TEQUILA;
    rows[2] = HERB_AND_TEQUILA;
    rows[4] = {{20, 14, 1, 5}};
    rows[11] = {{32, 26, 1, 5}};
    rows[14] = {{21, 14, 38, 5}};
    rows[18] = {{10, 12, 4, 5}};
    return rows;
}();

// clang-format off
const Palette16 g_white_palette = {{
    {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15},
    {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15}, {15, 15, 15},
}};
// clang-format on

// Blue, green, red. Colour 0 stays black (the screen and the text shadow);
// every other colour is a light tint, so that any text colour reads well on
// the black screen.
// clang-format off
const Palette16 g_story_palette = {{
    {0, 0, 0},      {15, 9, 9},     {9, 9, 15},     {15, 9, 15},   //
    {9, 15, 9},     {15, 15, 9},    {9, 15, 15},    {13, 13, 13},  //
    {6, 6, 6},      {15, 12, 12},   {12, 12, 15},   {15, 12, 15},  //
    {12, 15, 12},   {15, 15, 12},   {12, 15, 15},   {15, 15, 15},
}};
// clang-format on

int32_t scn_chapter_of_stage(int32_t stage) {
    if (stage < 1) return 1;
    if (stage < 15) return 2;
    if (stage < 21) return 3;
    if (stage < 33) return 4;
    return 5;
}

// --- tick routines ----------------------------------------------------------------

void scn_lightning_step() {
    if (!g_lightning) return;
    if (util_random() % 20 != 0) return;
    gfx_set_palette16(&g_white_palette);
    gfx_fade_to(&g_default_palette, 1);
}

void scn_ch1_tick() { ++g_tick_counter; }
void scn_ch2_tick() { ++g_tick_counter; }

void scn_ch3_tick() {
    ++g_tick_counter;
    scn_lightning_step();
}

void scn_ch4_tick() {
    ++g_tick_counter;
    gfx_shake_step();
}

void scn_ch5_tick() {
    ++g_tick_counter;
    scn_lightning_step();
    gfx_shake_step();
}

// --- shops ------------------------------------------------------------------------

namespace {

const ShopStockRow& stock_of_stage(int32_t stage) {
    static const ShopStockRow empty{};
    return stage >= 0 && stage < SCN_STAGES ? g_shop_stock[static_cast<size_t>(stage)] : empty;
}

void shop_of_stage(UnitRecord* unit) { item_shop_buy(unit, stock_of_stage(g_stage_index)); }

}  // namespace

void scn_ch1_shop(UnitRecord* unit) { shop_of_stage(unit); }

void scn_ch2_shop(UnitRecord* unit) {
    // On stage 15 character 11 gets its own message instead of the shop.
    if (g_stage_index == 14 && unit && unit->stats.char_id == CHAR_FOAL) {
        txt_show_message(53);
        return;
    }
    shop_of_stage(unit);
}

void scn_ch3_shop(UnitRecord* unit) { shop_of_stage(unit); }
void scn_ch4_shop(UnitRecord* unit) { shop_of_stage(unit); }
void scn_ch5_shop(UnitRecord* unit) { shop_of_stage(unit); }

// --- common enemy action -------------------------------------------------------------

void scn_ch2_enemy_act(UnitRecord* unit) { ai_unit_act(unit, -1, -1); }
void scn_ch3_enemy_act(UnitRecord* unit) { ai_unit_act(unit, -1, -1); }
void scn_ch4_enemy_act(UnitRecord* unit) { ai_unit_act(unit, -1, -1); }
void scn_ch5_enemy_act(UnitRecord* unit) { ai_unit_act(unit, -1, -1); }

// --- the hooks ----------------------------------------------------------------------
// Chapter 0 (the front end) runs chapter 1's routines; chapter 6 (after the
// title's quit) runs nothing.

void scn_tick() {
    switch (g_chapter) {
        case 1: scn_ch1_tick(); break;
        case 2: scn_ch2_tick(); break;
        case 3: scn_ch3_tick(); break;
        case 4: scn_ch4_tick(); break;
        case 5: scn_ch5_tick(); break;
        default: break;  // the title's tick does nothing
    }
}

void scn_stage_start() {
    const int32_t chapter = scn_chapter_of_stage(g_stage_index);
    g_chapter = static_cast<uint32_t>(chapter);
    g_module_index = chapter;
    switch (chapter) {
        case 1: scn_ch1_stage_start(); break;
        case 2: scn_ch2_stage_start(); break;
        case 3: scn_ch3_stage_start(); break;
        case 4: scn_ch4_stage_start(); break;
        default: scn_ch5_stage_start(); break;
    }
}

void scn_turn_start() {
    switch (g_chapter) {
        case 0:
        case 1: scn_ch1_turn_start(); break;
        case 2: scn_ch2_turn_start(); break;
        case 3: scn_ch3_turn_start(); break;
        case 4: scn_ch4_turn_start(); break;
        case 5: scn_ch5_turn_start(); break;
        default: break;
    }
}

void scn_shop(UnitRecord* unit) {
    switch (g_chapter) {
        case 0:
        case 1: scn_ch1_shop(unit); break;
        case 2: scn_ch2_shop(unit); break;
        case 3: scn_ch3_shop(unit); break;
        case 4: scn_ch4_shop(unit); break;
        case 5: scn_ch5_shop(unit); break;
        default: break;
    }
}

int32_t scn_unit_moved(UnitRecord* unit, int32_t old_x, int32_t old_y) {
    switch (g_chapter) {
        case 0:
        case 1: return scn_ch1_unit_moved(unit, old_x, old_y);
        case 2: return scn_ch2_unit_moved(unit, old_x, old_y);
        case 3: return scn_ch3_unit_moved(unit, old_x, old_y);
        case 4: return scn_ch4_unit_moved(unit, old_x, old_y);
        case 5: return scn_ch5_unit_moved(unit, old_x, old_y);
        default: return 0;
    }
}

void scn_enemy_act(UnitRecord* unit) {
    switch (g_chapter) {
        case 0:
        case 1: scn_ch1_enemy_act(unit); break;
        case 2: scn_ch2_enemy_act(unit); break;
        case 3: scn_ch3_enemy_act(unit); break;
        case 4: scn_ch4_enemy_act(unit); break;
        case 5: scn_ch5_enemy_act(unit); break;
        default: break;
    }
}

int32_t scn_before_battle(UnitRecord* first, UnitRecord* second) {
    switch (g_chapter) {
        case 0:
        case 1: return scn_ch1_before_battle(first, second);
        case 2: return scn_ch2_before_battle(first, second);
        case 3: return scn_ch3_before_battle(first, second);
        case 4: return scn_ch4_before_battle(first, second);
        case 5: return scn_ch5_before_battle(first, second);
        default: return 0;
    }
}

void scn_after_battle(UnitRecord* first, UnitRecord* second) {
    switch (g_chapter) {
        case 2: scn_ch2_after_battle(first, second); break;
        case 3: scn_ch3_after_battle(first, second); break;
        case 4: scn_ch4_after_battle(first, second); break;
        case 5: scn_ch5_after_battle(first, second); break;
        default: break;  // chapter 1 has nothing after a battle
    }
}

void scn_reset() {
    g_lightning = 0;
    g_stage_flags = {};
}
