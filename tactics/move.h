// Movement range and paths: the flood that spends a unit's 20 movement
// points over the map (terrain costs of its class, held up by hostile units
// and stopped by their zones of control) and the backward trace that turns a
// reachable cell into a list of steps.
#pragma once

#include <array>
#include <cstdint>

struct UnitRecord;

constexpr int32_t MOVE_BUDGET = 20;
constexpr int32_t MOVE_COST_CLASSES = 55;  // class ids 0..54
constexpr int32_t MOVE_COST_BLOCKED = 99;  // more than the budget: never entered
// Longest traceable path: every cost is at least 2, so 10 steps spend the
// budget; the buffer keeps room for the whole budget.
constexpr int32_t MOVE_PATH_MAX = MOVE_BUDGET;

using MoveCosts = std::array<int32_t, 11>;
using MovePath = std::array<int32_t, MOVE_PATH_MAX>;

extern const std::array<MoveCosts, MOVE_COST_CLASSES> g_move_costs;

// Movement points left on arrival, width x height bytes of the current map,
// row y at y * width; 20 on the start cell, 0 where the fill did not reach.
// The user allocates it (map_alloc_move_range) and frees it after the move.
extern uint8_t* g_move_range;

// Allocates g_move_range for the current map size (freeing an older one);
// 1, or 0 after "Memory Error".
int32_t map_alloc_move_range();
void map_free_move_range();

// Copies the cost row of the unit's class; 99 everywhere for a class id
// outside the table.
void unit_get_move_costs(const UnitRecord* unit, int32_t out[11]);
// Fills g_move_range for the unit; afterwards the unmarked map cells are the
// empty cells it can stop on, plus its own (the caller marks all cells
// first). Both highlight marks go on the unit's occupancy cell.
void map_prepare_move_range(UnitRecord* unit);
// The fill from (x, y) with points left; points 20 is the start cell.
void map_flood_move_range(UnitRecord* unit, int32_t x, int32_t y, const int32_t costs[11], int32_t points);
// 1 when (x, y) lies in a hostile zone of control for the unit, else 0.
// During the enemy phase the holding unit's map cell is unmarked.
int32_t map_zoc_check(const UnitRecord* unit, int32_t x, int32_t y);
// Number of steps from the unit's cell to (tx, ty), 0 when none; out[0] is
// the last step (direction codes of map_step_dir): walk from out[n - 1]
// down to out[0].
int32_t map_trace_move_path(UnitRecord* unit, int32_t tx, int32_t ty, MovePath& out);
// Walks a unit along a traced path (from the last entry to the first) with
// its class's walking figure, and puts it on its new cell.
void map_walk_path(UnitRecord* unit, const MovePath& path, int32_t steps);
// Centres the view on a cell, then shifts it toward another cell that lies
// outside it by up to a quarter of the view, not past the map's edges.
void map_view_on_cell_toward(int32_t x, int32_t y, int32_t tx, int32_t ty);
