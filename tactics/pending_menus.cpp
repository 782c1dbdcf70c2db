// Placeholders for the system menu with its settings, the party list and
// the terrain window.
#include "tactics/pending.h"

// PENDING: the two battle settings belong to the settings dialog; these are
// their values at program start.
int32_t g_opt_battle_real = 1;
int32_t g_opt_battle_speed = 3;

// PENDING: the system menu (load, save, settings, quit); until it lands it
// opens nothing and the stage goes on.
int32_t menu_system_menu() {
    pending_log("menu_system_menu");
    return 0;
}

// PENDING: the party list screen; opens nothing.
void menu_party_list() { pending_log("menu_party_list"); }

// PENDING: the terrain window; shows nothing (the caller restores the screen).
void map_show_terrain_info(int32_t x, int32_t y) {
    pending_log("map_show_terrain_info %d %d", x, y);
}
