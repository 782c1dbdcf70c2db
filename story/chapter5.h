// The teleport pads of chapter 5's stage 38.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

// The pads' cells; pad k leads to pad k xor 1.
extern const std::array<std::pair<int32_t, int32_t>, 4> g_teleport_pads;
