// What the placeholders for code not built yet share: the log in which
// they record their calls, so that the callers' flows can be checked.
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
