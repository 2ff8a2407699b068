#pragma once

#include "Platform/AccessibilityTrust.h"

namespace Platform {

class FakeAccessibilityTrust : public AccessibilityTrust {
public:
    bool trusted = true;
    bool isTrusted() const override { return trusted; }
};

} // namespace Platform
