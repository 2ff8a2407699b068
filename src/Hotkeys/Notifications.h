#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace Hotkeys {

// Posted after every change of a name's stored shortcut; user info "name" holds the Name.
inline const QString shortcutByNameDidChange = QStringLiteral("Hotkeys_shortcutByNameDidChange");
// Posted when a recorder starts or ends recording; user info "isActive" holds whether any recorder
// is recording now.
inline const QString recorderActiveStatusDidChange = QStringLiteral("Hotkeys_recorderActiveStatusDidChange");

// The library's notification centre: a name and a user-info map per notification, delivered
// synchronously on the posting (main) thread.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& instance();
    void post(const QString& name, const QVariantMap& userInfo);

signals:
    void posted(const QString& name, const QVariantMap& userInfo);
};

} // namespace Hotkeys
