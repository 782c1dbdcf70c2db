// Placeholder for the enemy AI.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "tactics/pending.h"
#include "tactics/units.h"

std::vector<std::string> g_pending_log;

void pending_log(const char* format, ...) {
    char line[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_pending_log.emplace_back(line);
}

// PENDING: the enemy AI (target and cell choice, the walk and the battle).
// Until it lands the unit only waits where it stands: its action is spent.
void ai_unit_act(UnitRecord* unit, int32_t goal_x, int32_t goal_y) {
    if (!unit) return;
    pending_log("ai_unit_act %d %d %d", unit->number - 1, goal_x, goal_y);
    unit->acted = 1;
}
