#pragma once
// The counts the game answers and the INI gives are signed: one below 0 counts as none, so that it
// can bound a list.

#include <cstddef>
#include <cstdint>

inline std::size_t countOrZero(int32_t count) { return count > 0 ? static_cast<std::size_t>(count) : 0u; }
