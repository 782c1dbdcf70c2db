// Scene steps the chapter modules' cut-scenes share: walk-on units, walks
// and poses, taking a unit off the grid and putting it back, blinking out,
// and the scene maps.
#pragma once

#include <cstdint>

#include "tactics/units.h"

// 1 when the record is in use (its unit is on the table).
inline bool scn_in_use(const UnitRecord* unit) { return unit && unit->number != 0; }

// A walk-on unit of the other side: the class, 1 HP, AI_MODE_WALK_ON (or the
// mode given: AI_MODE_DORMANT places it hidden); null when the cell is taken or no slot is free.
UnitRecord* scn_extra(int32_t class_id, int32_t x, int32_t y, int32_t ai_mode = AI_MODE_WALK_ON);
// n steps in a direction (0..3) with the unit's class walk sheet.
void scn_walk(UnitRecord* unit, int32_t direction, int32_t n);
// One step with the step animation off.
void scn_step_quietly(UnitRecord* unit, int32_t direction);
// The class shows frame `frame` of its walk sheet; the view is redrawn.
void scn_pose(int32_t class_id, int32_t frame);
// The class of a character shows frame `frame` (the view is not redrawn);
// nothing when the character has no record.
void scn_pose_char(int32_t char_id, int32_t frame);
// Frame 10 for every class of the party's units in use.
void scn_pose_party(int32_t frame);
// Empties the unit's cell and redraws it; the record stays as it is.
void scn_off_grid(UnitRecord* unit);
// Moves the unit's record to (x, y) and puts it on that cell.
void scn_put_at(UnitRecord* unit, int32_t x, int32_t y);
// Takes a walk-on unit off the map (its record is freed) and forgets it.
void scn_leave(UnitRecord*& unit);
// The unit blinks out, slower and slower: for n = 20 down to 0 it is shown
// when n is odd and hidden when n is even, with a wait of n / 2 after each
// change, so that it ends hidden (its record stays).
void scn_blink_out(UnitRecord* unit);

// Every scripted loop that waits on something moving stops after this many
// steps, whatever happens.
constexpr int32_t SCN_LOOP_BOUND = 2000;

// Walks the unit one cell at a time in a direction while cond(unit) holds;
// stops when a step is refused (the map's edge) or the unit is gone.
template <class Cond>
void scn_walk_while(UnitRecord* unit, int32_t direction, Cond cond) {
    for (int32_t n = 0; n < SCN_LOOP_BOUND && unit && unit->number != 0 && cond(*unit); ++n) {
        const int32_t x = unit->x, y = unit->y;
        scn_walk(unit, direction, 1);
        if (unit->x == x && unit->y == y) break;
    }
}

// Centres the view on a character; nothing when it has no record.
void scn_centre_on_char(int32_t char_id);
// Loads the scene map n with a tile set, places the list and redraws.
void scn_scene_map(int32_t n, int32_t tile_set, const PlacementEntry* list);
// Ends a scene: fade out, the map graphics freed, the grid cleared, and
// the final list placed.
void scn_scene_close(const PlacementEntry* final_list);
