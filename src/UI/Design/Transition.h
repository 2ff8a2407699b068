#pragma once

#include "Motion.h"

#include <QRect>

#include <functional>

class QWidget;

// Scale-and-fade transitions for overlays: a widget appears growing from a slightly smaller size
// around its centre while it fades in, and leaves the same way. Under Reduce Motion (read when the
// transition starts) the end state is applied at once.
namespace QS::Transition {

// The rectangle `target` scaled by `scale` around its centre.
QRect scaledAroundCentre(const QRect& target, double scale);

// Shows `widget` at `target`, growing from `fromScale` and fading in with `animation`. A transition
// already running on the widget is replaced.
void appear(QWidget& widget, const QRect& target, double fromScale, const QS::Motion::Animation& animation);

// Shrinks `widget` from `target` to `toScale` while it fades out, then calls `done`; a `done` that
// disposes of the widget uses deleteLater(), as the widget's animation is still finishing. The widget
// takes no input while it leaves.
void disappear(QWidget& widget, const QRect& target, double toScale, const QS::Motion::Animation& animation,
               std::function<void()> done);

// Fades `widget` in where it stands (its layout keeps placing it), for content that replaces other
// content in the same place.
void fadeIn(QWidget& widget, const QS::Motion::Animation& animation);

// True while a transition of this module runs on `widget`.
bool isRunning(const QWidget& widget);

} // namespace QS::Transition
