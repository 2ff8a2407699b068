#pragma once

#include <Platform/Relauncher.h>

namespace Platform {

// Counts relaunch requests and answers with a chosen outcome.
class FakeRelauncher final : public Relauncher {
public:
    bool succeeds = true;
    int relaunchCount = 0;

    bool relaunch() override {
        ++relaunchCount;
        return succeeds;
    }
};

} // namespace Platform
