#pragma once

#include <QFuture>
#include <QRect>

#include <optional>

namespace Platform {
class AccessibilityTrust;
class FocusedElementLocator;
} // namespace Platform

// Where the text caret of the focused input field of the application in front is, for placing the
// history panel beside it. Device pixels of the X screen, origin at the top-left: under a scale
// factor they differ from the coordinates Qt places our windows in (PanelPlacement converts).
class FocusedInputLocator {
public:
    FocusedInputLocator(Platform::FocusedElementLocator& locator, Platform::AccessibilityTrust& trust);

    // The caret's bounds (often no wider than a line), else the focused field's or window's frame.
    // Nothing without the right to read other applications' fields, or when the answer has no
    // height; the caller then places the panel elsewhere. Ask before our own window takes the focus.
    QFuture<std::optional<QRect>> focusedInputFrame();

private:
    Platform::FocusedElementLocator& m_locator;
    Platform::AccessibilityTrust& m_trust;
};
