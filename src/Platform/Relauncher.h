#pragma once

namespace Platform {

// Starts a new instance of the application to replace the current one. The new instance is given
// `relaunchFlag`, so it waits (bounded) for the current one to go instead of handing requests over.
class Relauncher {
public:
    static constexpr const char* relaunchFlag = "--relaunched";

    virtual ~Relauncher() = default;

    // True only when the new instance was really started; the caller quits only then.
    virtual bool relaunch() = 0;
};

} // namespace Platform
