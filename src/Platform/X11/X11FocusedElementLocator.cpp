#include "Platform/X11/X11FocusedElementLocator.h"

#include "Platform/X11/Xcb.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QUuid>

#include <thread>

namespace {

// An accessible object: the bus name of its application and its object path.
struct AccessibleReference {
    QString service;
    QDBusObjectPath path;
};

QDBusArgument& operator<<(QDBusArgument& argument, const AccessibleReference& reference) {
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, AccessibleReference& reference) {
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(AccessibleReference)

namespace Platform::X11 {

namespace {

constexpr auto accessibleInterface = "org.a11y.atspi.Accessible";
constexpr auto textInterface = "org.a11y.atspi.Text";
constexpr auto componentInterface = "org.a11y.atspi.Component";
constexpr int screenCoordinates = 0;
constexpr uint stateActive = 1;
constexpr uint stateFocused = 12;
constexpr uint stateShowing = 25;
// The accessible trees of large applications have many thousands of nodes; the search stops here.
constexpr int maximumVisitedNodes = 2000;

struct ActiveWindow {
    QRect frame;
    qint64 pid = 0;
};

std::optional<ActiveWindow> activeWindow() {
    const XcbConnection x;
    if (!x.isValid() || !x.screen())
        return std::nullopt;
    xcb_connection_t* c = x.get();
    const auto window = x.cardinalProperty(x.root(), x.atom("_NET_ACTIVE_WINDOW"));
    if (!window || *window == XCB_WINDOW_NONE)
        return std::nullopt;
    XcbPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, *window), nullptr));
    XcbPtr<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, *window, x.root(), 0, 0), nullptr));
    if (!geometry || !origin || geometry->width == 0 || geometry->height == 0)
        return std::nullopt;
    ActiveWindow active;
    active.frame = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    active.pid = x.cardinalProperty(*window, x.atom("_NET_WM_PID")).value_or(0);
    return active;
}

// Blocking calls on the accessibility bus, each bounded by what is left of the budget.
class AccessibilityBus {
public:
    AccessibilityBus(const QElapsedTimer& clock, std::chrono::milliseconds budget)
        : m_clock(clock), m_budget(budget),
          m_name(QStringLiteral("quillstack-atspi-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
          m_bus(QDBusConnection(m_name)) {
        QDBusMessage request =
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
        const QDBusMessage reply = QDBusConnection::sessionBus().call(request, QDBus::Block, remaining());
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        m_bus = QDBusConnection::connectToBus(reply.arguments().first().toString(), m_name);
    }
    ~AccessibilityBus() { QDBusConnection::disconnectFromBus(m_name); }

    bool isConnected() const { return m_bus.isConnected() && remaining() > 0; }

    QList<QVariant> call(const AccessibleReference& object, const char* interface, const char* method,
                         const QList<QVariant>& arguments = {}) {
        if (remaining() <= 0)
            return {};
        QDBusMessage request = QDBusMessage::createMethodCall(
            object.service, object.path.path(), QString::fromLatin1(interface), QString::fromLatin1(method));
        request.setArguments(arguments);
        const QDBusMessage reply = m_bus.call(request, QDBus::Block, remaining());
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QList<QVariant>{};
    }

    QList<AccessibleReference> children(const AccessibleReference& object) {
        const QList<QVariant> reply = call(object, accessibleInterface, "GetChildren");
        QList<AccessibleReference> result;
        if (!reply.isEmpty())
            reply.first().value<QDBusArgument>() >> result;
        return result;
    }

    quint64 state(const AccessibleReference& object) {
        const QList<QVariant> reply = call(object, accessibleInterface, "GetState");
        if (reply.isEmpty())
            return 0;
        QList<uint> words;
        reply.first().value<QDBusArgument>() >> words;
        return words.size() >= 2 ? (quint64(words[1]) << 32 | words[0]) : 0;
    }

    qint64 processId(const QString& service) {
        const QDBusReply<uint> reply = m_bus.interface()->servicePid(service);
        return reply.isValid() ? reply.value() : 0;
    }

    std::optional<QRect> caretBounds(const AccessibleReference& object) {
        QDBusMessage get = QDBusMessage::createMethodCall(object.service, object.path.path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get.setArguments({QString::fromLatin1(textInterface), QStringLiteral("CaretOffset")});
        if (remaining() <= 0)
            return std::nullopt;
        const QDBusMessage offsetReply = m_bus.call(get, QDBus::Block, remaining());
        if (offsetReply.type() != QDBusMessage::ReplyMessage || offsetReply.arguments().isEmpty())
            return std::nullopt;
        const int offset = offsetReply.arguments().first().value<QDBusVariant>().variant().toInt();
        const QList<QVariant> extents =
            call(object, textInterface, "GetCharacterExtents", {offset, quint32(screenCoordinates)});
        return rectangle(extents);
    }

    std::optional<QRect> frame(const AccessibleReference& object) {
        return rectangle(call(object, componentInterface, "GetExtents", {quint32(screenCoordinates)}));
    }

private:
    static std::optional<QRect> rectangle(const QList<QVariant>& reply) {
        if (reply.size() == 4)
            return QRect(reply[0].toInt(), reply[1].toInt(), reply[2].toInt(), reply[3].toInt());
        if (reply.size() == 1 && reply.first().canConvert<QDBusArgument>()) {
            int x = 0, y = 0, width = 0, height = 0;
            const QDBusArgument argument = reply.first().value<QDBusArgument>();
            argument.beginStructure();
            argument >> x >> y >> width >> height;
            argument.endStructure();
            return QRect(x, y, width, height);
        }
        return std::nullopt;
    }

    int remaining() const { return int(m_budget.count() - m_clock.elapsed()); }

    const QElapsedTimer& m_clock;
    std::chrono::milliseconds m_budget;
    QString m_name;
    QDBusConnection m_bus;
};

// The focused object of the application with process `pid`, searched breadth-first through showing
// objects of its active windows.
std::optional<AccessibleReference> focusedObject(AccessibilityBus& bus, qint64 pid) {
    const AccessibleReference root{QStringLiteral("org.a11y.atspi.Registry"),
                                   QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root"))};
    for (const AccessibleReference& application : bus.children(root)) {
        if (pid == 0 || bus.processId(application.service) != pid)
            continue;
        QList<AccessibleReference> queue;
        for (const AccessibleReference& window : bus.children(application)) {
            if (bus.state(window) & (quint64(1) << stateActive))
                queue << window;
        }
        for (int visited = 0; !queue.isEmpty() && visited < maximumVisitedNodes && bus.isConnected();
             ++visited) {
            const AccessibleReference object = queue.takeFirst();
            const quint64 state = bus.state(object);
            if (state & (quint64(1) << stateFocused))
                return object;
            if (state & (quint64(1) << stateShowing))
                queue << bus.children(object);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::optional<QRect> X11FocusedElementLocator::locate(std::chrono::milliseconds budget) {
    qDBusRegisterMetaType<AccessibleReference>();
    qDBusRegisterMetaType<QList<AccessibleReference>>();
    QElapsedTimer clock;
    clock.start();

    const auto window = activeWindow();
    if (!window)
        return std::nullopt;
    AccessibilityBus bus(clock, budget);
    if (bus.isConnected()) {
        if (const auto focused = focusedObject(bus, window->pid)) {
            if (const auto caret = bus.caretBounds(*focused); caret && caret->height() > 0)
                return caret;
            if (const auto field = bus.frame(*focused); field && field->width() > 0 && field->height() > 0)
                return field;
        }
    }
    return window->frame;
}

QFuture<std::optional<QRect>> X11FocusedElementLocator::focusedInputFrame() {
    QPromise<std::optional<QRect>> promise;
    QFuture<std::optional<QRect>> future = promise.future();
    promise.start();
    std::thread([budget = m_budget, promise = std::move(promise)]() mutable {
        promise.addResult(locate(budget));
        promise.finish();
    }).detach();
    return future;
}

} // namespace Platform::X11
