#pragma once

#include "BusNames.h"

#include <Platform/SingleInstance.h>

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace Platform {

// The running instance owns the session-bus name "dev.corvinel.quillstack" and serves the object
// "/dev/corvinel/quillstack" with interface "dev.corvinel.quillstack": the methods ShowHistory,
// OpenURLs(as), OpenSettings, ToggleMonitoring, ClearHistory and Quit (used by a second launch) and
// the broadcast signal showHistory, which any program may emit from any object path.
class DBusSingleInstance final : public QObject, public SingleInstance {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dev.corvinel.quillstack")
public:
    static constexpr const char* serviceName = BusNames::service;
    static constexpr const char* objectPath = BusNames::objectPath;
    static constexpr const char* interfaceName = BusNames::interface;
    static constexpr const char* showHistorySignal = "showHistory";

    explicit DBusSingleInstance(QDBusConnection connection = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);
    ~DBusSingleInstance() override;

    Claim claim() override;
    Claim claimWhenReleased(std::chrono::milliseconds timeout) override;
    bool sendShowHistory() override;
    bool sendUrls(const QList<QUrl>& urls) override;
    bool sendCommand(InstanceCommand command) override;
    void observeShowHistory(std::function<void()> handler) override;
    void observeOpenUrls(std::function<void(const QList<QUrl>&)> handler) override;
    void observeCommands(std::function<void(InstanceCommand)> handler) override;

    // Gives the bus name up (the application does so when it quits).
    void release();

public slots:
    Q_SCRIPTABLE void ShowHistory();
    Q_SCRIPTABLE void OpenURLs(const QStringList& urls);
    Q_SCRIPTABLE void OpenSettings();
    Q_SCRIPTABLE void ToggleMonitoring();
    Q_SCRIPTABLE void ClearHistory();
    Q_SCRIPTABLE void Quit();

private slots:
    void onShowHistorySignal();

private:
    bool callRunningInstance(const QString& method, const QVariantList& arguments);
    void runAfterAnswering(InstanceCommand command);

    QDBusConnection m_connection;
    bool m_registered = false;
    bool m_ownsName = false;
    std::function<void()> m_showHistory;
    std::function<void(const QList<QUrl>&)> m_openUrls;
    std::function<void(InstanceCommand)> m_commands;
};

} // namespace Platform
