// The placeholders' call log.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "tactics/pending.h"

std::vector<std::string> g_pending_log;

void pending_log(const char* format, ...) {
    char line[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_pending_log.emplace_back(line);
}
