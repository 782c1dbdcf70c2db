// Status windows and the party list: the HP figure, the terrain window of a
// cell, the unit status window and the party list that jumps the view to a
// chosen party unit. Apart from the view and the pointer of the party list
// none of them changes the game.
#pragma once

#include <cstdint>

struct UnitRecord;

// Status window labels of rows 1..10 (row 0, the name, has none).
extern const char* const g_status_labels[11];

// The unit's HP and max HP at the text cursor: "HP/max", each right-aligned
// in 3; the HP in colour 15, 9 at half or less, 10 at a fifth or less.
void menu_draw_hp_fraction(UnitRecord* unit);
// The terrain window of a map cell; waits for a click. The caller restores
// the screen.
void map_show_terrain_info(int32_t x, int32_t y);
// Draws the unit's status window and returns at once.
void menu_show_unit_status(UnitRecord* unit);
// The party list screen: the slot 0..17 of the chosen party unit, or -1.
int32_t menu_party_list_screen(const char* title);
// One row of the party list on a text row.
void menu_draw_party_row(int32_t row, UnitRecord* unit);
// The party list, and the jump of the view to the chosen unit.
void menu_party_list();
