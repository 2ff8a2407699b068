#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

namespace Platform {

// In-process notifications: a name plus a key/value map, delivered synchronously on the posting
// thread to every observer of that name, in the order the observers were added.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QVariantMap& userInfo)>;

    explicit NotificationCenter(QObject* parent = nullptr);

    // The process-wide centre.
    static NotificationCenter& defaultCenter();

    void post(const QString& name, const QVariantMap& userInfo = {});
    // Observes `name` until `context` is destroyed or the returned connection is disconnected.
    QMetaObject::Connection observe(const QString& name, QObject* context, Handler handler);

signals:
    void posted(const QString& name, const QVariantMap& userInfo);
};

} // namespace Platform
