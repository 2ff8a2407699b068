#include "FakeSingleInstance.h"

namespace Platform {

void FakeSingleInstance::record(const QString& call) {
    calls.append(call);
    if (onCall)
        onCall(call);
}

SingleInstance::Claim FakeSingleInstance::claim() {
    record(QStringLiteral("claim"));
    return claimResult;
}

SingleInstance::Claim FakeSingleInstance::claimWhenReleased(std::chrono::milliseconds) {
    record(QStringLiteral("claimWhenReleased"));
    return claimResult;
}

bool FakeSingleInstance::sendShowHistory() {
    record(QStringLiteral("sendShowHistory"));
    return sendSucceeds;
}

bool FakeSingleInstance::sendUrls(const QList<QUrl>& urls) {
    record(QStringLiteral("sendUrls"));
    sentUrls.append(urls);
    return sendSucceeds;
}

bool FakeSingleInstance::sendCommand(InstanceCommand command) {
    record(QStringLiteral("sendCommand ") + QString::fromLatin1(flagOf(command)));
    sentCommands.append(command);
    return sendSucceeds;
}

void FakeSingleInstance::observeShowHistory(std::function<void()> handler) {
    record(QStringLiteral("observeShowHistory"));
    m_showHistory = std::move(handler);
}

void FakeSingleInstance::observeOpenUrls(std::function<void(const QList<QUrl>&)> handler) {
    record(QStringLiteral("observeOpenUrls"));
    m_openUrls = std::move(handler);
}

void FakeSingleInstance::observeCommands(std::function<void(InstanceCommand)> handler) {
    record(QStringLiteral("observeCommands"));
    m_commands = std::move(handler);
}

bool FakeSingleInstance::deliverShowHistory() {
    if (!m_showHistory)
        return false;
    m_showHistory();
    return true;
}

bool FakeSingleInstance::deliverUrls(const QList<QUrl>& urls) {
    if (!m_openUrls)
        return false;
    m_openUrls(urls);
    return true;
}

bool FakeSingleInstance::deliverCommand(InstanceCommand command) {
    if (!m_commands)
        return false;
    m_commands(command);
    return true;
}

} // namespace Platform
