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
};

inline constexpr int kGap = 12;
inline constexpr int kMargin = 8;

// The panel's new top-left corner, or nothing when it should stay where it is (no screen to place
// on). "center" centres it on the pointer's screen; any other mode ("cursor", "input", unknown)
// centres it horizontally on the anchor (the input frame in "input" mode when there is one, else the
// pointer) above the anchor when it fits, else below, kept 8 pixels inside the screen.
std::optional<QPoint> place(QSize panel, QPoint pointer, const QString& mode,
                            const std::optional<QRect>& inputFrame, const QList<Screen>& screens,
                            const std::optional<Screen>& primary);

} // namespace PanelPlacement
