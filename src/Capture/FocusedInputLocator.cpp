#include "FocusedInputLocator.h"

#include <Platform/AccessibilityTrust.h>
#include <Platform/FocusedElementLocator.h>

FocusedInputLocator::FocusedInputLocator(Platform::FocusedElementLocator& locator,
                                         Platform::AccessibilityTrust& trust)
    : m_locator(locator), m_trust(trust) {}

QFuture<std::optional<QRect>> FocusedInputLocator::focusedInputFrame() {
    if (!m_trust.isTrusted())
        return QtFuture::makeReadyFuture(std::optional<QRect>());
    return m_locator.focusedInputFrame().then([](const std::optional<QRect>& frame) -> std::optional<QRect> {
        // A caret is a line without width; only a height is needed.
        if (!frame || frame->width() < 0 || frame->height() <= 0)
            return std::nullopt;
        return frame;
    });
}
