#include "EarlyHandOver.h"

#include "BusNames.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <memory>

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

// Calls `method` with `strings` as its one argument (an array), or with none.
bool call(DBusConnection* connection, const char* method, const std::span<const char* const>* strings) {
    Message message(
        dbus_message_new_method_call(BusNames::service, BusNames::objectPath, BusNames::interface, method));
    if (!message)
        return false;
    // Only a running instance may answer; the bus starts nothing for us.
    dbus_message_set_auto_start(message.get(), false);
    if (strings) {
        DBusMessageIter arguments;
        DBusMessageIter array;
        dbus_message_iter_init_append(message.get(), &arguments);
        if (!dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING,
                                              &array))
            return false;
        for (const char* value : *strings) {
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

bool handOverEarly(bool showHistory, std::span<const char* const> urls) {
    if (!showHistory && urls.empty())
        return false;
    // libdbus ends the process on a string that is not UTF-8; such an argument goes the long way,
    // where Qt reads it.
    if (!std::all_of(urls.begin(), urls.end(),
                     [](const char* url) { return dbus_validate_utf8(url, nullptr); }))
        return false;
    DBusError error;
    dbus_error_init(&error);
    // A private connection, so a bus connection made later in this process is its own.
    std::unique_ptr<DBusConnection, ConnectionCloser> connection(
        dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    dbus_error_free(&error);
    if (!connection)
        return false;
    dbus_connection_set_exit_on_disconnect(connection.get(), false);
    // No separate question whether an instance runs: without one the bus answers the first call
    // with an error at once. The same order as the ordinary hand-over: URLs first.
    bool delivered = true;
    if (!urls.empty())
        delivered = call(connection.get(), "OpenURLs", &urls) && delivered;
    if (showHistory)
        delivered = call(connection.get(), "ShowHistory", nullptr) && delivered;
    return delivered;
}

} // namespace Platform
