#include "StartupPhases.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace App::StartupPhases {

void mark(const char* name) {
    static const bool asked = [] {
        const char* value = std::getenv(kVariable);
        return value && *value;
    }();
    if (!asked)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "quillstack: phase %s %.3f\n", name, double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6);
}

} // namespace App::StartupPhases
