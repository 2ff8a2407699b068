#pragma once

#include <string_view>
#include <vector>

namespace Launcher {

// What a command line asks of a running instance, read as App::parseCommandLine reads it but
// without Qt: "--show-history", "--relaunched", and every other argument that does not start with
// "-" and begins with a URL scheme, kept as given. Which of those are URLs the running instance acts
// on is decided there, by the same rules as for its own command line.
struct Request {
    bool showHistory = false;
    bool relaunched = false;
    std::vector<const char*> urls;

    // A request a running instance can take; a relaunched start never hands over.
    bool canHandOver() const { return !relaunched && (showHistory || !urls.empty()); }
};

Request readCommandLine(int argc, const char* const* argv);

// Whether `argument` starts with a URL scheme: a letter, then letters, digits, "+", "-" or ".",
// then ":".
bool hasUrlScheme(std::string_view argument);

} // namespace Launcher
