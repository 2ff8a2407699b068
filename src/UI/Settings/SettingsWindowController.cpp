#include "SettingsWindowController.h"

#include "SettingsView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace UI {

Q_LOGGING_CATEGORY(lcSettings, "quillstack.settings", QtInfoMsg)

namespace {
constexpr QSize kWindowSize(640, 540);

QString settingsTitle() {
    return QCoreApplication::translate("SettingsWindowController", "Quillstack Settings");
}

class SettingsWindowWidget final : public QWidget {
public:
    SettingsWindowWidget()
        : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::WindowMinimizeButtonHint) {
        setObjectName(QStringLiteral("settingsWindow"));
        setFixedSize(kWindowSize);
        setWindowTitle(settingsTitle());
        for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)}) {
            auto* shortcut = new QShortcut(keys, this);
            connect(shortcut, &QShortcut::activated, this, &QWidget::close);
        }
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

SettingsWindowController::SettingsWindowController(SettingsServices services)
    : m_window(std::make_unique<SettingsWindowWidget>()), m_view(new SettingsView(std::move(services))) {
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show() {
    m_window->setWindowTitle(settingsTitle());
    centre(*m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    const QPoint origin = m_window->geometry().topLeft();
    qCDebug(lcSettings, "settings window shown at %d,%d on the %s tab", origin.x(), origin.y(),
            qPrintable(SettingsView::rawValue(m_view->tab())));
}

void SettingsWindowController::showGeneralPage() {
    m_view->selectTab(SettingsTab::General);
    show();
}

} // namespace UI
