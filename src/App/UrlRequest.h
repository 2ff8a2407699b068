#pragma once

#include <Platform/InstanceCommand.h>

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace App {

// The action a URL of the quillstack: scheme asks for: its host, or its path when it has no host,
// without leading and trailing "/" and lower-cased ("show", "history", "" or any other word, all of
// which show the history). Empty for a URL without a scheme or of another scheme.
std::optional<QString> quillstackAction(const QUrl& url);

// What the command line asks for. Arguments that parse as URLs with a scheme are collected as
// URLs, in order; the status menu's commands each once, in the order of their flags' table; anything
// else that is not a known flag is ignored.
struct LaunchRequest {
    bool showHistory = false;
    bool relaunched = false;
    QList<QUrl> urls;
    QList<Platform::InstanceCommand> commands;

    bool asksForSomething() const { return showHistory || !urls.isEmpty() || !commands.isEmpty(); }
    // The first command that acts on a running instance only, if any.
    std::optional<Platform::InstanceCommand> commandNeedingAnInstance() const;
};

LaunchRequest parseCommandLine(const QStringList& arguments);

} // namespace App
