// Placeholders for the scripted events of chapter 5 until its module lands.
#include <cstring>

#include "platform/shell.h"
#include "story/chapters.h"
#include "tactics/map.h"
#include "tactics/pending.h"
#include "tactics/units.h"

namespace {

// Until a chapter's placement lists exist the party stands where it stood:
// each living party unit goes back on its own cell of the cleared grid.
void keep_party_on_their_cells() {
    for (int32_t s = 0; s < UNIT_PARTY_SLOTS; ++s) {
        UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number == 0 || u.stats.hp <= 0) continue;
        if (u.x < 0 || u.x >= MAP_SIDE || u.y < 0 || u.y >= MAP_SIDE) continue;
        uint8_t& cell = g_occupancy.cells[u.y * MAP_SIDE + u.x];
        if ((cell & OCC_UNIT_MASK) == 0) cell = static_cast<uint8_t>(u.number);
    }
}

// Until a chapter's battle events exist every battle goes on; the call is
// logged with the two fighters' unit numbers.
int32_t log_battle(const UnitRecord* first, const UnitRecord* second) {
    pending_log("scn_before_battle %d %d", first ? first->number : 0, second ? second->number : 0);
    return 0;
}

}  // namespace

// PENDING: what the unit-moved events of chapter 5 answer until the chapter
// modules land (0: no event; tests set it to stand for one).
int32_t g_pending_unit_moved_result = 0;

// --- chapter 5 ---------------------------------------------------------------------
// PENDING: chapter 5's cut-scenes, placement lists, goals, the last boss and
// the end of the game.
void scn_ch5_stage_start() { keep_party_on_their_cells(); }
void scn_ch5_turn_start() {}
int32_t scn_ch5_unit_moved(UnitRecord*, int32_t, int32_t) { return g_pending_unit_moved_result; }
int32_t scn_ch5_before_battle(UnitRecord* first, UnitRecord* second) { return log_battle(first, second); }
void scn_ch5_after_battle(UnitRecord*, UnitRecord*) {}
