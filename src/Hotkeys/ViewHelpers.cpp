#include "Hotkeys/ViewHelpers.h"

#include "Hotkeys/Notifications.h"

#include <QAbstractButton>
#include <QWidget>

namespace Hotkeys {
namespace {

void attach(QWidget* widget, std::unique_ptr<EventStream> stream) {
    stream.release()->setParent(widget);
}

void applyShortcut(QAbstractButton* button, const Name& name, bool recorderActive) {
    const auto shortcut = recorderActive ? std::nullopt : getShortcut(name);
    const auto sequence = shortcut ? shortcut->keySequence() : std::nullopt;
    button->setShortcut(sequence.value_or(QKeySequence()));
}

} // namespace

void onKeyboardShortcut(QWidget* widget, const Name& name, std::function<void(EventType)> perform) {
    auto stream = events(name);
    QObject::connect(stream.get(), &EventStream::event, widget, std::move(perform));
    attach(widget, std::move(stream));
}

void onKeyboardShortcut(QWidget* widget, const Name& name, EventType type, std::function<void()> perform) {
    auto stream = events(type, name);
    QObject::connect(stream.get(), &EventStream::event, widget,
                     [perform = std::move(perform)](EventType) { perform(); });
    attach(widget, std::move(stream));
}

void globalKeyboardShortcut(QAbstractButton* button, const Name& name) {
    applyShortcut(button, name, isPaused());
    QObject::connect(&NotificationCenter::instance(), &NotificationCenter::posted, button,
                     [button, name](const QString& notification, const QVariantMap& userInfo) {
                         if (notification == recorderActiveStatusDidChange) {
                             applyShortcut(button, name, userInfo.value(QStringLiteral("isActive")).toBool());
                             return;
                         }
                         if (notification != shortcutByNameDidChange)
                             return;
                         const QVariant changed = userInfo.value(QStringLiteral("name"));
                         if (changed.canConvert<Name>() && changed.value<Name>() == name)
                             applyShortcut(button, name, isPaused());
                     });
}

} // namespace Hotkeys
