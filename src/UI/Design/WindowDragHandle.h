#pragma once

#include <QPoint>
#include <QWidget>

#include <optional>

// A strip by which the user drags its window: pressing in it and moving the pointer moves the
// whole window, and the pointer shows an open hand over it. The window manager does the move when
// it offers one; otherwise the handle moves the window itself.
class WindowDragHandle : public QWidget {
    Q_OBJECT
public:
    explicit WindowDragHandle(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Where the pointer grabbed the window, relative to its top-left corner, while dragging here.
    std::optional<QPoint> m_grabOffset;
};
