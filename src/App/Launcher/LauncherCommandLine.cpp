#include "LauncherCommandLine.h"

#include <Platform/Relauncher.h>

namespace Launcher {

namespace {
bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
} // namespace

bool hasUrlScheme(std::string_view argument) {
    if (argument.empty() || !isAsciiLetter(argument.front()))
        return false;
    for (const char c : argument.substr(1)) {
        if (c == ':')
            return true;
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

Request readCommandLine(int argc, const char* const* argv) {
    Request request;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--show-history")
            request.showHistory = true;
        else if (argument == Platform::Relauncher::relaunchFlag)
            request.relaunched = true;
        else if (!argument.starts_with('-') && hasUrlScheme(argument))
            request.urls.push_back(argv[i]);
    }
    return request;
}

} // namespace Launcher
