#include "StatusMenuKeys.h"

#include <Hotkeys/LocalEventMonitor.h>
#include <Hotkeys/Shortcut.h>

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>

namespace App {
namespace {

// The key sequences a press stands for: as Qt reports the key, and as the layout's Latin group names
// the key's position, so that Ctrl+Q also works while a Cyrillic layout is active.
QList<QKeySequence> sequencesOf(const QKeyEvent& event) {
    QList<QKeySequence> sequences{
        QKeySequence(QKeyCombination(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key())))};
    if (const std::optional<Hotkeys::Shortcut> pressed = Hotkeys::Shortcut::fromKeyEvent(event)) {
        if (const std::optional<QKeySequence> sequence = pressed->keySequence())
            sequences << *sequence;
    }
    return sequences;
}

// Whether the receiver takes the key for itself, asked as Qt asks before it looks for a shortcut.
bool takenByReceiver(QObject* receiver, const QKeyEvent& event) {
    QKeyEvent probe(QEvent::ShortcutOverride, event.key(), event.modifiers(), event.nativeScanCode(),
                    event.nativeVirtualKey(), event.nativeModifiers(), event.text(), event.isAutoRepeat(),
                    event.count());
    probe.ignore();
    QCoreApplication::sendEvent(receiver, &probe);
    return probe.isAccepted();
}

} // namespace

StatusMenuKeys::StatusMenuKeys(std::function<Platform::MenuModel()> menu)
    : m_menu(std::move(menu)),
      m_monitor(std::make_unique<Hotkeys::LocalEventMonitor>(
          QSet<QEvent::Type>{QEvent::KeyPress}, [this](QObject* receiver, QEvent* event) {
              return handleKeyPress(receiver, *static_cast<QKeyEvent*>(event));
          })) {
    m_monitor->start();
}

StatusMenuKeys::~StatusMenuKeys() = default;

bool StatusMenuKeys::handleKeyPress(QObject* receiver, QKeyEvent& event) {
    // Every key of the menu has Ctrl, Alt or Super; other presses (typing) are not looked at.
    if (!(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) ||
        !receiver->isWidgetType() || QApplication::activeModalWidget())
        return false;
    const QList<QKeySequence> pressed = sequencesOf(event);
    for (Platform::MenuEntry& entry : m_menu()) {
        if (entry.shortcut.isEmpty() || !entry.action ||
            !pressed.contains(QKeySequence(entry.shortcut, QKeySequence::PortableText)))
            continue;
        if (takenByReceiver(receiver, event))
            return false;
        // Pressed in the open menu, the key closes it, as choosing the entry would.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        // After the key's own handling, as a menu entry runs after the menu has closed.
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(entry.action));
        return true;
    }
    return false;
}

} // namespace App
