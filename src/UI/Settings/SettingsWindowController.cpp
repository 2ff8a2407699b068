#include "SettingsWindowController.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace UI {

namespace {
QString settingsTitle() {
    return QCoreApplication::translate("SettingsWindowController", "Quillstack Settings");
}

class SettingsWindowWidget final : public QWidget {
public:
    SettingsWindowWidget()
        : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::WindowMinimizeButtonHint) {
        setFixedSize(640, 540);
        setWindowTitle(settingsTitle());
    }

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::LanguageChange)
            setWindowTitle(settingsTitle());
        QWidget::changeEvent(event);
    }
};

void centre(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}
} // namespace

SettingsWindowController::SettingsWindowController() : m_window(std::make_unique<SettingsWindowWidget>()) {}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show() {
    m_window->setWindowTitle(settingsTitle());
    centre(*m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace UI
