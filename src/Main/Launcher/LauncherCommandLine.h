#pragma once

#include <Platform/InstanceCommand.h>

#include <string_view>
#include <vector>

namespace Launcher {

// What a command line asks of a running instance, read as App::parseCommandLine reads it but
// without Qt: "--show-history", the status menu's commands ("--settings", "--toggle-monitoring",
// "--clear-history", "--quit"; each once, in the order of their flags' table), "--relaunched",
// "--help", and every other argument that does not start with "-" and begins with a URL scheme,
// kept as given. Which of those are URLs the running instance acts on is decided there, by the
// same rules as for its own command line.
struct Request {
    bool showHistory = false;
    bool relaunched = false;
    bool help = false;
    std::vector<const char*> urls;
    std::vector<Platform::InstanceCommand> commands;

    // A request a running instance can take; a relaunched start never hands over.
    bool canHandOver() const { return !relaunched && (showHistory || !urls.empty() || !commands.empty()); }
    // The first command that acts on a running instance only (nothing to start it for), if any.
    const Platform::InstanceCommand* commandNeedingAnInstance() const;
};

Request readCommandLine(int argc, const char* const* argv);

// Whether `argument` starts with a URL scheme: a letter, then letters, digits, "+", "-" or ".",
// then ":".
bool hasUrlScheme(std::string_view argument);

// What --help prints.
std::string_view usage();

} // namespace Launcher
