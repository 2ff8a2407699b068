#include "TrayHost.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

// One level of a menu layout, (ia{sv}av): the entry's id, its properties and its children.
void readLayout(const QDBusArgument& argument, QList<std::pair<int, QString>>& entries, bool isRoot) {
    int id = 0;
    QVariantMap properties;
    argument.beginStructure();
    argument >> id >> properties;
    argument.beginArray();
    QList<QDBusVariant> children;
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        children << child;
    }
    argument.endArray();
    argument.endStructure();
    if (!isRoot)
        entries.append({id, properties.value(QStringLiteral("label")).toString()});
    for (const QDBusVariant& child : children)
        readLayout(child.variant().value<QDBusArgument>(), entries, false);
}

} // namespace

StatusNotifierWatcher::StatusNotifierWatcher(const QString& address)
    : m_connection(QDBusConnection::connectToBus(address, QStringLiteral("status-notifier-host"))) {
    m_valid =
        m_connection.isConnected() &&
        m_connection.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
        m_connection.registerService(kWatcherService);
}

StatusNotifierWatcher::~StatusNotifierWatcher() {
    m_connection.unregisterService(kWatcherService);
    m_connection.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    QDBusConnection::disconnectFromBus(QStringLiteral("status-notifier-host"));
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service) {
    // An item may name only its object path; then its service is the caller.
    m_items << (service.startsWith(u'/') ? message().service() : service);
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString&) {}

QString StatusNotifierWatcher::menuPath(const QString& service) {
    QDBusMessage get = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kItemInterface << QStringLiteral("Menu");
    const QDBusMessage reply = m_connection.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
}

QList<StatusNotifierWatcher::Entry> StatusNotifierWatcher::openMenu() {
    if (m_items.isEmpty())
        return {};
    const QString service = m_items.first();
    const QString path = menuPath(service);
    if (path.isEmpty())
        return {};
    // A panel tells the menu it is about to open (the program builds its entries then), then reads it.
    QDBusMessage aboutToShow =
        QDBusMessage::createMethodCall(service, path, kMenuInterface, QStringLiteral("AboutToShow"));
    aboutToShow << 0;
    m_connection.call(aboutToShow, QDBus::Block, 5000);
    QDBusMessage getLayout =
        QDBusMessage::createMethodCall(service, path, kMenuInterface, QStringLiteral("GetLayout"));
    getLayout << 0 << -1 << QStringList{QStringLiteral("label")};
    const QDBusMessage reply = m_connection.call(getLayout, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return {};
    QList<std::pair<int, QString>> read;
    readLayout(reply.arguments().at(1).value<QDBusArgument>(), read, true);
    QList<Entry> entries;
    for (const auto& [id, label] : read)
        entries.append({id, label});
    m_openService = service;
    m_openPath = path;
    return entries;
}

QStringList StatusNotifierWatcher::labels() {
    QStringList all;
    for (const Entry& entry : openMenu())
        all << entry.label;
    return all;
}

bool StatusNotifierWatcher::choose(const QString& label) {
    for (const Entry& entry : openMenu()) {
        if (entry.label != label)
            continue;
        QDBusMessage event = QDBusMessage::createMethodCall(m_openService, m_openPath, kMenuInterface,
                                                            QStringLiteral("Event"));
        event << entry.id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
        return m_connection.call(event, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }
    return false;
}

bool StatusNotifierWatcher::activate(const QPoint& screenPos) {
    if (m_items.isEmpty())
        return false;
    QDBusMessage activate = QDBusMessage::createMethodCall(
        m_items.first(), QStringLiteral("/StatusNotifierItem"), kItemInterface, QStringLiteral("Activate"));
    activate << screenPos.x() << screenPos.y();
    return m_connection.call(activate, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}
