#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

class QMouseEvent;

// Moves the window of a widget while the left button is held after a press on that widget. The
// window manager does the move when it offers one; otherwise the window is moved here. A widget
// hands its mouse events to it; each call says whether it took the event.
class WindowDrag {
public:
    bool press(QWidget& widget, QMouseEvent& event);
    bool move(QWidget& widget, QMouseEvent& event);
    bool release(QMouseEvent& event);

private:
    // Where the pointer grabbed the window, relative to its top-left corner, while dragging here.
    std::optional<QPoint> m_grabOffset;
};

// A strip by which the user drags its window: pressing in it and moving the pointer moves the
// whole window, and the pointer shows an open hand over it.
class WindowDragHandle : public QWidget {
    Q_OBJECT
public:
    explicit WindowDragHandle(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WindowDrag m_drag;
};
