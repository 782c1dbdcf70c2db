// Placeholders for cell picking and the unit command menu, until they land.
#include "tactics/command.h"
#include "tactics/pick.h"

#include "platform/input.h"
#include "tactics/map.h"
#include "tactics/map_view.h"

// PENDING: the cell picker with its cursor, edge scrolling and modes. Until
// it lands a left click picks the map cell under it and a right click
// cancels.
int32_t map_pick_cell(int32_t* x, int32_t* y, int32_t mode) {
    win_set_cursor_shape(0);
    win_cursor_flag_on();
    for (;;) {
        int32_t px, py;
        if (win_poll_click(1, 0, &px, &py) > 0) {
            win_cursor_flag_off();
            return 0;
        }
        if (win_poll_click(0, 0, &px, &py) > 0) {
            int32_t vx, vy;
            map_pixel_to_cell(px, py, &vx, &vy);
            *x = g_view_x + vx;
            *y = g_view_y + vy;
            win_cursor_flag_off();
            return 1;
        }
    }
}

// PENDING: the unit command menu; until it lands a click on a unit opens
// nothing.
void menu_unit_command(int32_t) {}
