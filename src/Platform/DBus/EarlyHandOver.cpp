#include "EarlyHandOver.h"

#include "DBusSingleInstance.h"

#include <dbus/dbus.h>

#include <memory>
#include <vector>

namespace Platform {

namespace {

// As long as a call of the ordinary hand-over may take.
constexpr int kCallTimeoutMs = 5000;

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

bool call(DBusConnection* connection, const char* method, const QStringList& strings, bool withArray) {
    Message message(dbus_message_new_method_call(DBusSingleInstance::serviceName,
                                                 DBusSingleInstance::objectPath,
                                                 DBusSingleInstance::interfaceName, method));
    if (!message)
        return false;
    if (withArray) {
        std::vector<QByteArray> utf8;
        utf8.reserve(size_t(strings.size()));
        for (const QString& string : strings)
            utf8.push_back(string.toUtf8());
        DBusMessageIter arguments;
        DBusMessageIter array;
        dbus_message_iter_init_append(message.get(), &arguments);
        if (!dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING,
                                              &array))
            return false;
        for (const QByteArray& bytes : utf8) {
            const char* value = bytes.constData();
            if (!dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &value)) {
                dbus_message_iter_abandon_container(&arguments, &array);
                return false;
            }
        }
        if (!dbus_message_iter_close_container(&arguments, &array))
            return false;
    }
    DBusError error;
    dbus_error_init(&error);
    Message reply(
        dbus_connection_send_with_reply_and_block(connection, message.get(), kCallTimeoutMs, &error));
    const bool answered = reply && !dbus_error_is_set(&error);
    dbus_error_free(&error);
    return answered;
}

} // namespace

bool handOverEarly(bool showHistory, const QStringList& urls) {
    if (!showHistory && urls.isEmpty())
        return false;
    DBusError error;
    dbus_error_init(&error);
    // A private connection, so the one Qt opens later is its own.
    std::unique_ptr<DBusConnection, ConnectionCloser> connection(
        dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    dbus_error_free(&error);
    if (!connection)
        return false;
    dbus_connection_set_exit_on_disconnect(connection.get(), false);
    dbus_error_init(&error);
    const bool running = dbus_bus_name_has_owner(connection.get(), DBusSingleInstance::serviceName, &error);
    dbus_error_free(&error);
    if (!running)
        return false;
    // The same order as the ordinary hand-over: URLs first.
    bool delivered = true;
    if (!urls.isEmpty())
        delivered = call(connection.get(), "OpenURLs", urls, true) && delivered;
    if (showHistory)
        delivered = call(connection.get(), "ShowHistory", {}, false) && delivered;
    return delivered;
}

} // namespace Platform
