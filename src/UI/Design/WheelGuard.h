#pragma once

class QWidget;

// Keeps the mouse wheel from changing a value control (a combo box, slider or spin box) that sits
// on a scrolling page while the pointer merely passes over it: such a control takes the wheel only
// while it has keyboard focus; otherwise the nearest scrolling page around it scrolls (and without
// one the wheel does nothing). Every value control placed on a page that scrolls is guarded so.
namespace WheelGuard {

// Guards `control` (it is also kept from taking focus through the wheel).
void apply(QWidget& control);
bool isApplied(const QWidget& control);

} // namespace WheelGuard
