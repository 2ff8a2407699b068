#include "Platform/GlobalKeyMonitor.h"

namespace Platform {

namespace {
constexpr std::uint32_t keysymLowerV = 0x0076;
constexpr std::uint32_t keysymUpperV = 0x0056;
} // namespace

bool KeyRelease::isPasteChord() const {
    return controlHeld && (keysym == keysymLowerV || keysym == keysymUpperV);
}

} // namespace Platform
