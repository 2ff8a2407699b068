#include "WindowDragHandle.h"

#include <QMouseEvent>
#include <QWindow>

WindowDragHandle::WindowDragHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::OpenHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void WindowDragHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWidget* top = window();
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove()) {
        event->accept();
        return;
    }
    m_grabOffset = event->globalPosition().toPoint() - top->frameGeometry().topLeft();
    event->accept();
}

void WindowDragHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!m_grabOffset || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    window()->move(event->globalPosition().toPoint() - *m_grabOffset);
    event->accept();
}

void WindowDragHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_grabOffset) {
        m_grabOffset.reset();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}
