#include "Hotkeys/RecorderControl.h"

#include "Hotkeys/GlobalHotkeys.h"
#include "Hotkeys/LocalEventMonitor.h"
#include "Hotkeys/Localization.h"
#include "Hotkeys/Notifications.h"
#include "Hotkeys/RecorderKeyFilter.h"
#include "Hotkeys/Registry.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>

namespace Hotkeys {

namespace {

// Hides the text caret of a recording field: there is nothing to type. One instance serves every
// recorder of the application.
class RecorderCaretStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const auto* recorder = qobject_cast<const RecorderControl*>(widget);
        if (metric == PM_TextCursorWidth && recorder && recorder->isRecording())
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QStyle* caretStyle() {
    static QPointer<RecorderCaretStyle> style;
    if (!style) {
        style = new RecorderCaretStyle(QApplication::style()->name());
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

constexpr int kMinimumWidth = 130;
constexpr int kClickSlop = 3;

// Menu entries of the field's window whose key sequence the shortcut would shadow.
QList<QAction*> windowMenuActions(const QWidget* control) {
    QList<QAction*> actions;
    for (const QMenuBar* menuBar : control->window()->findChildren<QMenuBar*>())
        actions += menuBar->actions();
    return actions;
}

} // namespace

RecorderControl::RecorderControl(const Name& name, OnChange onChange, QWidget* parent)
    : QLineEdit(parent), m_name(name), m_onChange(std::move(onChange)) {
    setStyle(caretStyle());
    setPlaceholderText(localized("record_shortcut"));
    setAlignment(Qt::AlignCenter);
    setClearButtonEnabled(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    refreshText();
    connect(this, &QLineEdit::textEdited, this, &RecorderControl::handleTextEdited);
    connect(&NotificationCenter::instance(), &NotificationCenter::posted, this,
            [this](const QString& notification, const QVariantMap& userInfo) {
                if (notification != shortcutByNameDidChange)
                    return;
                const QVariant name = userInfo.value(QStringLiteral("name"));
                if (name.canConvert<Name>() && name.value<Name>() == m_name)
                    refreshText();
            });
}

RecorderControl::~RecorderControl() {
    stopRecording();
}

void RecorderControl::setShortcutName(const Name& name) {
    if (name == m_name)
        return;
    m_name = name;
    refreshText();
}

QSize RecorderControl::sizeHint() const {
    return {kMinimumWidth, QLineEdit::sizeHint().height()};
}

QSize RecorderControl::minimumSizeHint() const {
    return sizeHint();
}

void RecorderControl::setPresenter(Presenter presenter) {
    m_presenter = std::move(presenter);
    refreshText();
}

QString RecorderControl::present(const Shortcut& shortcut) const {
    return m_presenter ? m_presenter(shortcut) : shortcut.presentableDescription();
}

void RecorderControl::refreshText() {
    const auto shortcut = getShortcut(m_name);
    setText(shortcut ? present(*shortcut) : QString());
}

bool RecorderControl::event(QEvent* event) {
    // While recording, key presses belong to the recorder, not to shortcuts of the window.
    if (event->type() == QEvent::ShortcutOverride && isRecording()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void RecorderControl::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason && !m_resumeAfterAlert) {
        // The window just became active (or was opened): that alone never starts a recording.
        QTimer::singleShot(0, this, [this] {
            if (hasFocus() && !isRecording())
                clearFocus();
        });
        return;
    }
    startRecording();
}

void RecorderControl::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    // Focused by the window's activation a moment ago: a click still starts recording.
    if (hasFocus())
        startRecording();
}

void RecorderControl::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    stopRecording();
    // Leaving the window takes the focus away for good, so coming back does not record.
    if (event->reason() == Qt::ActiveWindowFocusReason)
        clearFocus();
}

void RecorderControl::hideEvent(QHideEvent* event) {
    QLineEdit::hideEvent(event);
    stopRecording();
}

void RecorderControl::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        setPlaceholderText(localized(isRecording() ? "press_shortcut" : "record_shortcut"));
        refreshText();
    }
}

void RecorderControl::startRecording() {
    m_resumeAfterAlert = false;
    if (isRecording())
        return;
    setPlaceholderText(localized("press_shortcut"));
    m_monitor = std::make_unique<LocalEventMonitor>(
        QSet<QEvent::Type>{QEvent::KeyPress, QEvent::KeyRelease, QEvent::MouseButtonRelease},
        [this](QObject*, QEvent* event) { return handleMonitoredEvent(event); });
    m_monitor->start();
    update();
    beginRecording();
    postActiveStatus();
}

void RecorderControl::stopRecording() {
    if (!isRecording())
        return;
    m_monitor.reset();
    update();
    setPlaceholderText(localized("record_shortcut"));
    endRecording();
    postActiveStatus();
}

void RecorderControl::postActiveStatus() {
    NotificationCenter::instance().post(recorderActiveStatusDidChange,
                                        {{QStringLiteral("isActive"), isPaused()}});
}

bool RecorderControl::handleMonitoredEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint local = mapFromGlobal(mouse->globalPosition().toPoint());
        const QRect grown = rect().adjusted(-kClickSlop, -kClickSlop, kClickSlop, kClickSlop);
        if (!grown.contains(local))
            clearFocus();
        return false;
    }
    if (event->type() == QEvent::KeyRelease)
        return true;
    return handleKeyPress(static_cast<QKeyEvent*>(event));
}

bool RecorderControl::handleKeyPress(QKeyEvent* event) {
    using Action = RecorderKeyDecision::Action;
    const RecorderKeyDecision decision = decideRecorderKey(*event);
    switch (decision.action) {
    case Action::swallow:
        return true;
    case Action::pass:
        return false;
    case Action::resignFocusAndSwallow:
        clearFocus();
        return true;
    case Action::clear:
        clearByUser();
        return true;
    case Action::beep:
        QApplication::beep();
        return true;
    case Action::record:
        break;
    }
    const Shortcut shortcut = *decision.shortcut;
    if (QAction* item = shortcut.menuItemWithMatchingShortcut(windowMenuActions(this))) {
        showConflictAlert(localized("keyboard_shortcut_used_by_menu_item").arg(item->iconText()), {}, false);
        return true;
    }
    const bool bareF12 = shortcut.carbonKeyCode() == Key::f12.rawValue && shortcut.carbonModifiers() == 0;
    if (!bareF12 && GlobalHotkeys::isUsedBySystem(shortcut)) {
        const int answer = showConflictAlert(localized("keyboard_shortcut_used_by_system"),
                                             localized("keyboard_shortcuts_can_be_changed"), true);
        if (answer != QMessageBox::AcceptRole)
            return true;
    }
    save(shortcut);
    return true;
}

int RecorderControl::showConflictAlert(const QString& message, const QString& informativeText,
                                       bool offerForce) {
    clearFocus();
    QMessageBox alert(QMessageBox::Warning, QString(), message, QMessageBox::NoButton, window());
    alert.setInformativeText(informativeText);
    QPushButton* force = nullptr;
    if (offerForce) {
        alert.addButton(localized("ok"), QMessageBox::RejectRole);
        force = alert.addButton(localized("force_use_shortcut"), QMessageBox::AcceptRole);
    } else {
        alert.addButton(QMessageBox::Ok);
    }
    alert.exec();
    const bool forced = force && alert.clickedButton() == force;
    // Recording resumes as soon as the window is in front again, or at once when the field got the
    // focus back already while the alert was closing.
    m_resumeAfterAlert = true;
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
    if (hasFocus())
        startRecording();
    return forced ? QMessageBox::AcceptRole : QMessageBox::RejectRole;
}

void RecorderControl::save(const Shortcut& shortcut) {
    setText(present(shortcut));
    userDefaultsSet(m_name, shortcut);
    if (m_onChange)
        m_onChange(shortcut);
    clearFocus();
}

void RecorderControl::clearByUser() {
    if (text().isEmpty())
        return;
    clear();
    handleTextEdited(QString());
}

void RecorderControl::handleTextEdited(const QString& text) {
    if (!text.isEmpty())
        return;
    setShortcut(std::nullopt, m_name);
    if (m_onChange)
        m_onChange(std::nullopt);
    setFocus(Qt::OtherFocusReason);
}

} // namespace Hotkeys
