// Picture and data file loading.
#pragma once

#include <cstdint>
#include <vector>

#include "sys/sys.h"

// The picture load block: the last picture read (header, colours, pixels).
extern std::vector<uint8_t> g_load_dib;
extern int32_t g_dib_bits_offset;
extern char g_load_path[260];
extern int32_t g_dib_loaded;

int gfx_load_dib(SysWnd window);
