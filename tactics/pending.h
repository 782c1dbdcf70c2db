// What the placeholders for code not built yet share: the log in which
// they record their calls, so that the callers' flows can be checked, and
// what the chapters' unit-moved events answer until the chapter modules land.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "story/hooks.h"

struct UnitRecord;

// One line per placeholder call.
extern std::vector<std::string> g_pending_log;
// Appends one formatted line to g_pending_log.
void pending_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// What the chapters' unit-moved events answer until the chapter modules
// land (0: no event).
extern int32_t g_pending_unit_moved_result;
