// System menu and settings: the map command menu's " 시스템 " entry (load,
// save, settings, quit to the title) and the settings dialog that edits the
// four display options. The options are saved with the game and carried
// from chapter to chapter; each takes effect at its next use.
#pragma once

#include <array>
#include <cstdint>

// A row of the settings dialog: its label, the texts of positions 0..4 (null
// = no choice there), the gap in columns after each choice, and the option
// it sets to the chosen position.
struct SettingRow {
    const char* label;
    const char* choices[5];
    int32_t gap;
    int32_t* option;
};

constexpr int32_t SETTING_ROWS = 4;
constexpr int32_t SETTING_CHOICES = 5;

// 1: units walk cell by cell on the map.
extern int32_t g_opt_move_anim;
// 1: attacks play the animated battle scene.
extern int32_t g_opt_battle_real;
// Battle animation speed: 0 fast, 3 normal.
extern int32_t g_opt_battle_speed;
// 1: map units carry their side's frame.
extern int32_t g_opt_side_marks;

extern const std::array<SettingRow, SETTING_ROWS> g_setting_rows;
// The system menu's lines, null-ended.
extern const std::array<const char*, 5> g_system_menu_names;

// 1 when the stage's turn loop must end: a game was loaded (g_stage_end is
// then 1) or the player chose to quit; else 0.
int32_t menu_system_menu();
// The settings dialog, until the player right-clicks.
void menu_settings_dialog();

// Resets this module's state to its values at program start (tests).
void settings_reset();
