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
HandOverResult call(DBusConnection* connection, const char* method,
                    const std::span<const char* const>* strings) {
    Message message(
        dbus_message_new_method_call(BusNames::service, BusNames::objectPath, BusNames::interface, method));
    if (!message)
        return HandOverResult::Failed;
    // Only a running instance may answer; the bus starts nothing for us.
    dbus_message_set_auto_start(message.get(), false);
    if (strings) {
        DBusMessageIter arguments;
        DBusMessageIter array;
        dbus_message_iter_init_append(message.get(), &arguments);
        if (!dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING_AS_STRING,
                                              &array))
            return HandOverResult::Failed;
        for (const char* value : *strings) {
            if (!dbus_message_iter_append_basic(&array, DBUS_TYPE_STRING, &value)) {
                dbus_message_iter_abandon_container(&arguments, &array);
                return HandOverResult::Failed;
            }
        }
        if (!dbus_message_iter_close_container(&arguments, &array))
            return HandOverResult::Failed;
    }
    DBusError error;
    dbus_error_init(&error);
    Message reply(
        dbus_connection_send_with_reply_and_block(connection, message.get(), kCallTimeoutMs, &error));
    HandOverResult result = HandOverResult::Delivered;
    if (dbus_error_is_set(&error)) {
        // Without auto-start the bus says the name has no owner (older buses: no service for it).
        const bool nobody = dbus_error_has_name(&error, DBUS_ERROR_NAME_HAS_NO_OWNER) ||
                            dbus_error_has_name(&error, DBUS_ERROR_SERVICE_UNKNOWN);
        result = nobody ? HandOverResult::NotRunning : HandOverResult::Failed;
    } else if (!reply) {
        result = HandOverResult::Failed;
    }
    dbus_error_free(&error);
    return result;
}

} // namespace

HandOverResult handOverEarly(bool showHistory, std::span<const char* const> urls,
                             std::span<const InstanceCommand> commands) {
    if (!showHistory && urls.empty() && commands.empty())
        return HandOverResult::Failed;
    // libdbus ends the process on a string that is not UTF-8; such an argument goes the long way,
    // where Qt reads it.
    if (!std::all_of(urls.begin(), urls.end(),
                     [](const char* url) { return dbus_validate_utf8(url, nullptr); }))
        return HandOverResult::Failed;
    DBusError error;
    dbus_error_init(&error);
    // A private connection, so a bus connection made later in this process is its own.
    std::unique_ptr<DBusConnection, ConnectionCloser> connection(
        dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    dbus_error_free(&error);
    if (!connection)
        return HandOverResult::Failed;
    dbus_connection_set_exit_on_disconnect(connection.get(), false);
    // No separate question whether an instance runs: without one the bus answers the first call
    // with an error at once, and nothing more is sent. The same order as the ordinary hand-over.
    HandOverResult result = HandOverResult::Delivered;
    const auto send = [&](const char* method, const std::span<const char* const>* strings) {
        if (result == HandOverResult::NotRunning)
            return;
        const HandOverResult answer = call(connection.get(), method, strings);
        if (answer != HandOverResult::Delivered)
            result = answer;
    };
    if (!urls.empty())
        send(BusNames::openUrlsMethod, &urls);
    if (showHistory)
        send(BusNames::showHistoryMethod, nullptr);
    for (const InstanceCommand command : commands)
        send(BusNames::methodOf(command), nullptr);
    return result;
}

} // namespace Platform
