#pragma once

#include "Platform/AccessibilityTrust.h"

#include <optional>

namespace Platform::X11 {

// On X11 synthetic input and reading other clients need no permission: the session is trusted when
// an X server with the XTest extension is reachable. A pure Wayland session has none.
class X11AccessibilityTrust : public AccessibilityTrust {
public:
    bool isTrusted() const override;

private:
    mutable std::optional<bool> m_trusted;
};

} // namespace Platform::X11
