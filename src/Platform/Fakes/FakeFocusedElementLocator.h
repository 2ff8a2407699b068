#pragma once

#include "Platform/FocusedElementLocator.h"

#include <QFuture>

namespace Platform {

class FakeFocusedElementLocator : public FocusedElementLocator {
public:
    std::optional<QRect> frame;

    QFuture<std::optional<QRect>> focusedInputFrame() override { return QtFuture::makeReadyFuture(frame); }
};

} // namespace Platform
