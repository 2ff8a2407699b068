#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// Where the history panel goes when it is shown: a pure function of the panel size, the pointer,
// the "windowPosition" setting, the focused input's frame and the screens. Screen coordinates have
// their origin at the top-left, y downwards.
namespace PanelPlacement {

struct Screen {
    QRect frame;
    // The frame without panels and docks.
    QRect available;
    // Device pixels per coordinate unit (Qt's scale factor, QT_SCALE_FACTOR for one): the screen's
    // frame in device pixels starts at the same top-left corner and is this many times larger.
    qreal devicePixelRatio = 1.0;
};

inline constexpr int kGap = 12;
inline constexpr int kMargin = 8;

// A rectangle in the X screen's device pixels (what the accessibility bus and the X server report
// for other applications' windows) in the coordinates the panel is placed in, through the screen
// whose device-pixel frame holds its centre (else the first it touches, else the first screen).
// Unchanged when there is no screen.
QRect fromDevicePixels(const QRect& rect, const QList<Screen>& screens);

// The panel's new top-left corner, or nothing when it should stay where it is (no screen to place
// on). "center" centres it on the pointer's screen; any other mode ("cursor", "input", unknown)
// centres it horizontally on the anchor (the input frame in "input" mode when there is one, else the
// pointer) above the anchor when it fits, else below, kept 8 pixels inside the screen.
std::optional<QPoint> place(QSize panel, QPoint pointer, const QString& mode,
                            const std::optional<QRect>& inputFrame, const QList<Screen>& screens,
                            const std::optional<Screen>& primary);

} // namespace PanelPlacement
