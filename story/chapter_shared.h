// Steps that every chapter module's scripted events share: the cut-scene
// frame, fades and the white flash, waking the hidden enemies, the boss's
// first contact and aftermath, goal cells, messages, waits, placement lists
// and the stage's music.
#pragma once

#include <cstdint>
#include <span>

#include "platform/heap.h"
#include "platform/palette.h"
#include "platform/shell.h"

struct UnitRecord;
struct PlacementEntry;

// Music choice of scn_boss_aftermath besides a track number.
constexpr int32_t SCN_MUSIC_STAGE = -1;  // the stage's own track
constexpr int32_t SCN_MUSIC_KEEP = -2;   // no change

// Directions of scn_scroll_view and scn_wake_hidden_enemies (-1: no scroll).
constexpr int32_t SCN_SCROLL_NONE = -1;
constexpr int32_t SCN_SCROLL_UP = 0;
constexpr int32_t SCN_SCROLL_RIGHT = 1;
constexpr int32_t SCN_SCROLL_DOWN = 2;
constexpr int32_t SCN_SCROLL_LEFT = 3;

// Cut-scene frame: keeps the side marks, the move animation and the zoom,
// then shows no side marks, walks units cell by cell and views at zoom 1.
void scn_cutscene_begin();
// Puts back what scn_cutscene_begin kept.
void scn_cutscene_end();

// The opening of every chapter's stage start: the cut-scene frame, the
// occupancy grid cleared and the view at the map's corner (0,0).
void scn_stage_start_prologue();
// One stage's part of a chapter's stage start: a scene of its own, or only
// the party placed by a list.
struct StageScene {
    int32_t stage;  // stage number (stage index + 1)
    void (*scene)();
    const PlacementEntry* list;  // placed when there is no scene
};
// A chapter's stage start: the prologue, the current stage's entry (nothing
// for a stage the table lacks), then the cut-scene frame ends.
void scn_stage_start(std::span<const StageScene> stages);
// Empties the occupancy grid (a scene that places its own units).
void scn_clear_occupancy();

// Fade to the black scene palette, or in to the default palette, waiting.
void scn_fade_out(int32_t delay);
void scn_fade_in(int32_t delay);
// White at once, the view redrawn, then a fade back to the default palette.
void scn_white_flash(int32_t delay);

// Scrolls the view up to steps cells' worth in a direction, stopping at the
// map's edge.
void scn_scroll_view(int32_t direction, int32_t steps);
// Scrolls 10 / zoom steps in the direction, then every dormant enemy wakes:
// AI_MODE_ADVANCE for character 9, else AI_MODE_BOSS, and it is put on the
// map.
void scn_wake_hidden_enemies(int32_t direction);

// Boss music (track 12) when the target is AI_MODE_BOSS.
void scn_boss_music(const UnitRecord* target);
// Before a battle: a target of AI_MODE_BOSS_UNMET shows the contact message
// (with its speaker, or none) and becomes AI_MODE_BOSS; then the boss music.
// 0 (the battle goes on).
int32_t scn_boss_first_contact(UnitRecord* target, int32_t message, const char* speaker);
// 1 when the target is the boss (AI_MODE_BOSS) and has been beaten (HP 0).
int32_t scn_boss_beaten(const UnitRecord* target);
// After the boss falls: the other enemies leave, the view is redrawn, the
// music changes (a track, SCN_MUSIC_STAGE or SCN_MUSIC_KEEP), the message
// (below 0: none) is shown and the stage ends.
void scn_boss_aftermath(int32_t music, int32_t message, const char* speaker);
// When the unit stands inside x1..x2, y1..y2: the message (below 0: none),
// the stage ends and the result is 1; else 0.
int32_t scn_goal_reached(const UnitRecord* unit, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t message);

// A message of the stage's script, with a speaker or none.
void scn_message(int32_t id, const char* speaker = nullptr);
// n wait units (12 ms each in a chapter).
void scn_wait(int32_t n);
// Places the listed characters; a character without a record is skipped.
void scn_place_list(const PlacementEntry* list);
// The stage's own track.
void scn_play_stage_music();

// A stage's own map (by stage index) with the stage's tile set, the list
// placed on a cleared grid and the view redrawn.
void scn_stage_map(int32_t stage, const PlacementEntry* list);
// Gives a map cell another tile, keeping its mark bit, and redraws it;
// nothing for a cell off the map.
void scn_set_tile(int32_t x, int32_t y, uint8_t tile);
// Shows colours 0..15 at once, ending any running fade.
void scn_colours_at_once(const Palette16* p);

// The stage number the chapter modules branch on: stage index + 1.
inline int32_t scn_stage_no() { return g_stage_index + 1; }

// A story picture at least min_w x min_h (the part a step reads from it), or
// null after "Memory Error" when it cannot be read or is smaller.
HeapBlock scn_load_story_picture(const char* name, int32_t min_w, int32_t min_h);
// The first 16 colours of a picture.
Palette16 scn_picture_colours(const uint8_t* picture);
