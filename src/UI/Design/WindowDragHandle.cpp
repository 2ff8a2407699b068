#include "WindowDragHandle.h"

#include <QMouseEvent>
#include <QWindow>

bool WindowDrag::press(QWidget& widget, QMouseEvent& event) {
    if (event.button() != Qt::LeftButton)
        return false;
    QWidget* top = widget.window();
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove())
        return true;
    m_grabOffset = event.globalPosition().toPoint() - top->frameGeometry().topLeft();
    return true;
}

bool WindowDrag::move(QWidget& widget, QMouseEvent& event) {
    if (!m_grabOffset || !(event.buttons() & Qt::LeftButton))
        return false;
    widget.window()->move(event.globalPosition().toPoint() - *m_grabOffset);
    return true;
}

bool WindowDrag::release(QMouseEvent& event) {
    if (event.button() != Qt::LeftButton || !m_grabOffset)
        return false;
    m_grabOffset.reset();
    return true;
}

WindowDragHandle::WindowDragHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::OpenHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WindowDragHandle::mousePressEvent(QMouseEvent* event) {
    if (m_drag.press(*this, *event))
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void WindowDragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag.move(*this, *event))
        event->accept();
    else
        QWidget::mouseMoveEvent(event);
}

void WindowDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag.release(*event))
        event->accept();
    else
        QWidget::mouseReleaseEvent(event);
}
