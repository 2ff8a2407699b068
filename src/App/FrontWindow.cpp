#include "FrontWindow.h"

#include <Platform/Workspace.h>

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace App {

namespace {

// How long after the window is shown the activation is asked for: the window manager must have
// mapped it first.
constexpr int kActivationDelayMs = 50;

class ActivateWhenShown : public QObject {
public:
    ActivateWhenShown(QWidget& window, Platform::Workspace& workspace)
        : QObject(&window), m_window(&window), m_workspace(workspace) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Show) {
            m_window->raise();
            m_window->activateWindow();
            QTimer::singleShot(kActivationDelayMs, this, [this] {
                if (!m_window || !m_window->isVisible())
                    return;
                Platform::RunningApplication ours;
                ours.window = quint32(m_window->winId());
                m_workspace.activate(ours);
            });
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    Platform::Workspace& m_workspace;
};

} // namespace

void keepInFront(QWidget& window, Platform::Workspace& workspace) {
    window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window.installEventFilter(new ActivateWhenShown(window, workspace));
}

} // namespace App
