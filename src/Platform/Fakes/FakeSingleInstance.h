#pragma once

#include <Platform/SingleInstance.h>

#include <QStringList>

namespace Platform {

// Records what the application asks of the single-instance service and lets a test deliver
// requests as if they came over the bus.
class FakeSingleInstance final : public SingleInstance {
public:
    Claim claimResult = Claim::Primary;
    bool sendSucceeds = true;
    QStringList calls;
    // Also told of every call, so a test can interleave them with other fakes' calls.
    std::function<void(const QString&)> onCall;
    QList<QUrl> sentUrls;
    QList<InstanceCommand> sentCommands;

    Claim claim() override;
    Claim claimWhenReleased(std::chrono::milliseconds timeout) override;
    bool sendShowHistory() override;
    bool sendUrls(const QList<QUrl>& urls) override;
    bool sendCommand(InstanceCommand command) override;
    void observeShowHistory(std::function<void()> handler) override;
    void observeOpenUrls(std::function<void(const QList<QUrl>&)> handler) override;
    void observeCommands(std::function<void(InstanceCommand)> handler) override;

    // Delivers a request to the observers; false when nobody observes it yet.
    bool deliverShowHistory();
    bool deliverUrls(const QList<QUrl>& urls);
    bool deliverCommand(InstanceCommand command);

private:
    void record(const QString& call);

    std::function<void()> m_showHistory;
    std::function<void(const QList<QUrl>&)> m_openUrls;
    std::function<void(InstanceCommand)> m_commands;
};

} // namespace Platform
