#pragma once

// The desktop's side of a status icon over D-Bus, for driving the real program's tray menu: a
// status-notifier watcher with a host, which learns the icon the program registers, and a client
// of the icon's exported menu that opens it and chooses an entry as a desktop panel would.
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPoint>
#include <QStringList>

class StatusNotifierWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    // Claims the watcher's name on the bus at `address`; isValid() says whether that worked.
    explicit StatusNotifierWatcher(const QString& address);
    ~StatusNotifierWatcher() override;

    bool isValid() const { return m_valid; }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }

    // Opens the menu of the first registered icon and chooses the entry labelled `label`; false when
    // there is no icon, no menu or no such entry.
    bool choose(const QString& label);
    // The labels of the menu's entries, as the icon exports them after opening.
    QStringList labels();
    // A left click on the first registered icon at `screenPos`, as a desktop panel reports it.
    bool activate(const QPoint& screenPos);

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString& service);

private:
    struct Entry {
        int id;
        QString label;
    };
    QList<Entry> openMenu();
    QString menuPath(const QString& service);

    QDBusConnection m_connection;
    bool m_valid = false;
    QStringList m_items;
    QString m_openService;
    QString m_openPath;
};
