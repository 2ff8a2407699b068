#include "Hotkeys/MenuItemBinding.h"

#include "Hotkeys/Notifications.h"
#include "Hotkeys/Registry.h"

#include <QAction>
#include <QPointer>
#include <QTimer>

namespace Hotkeys {
namespace {

const char* const kBindingObjectName = "Hotkeys_shortcutBinding";

// Lives as a child of the bound action; deleting it ends the observation.
class ShortcutBinding : public QObject {
public:
    ShortcutBinding(QAction* action, const Name& name) : QObject(action) {
        setObjectName(QLatin1String(kBindingObjectName));
        connect(&NotificationCenter::instance(), &NotificationCenter::posted, this,
                [action, name](const QString& notification, const QVariantMap& userInfo) {
                    if (notification != shortcutByNameDidChange)
                        return;
                    const QVariant changed = userInfo.value(QStringLiteral("name"));
                    if (!changed.canConvert<Name>() || changed.value<Name>().rawValue() != name.rawValue())
                        return;
                    QTimer::singleShot(0, action, [action, name] { setShortcut(action, getShortcut(name)); });
                });
    }
};

} // namespace

void setShortcut(QAction* action, const std::optional<Shortcut>& shortcut) {
    const auto sequence = shortcut ? shortcut->keySequence() : std::nullopt;
    action->setShortcut(sequence.value_or(QKeySequence()));
}

void setShortcutFor(QAction* action, const std::optional<Name>& name) {
    delete action->findChild<QObject*>(QLatin1String(kBindingObjectName), Qt::FindDirectChildrenOnly);
    if (!name) {
        setShortcut(action, std::nullopt);
        return;
    }
    setShortcut(action, getShortcut(*name));
    new ShortcutBinding(action, *name);
}

} // namespace Hotkeys
