#pragma once

#include "InstanceCommand.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace Platform {

// One running Quillstack per desktop session, and the requests other programs send to it: the
// broadcast "show history" request, URLs of the quillstack: scheme and the status menu's commands
// handed over by a second launch.
class SingleInstance {
public:
    enum class Claim {
        Primary,        // this process is now the running instance
        AlreadyRunning, // another process is the running instance
        Unavailable,    // the session bus cannot be reached
    };

    virtual ~SingleInstance() = default;

    // Tries once to become the running instance.
    virtual Claim claim() = 0;
    // Keeps trying to become the running instance until the current one has gone or `timeout`
    // has passed (used by an instance started to replace the current one).
    virtual Claim claimWhenReleased(std::chrono::milliseconds timeout) = 0;

    // Asks the running instance to show its history; true when it acknowledged the request.
    virtual bool sendShowHistory() = 0;
    // Hands URLs to the running instance; true when it acknowledged them.
    virtual bool sendUrls(const QList<QUrl>& urls) = 0;
    // Hands a status-menu command to the running instance; true when it acknowledged it (which it
    // does before acting: a command may ask the user first).
    virtual bool sendCommand(InstanceCommand command) = 0;

    // Handlers run on the GUI thread for each request the running instance receives.
    virtual void observeShowHistory(std::function<void()> handler) = 0;
    virtual void observeOpenUrls(std::function<void(const QList<QUrl>&)> handler) = 0;
    // Run once the request has been answered, so the handler may ask the user or quit.
    virtual void observeCommands(std::function<void(InstanceCommand)> handler) = 0;
};

} // namespace Platform
