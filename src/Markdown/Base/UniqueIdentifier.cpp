#include "Markdown/Base/UniqueIdentifier.h"

#include <atomic>

namespace {
std::atomic<std::uint64_t> uniqueIdentifierCounter{0};
}

extern "C" std::uint64_t _cmarkup_increment_and_get_unique_id(void) {
    return uniqueIdentifierCounter.fetch_add(1, std::memory_order_relaxed) + 1;
}

extern "C" std::uint64_t _cmarkup_current_unique_id(void) {
    return uniqueIdentifierCounter.load(std::memory_order_relaxed);
}
