// Scene steps of the chapter 1 and 2 modules: walk-on units, walks and
// poses, taking a unit off the grid and putting it back, and the stills.
#pragma once

#include <cstdint>

struct UnitRecord;
struct PlacementEntry;

// A walk-on unit of the other side: the class, 1 HP, AI mode 19; null when
// the cell is taken or no slot is free.
UnitRecord* scn_extra(int32_t class_id, int32_t x, int32_t y);
// n steps in a direction (0..3) with the unit's class walk sheet.
void scn_walk(UnitRecord* unit, int32_t direction, int32_t n);
// One step with the step animation off.
void scn_step_quietly(UnitRecord* unit, int32_t direction);
// The class shows frame `frame` of its walk sheet; the view is redrawn.
void scn_pose(int32_t class_id, int32_t frame);
// Frame 10 for every class of the party's units in use.
void scn_pose_party(int32_t frame);
// Empties the unit's cell and redraws it; the record stays as it is.
void scn_off_grid(UnitRecord* unit);
// Moves the unit's record to (x, y) and puts it on that cell.
void scn_put_at(UnitRecord* unit, int32_t x, int32_t y);
// Takes a walk-on unit off the map (its record is freed) and forgets it.
void scn_leave(UnitRecord*& unit);
// Centres the view on a character; nothing when it has no record.
void scn_centre_on_char(int32_t char_id);
// Loads the scene map n with a tile set, places the list and redraws.
void scn_scene_map(int32_t n, int32_t tile_set, const PlacementEntry* list);
// Ends a scene: fade out, the map graphics freed, the grid cleared, and
// the final list placed.
void scn_scene_close(const PlacementEntry* final_list);
