#pragma once

namespace Platform {

// Whether this program may post synthetic input and read other applications' focused fields.
class AccessibilityTrust {
public:
    virtual ~AccessibilityTrust() = default;
    virtual bool isTrusted() const = 0;
};

} // namespace Platform
