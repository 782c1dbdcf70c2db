// Cell picking and the map cursor: every choice on the map is made with the
// mouse through map_pick_cell; the cell cursor and the HP popup follow the
// mouse, clicks on the view's edges scroll, the left button picks and the
// right button cancels. map_pick_zoom_frame chooses the zoom-1 view inside
// the zoom-2 view.
#pragma once

#include <cstdint>

// Pick modes of map_pick_cell.
constexpr int32_t PICK_ANY = 0;        // any cell of the view
constexpr int32_t PICK_UNMARKED = 1;   // only cells whose map mark bit is clear
constexpr int32_t PICK_HIGHLIGHT = 2;  // only cells with an occupancy highlight mark; no scrolling
constexpr int32_t PICK_CLICK = 3;      // any click ends the pick

// The view-relative cell where the cell cursor is drawn; x -1 when hidden.
extern int32_t g_cell_cursor_x, g_cell_cursor_y;

// 1 when a cell was picked (*x, *y are map cells), 0 on the right button.
// Mode 3 returns 1 for a left click anywhere off the edges.
int32_t map_pick_cell(int32_t* x, int32_t* y, int32_t mode);
// Hides the cursor at its old cell and shows it at (vx, vy), or only hides
// it when vx is -1.
void map_move_cell_cursor(int32_t vx, int32_t vy, int32_t mode);
// At zoom 2: 1 with the chosen frame's cell offset times the factor in
// *dx, *dy, or 0 on the right button.
int32_t map_pick_zoom_frame(int32_t* dx, int32_t* dy, int32_t factor);

// Resets this module's state to its values at program start (tests).
void map_pick_reset();
