#include "Hotkeys/Notifications.h"

namespace Hotkeys {

NotificationCenter& NotificationCenter::instance() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo) {
    emit posted(name, userInfo);
}

} // namespace Hotkeys
