// Enemy AI: the whole action of one computer-controlled unit, of the
// summoned spirit and of party units sent by the gather command. By its AI
// mode a unit waits, attacks from where it stands, flees, heals an ally,
// goes for a healing cell or plans a move toward a goal cell; then it walks
// the traced path and starts the battle.
#pragma once

#include <array>
#include <cstdint>

struct UnitRecord;

// One cell of a move plan, in scan order.
struct AiCandidate {
    int32_t x;
    int32_t y;
    int32_t terrain;  // terrain class of the cell
    int32_t unit;     // slot of the unit on the cell, -1 for an empty cell
};
static_assert(sizeof(AiCandidate) == 16);

constexpr int32_t AI_CANDIDATES = 19;   // kept per plan
constexpr int32_t AI_PLAN_RADIUS = 20;  // the scanned window: y - 20 .. y + 19, x - 20 .. x + 19

// The planning state of one action: the candidates (19 kept, the last entry
// is the scan's scratch cell), their count, and the move target cell
// (initially the unit's own cell). The MoveRangeGrid that ai_plan_move
// allocates is g_move_range; the action (or the gather command) frees it.
extern std::array<AiCandidate, AI_CANDIDATES + 1> g_ai_candidates;
extern int32_t g_ai_candidate_count;
extern int32_t g_ai_move_x, g_ai_move_y;

// The monster classes a summoner may call, by row (summoner class - 19)
// and column; 0 everywhere, so no monster is ever set.
constexpr int32_t AI_SUMMON_ROWS = 36;
constexpr int32_t AI_SUMMON_COLS = 12;
extern const std::array<std::array<int16_t, AI_SUMMON_COLS>, AI_SUMMON_ROWS> g_ai_summon_table;

// The whole action of a unit toward a goal cell; goal x below 0: no goal.
void ai_unit_act(UnitRecord* unit, int32_t goal_x, int32_t goal_y);
// Fills g_move_range for the unit, picks the move target cell
// (g_ai_move_x, y: the reachable cell nearest the goal, else the unit's own)
// and lists the candidates. The map cells stay marked except the reachable
// ones; the caller frees g_move_range and unmarks the map.
void ai_plan_move(UnitRecord* unit, int32_t goal_x, int32_t goal_y);
// A hostile in the weapon's reach from the unit's cell, or null.
UnitRecord* ai_choose_attack_target(UnitRecord* unit);
// 1 and the best cell (*x, *y) from which the unit reaches the target, or 0.
int32_t ai_choose_attack_cell(UnitRecord* unit, UnitRecord* target, int32_t* x, int32_t* y);
// The nearest unit of the other side (by AI mode) with HP, when it stands
// at most limit cells away; else null.
UnitRecord* ai_find_nearest_hostile(UnitRecord* unit, int32_t limit);
// The summoning attempt of the summoners (AI_MODE_SUMMONER, _SUMMONER_BOSS and
// _SUMMONER_NEAR).
void ai_summoner_spawn(UnitRecord* unit);

// Resets this module's state to its values at program start (tests).
void ai_reset();
