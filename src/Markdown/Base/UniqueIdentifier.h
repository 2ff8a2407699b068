#pragma once

#include <cstdint>

// The process-wide identity counter of document trees. It starts at 0; every new tree root draws the next
// value. Exported under these unmangled names so that code outside C++ can reach the same counter.
extern "C" {
/// Atomically adds 1 and returns the new value (the first value drawn is 1).
std::uint64_t _cmarkup_increment_and_get_unique_id(void);
/// The current value, unchanged.
std::uint64_t _cmarkup_current_unique_id(void);
}
