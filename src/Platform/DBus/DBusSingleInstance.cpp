#include "DBusSingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

namespace Platform {

namespace {
// A running instance answers at once; this only bounds a hung one.
constexpr int callTimeoutMs = 5000;
constexpr auto claimRetryInterval = std::chrono::milliseconds(50);
} // namespace

DBusSingleInstance::DBusSingleInstance(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection)) {}

DBusSingleInstance::~DBusSingleInstance() {
    release();
}

SingleInstance::Claim DBusSingleInstance::claim() {
    if (m_ownsName)
        return Claim::Primary;
    if (!m_connection.isConnected())
        return Claim::Unavailable;
    // The object is served before the name is taken, so a second launch that sees the name can
    // call it at once.
    if (!m_registered) {
        m_registered = m_connection.registerObject(QString::fromLatin1(objectPath), this,
                                                   QDBusConnection::ExportScriptableSlots);
        if (!m_registered)
            return Claim::Unavailable;
        m_connection.connect(QString(), QString(), QString::fromLatin1(interfaceName),
                             QString::fromLatin1(showHistorySignal), this, SLOT(onShowHistorySignal()));
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_connection.interface()->registerService(QString::fromLatin1(serviceName),
                                                  QDBusConnectionInterface::DontQueueService,
                                                  QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return Claim::Unavailable;
    m_ownsName = reply.value() == QDBusConnectionInterface::ServiceRegistered;
    return m_ownsName ? Claim::Primary : Claim::AlreadyRunning;
}

SingleInstance::Claim DBusSingleInstance::claimWhenReleased(std::chrono::milliseconds timeout) {
    const QDeadlineTimer deadline(timeout);
    for (;;) {
        const Claim result = claim();
        if (result != Claim::AlreadyRunning || deadline.hasExpired())
            return result;
        QThread::msleep(static_cast<unsigned long>(claimRetryInterval.count()));
    }
}

bool DBusSingleInstance::sendShowHistory() {
    return callRunningInstance(QString::fromLatin1(BusNames::showHistoryMethod), {});
}

bool DBusSingleInstance::sendUrls(const QList<QUrl>& urls) {
    QStringList strings;
    for (const QUrl& url : urls)
        strings.append(url.toString(QUrl::FullyEncoded));
    return callRunningInstance(QString::fromLatin1(BusNames::openUrlsMethod), {strings});
}

bool DBusSingleInstance::sendCommand(InstanceCommand command) {
    return callRunningInstance(QString::fromLatin1(BusNames::methodOf(command)), {});
}

void DBusSingleInstance::observeShowHistory(std::function<void()> handler) {
    m_showHistory = std::move(handler);
}

void DBusSingleInstance::observeOpenUrls(std::function<void(const QList<QUrl>&)> handler) {
    m_openUrls = std::move(handler);
}

void DBusSingleInstance::observeCommands(std::function<void(InstanceCommand)> handler) {
    m_commands = std::move(handler);
}

void DBusSingleInstance::release() {
    if (m_ownsName) {
        m_connection.interface()->unregisterService(QString::fromLatin1(serviceName));
        m_ownsName = false;
    }
    if (m_registered) {
        m_connection.disconnect(QString(), QString(), QString::fromLatin1(interfaceName),
                                QString::fromLatin1(showHistorySignal), this, SLOT(onShowHistorySignal()));
        m_connection.unregisterObject(QString::fromLatin1(objectPath));
        m_registered = false;
    }
}

void DBusSingleInstance::ShowHistory() {
    if (m_showHistory)
        m_showHistory();
}

void DBusSingleInstance::OpenURLs(const QStringList& urls) {
    QList<QUrl> parsed;
    for (const QString& url : urls)
        parsed.append(QUrl(url, QUrl::StrictMode));
    if (m_openUrls)
        m_openUrls(parsed);
}

void DBusSingleInstance::OpenSettings() {
    runAfterAnswering(InstanceCommand::OpenSettings);
}

void DBusSingleInstance::ToggleMonitoring() {
    runAfterAnswering(InstanceCommand::ToggleMonitoring);
}

void DBusSingleInstance::ClearHistory() {
    runAfterAnswering(InstanceCommand::ClearHistory);
}

void DBusSingleInstance::Quit() {
    runAfterAnswering(InstanceCommand::Quit);
}

void DBusSingleInstance::runAfterAnswering(InstanceCommand command) {
    // The answer goes out when the method returns. The caller waits for it, so the command must not
    // run before: clearing asks the user first, and quitting would leave the caller without one.
    QTimer::singleShot(0, this, [this, command] {
        if (m_commands)
            m_commands(command);
    });
}

void DBusSingleInstance::onShowHistorySignal() {
    if (m_showHistory)
        m_showHistory();
}

bool DBusSingleInstance::callRunningInstance(const QString& method, const QVariantList& arguments) {
    if (!m_connection.isConnected())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                       QString::fromLatin1(interfaceName), method);
    call.setArguments(arguments);
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace Platform
