#include "LauncherCommandLine.h"

#include <Platform/Relauncher.h>

#include <algorithm>

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

const Platform::InstanceCommand* Request::commandNeedingAnInstance() const {
    const auto found = std::find_if(commands.begin(), commands.end(), Platform::needsRunningInstance);
    return found == commands.end() ? nullptr : &*found;
}

Request readCommandLine(int argc, const char* const* argv) {
    Request request;
    std::vector<Platform::InstanceCommand> given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (const auto command = Platform::instanceCommandOfFlag(argument))
            given.push_back(*command);
        else if (argument == "--show-history")
            request.showHistory = true;
        else if (argument == "--help")
            request.help = true;
        else if (argument == Platform::Relauncher::relaunchFlag)
            request.relaunched = true;
        else if (!argument.starts_with('-') && hasUrlScheme(argument))
            request.urls.push_back(argv[i]);
    }
    for (const Platform::InstanceCommandFlag& entry : Platform::instanceCommandFlags) {
        if (std::find(given.begin(), given.end(), entry.command) != given.end())
            request.commands.push_back(entry.command);
    }
    return request;
}

std::string_view usage() {
    return "Usage: quillstack [OPTION...] [quillstack:URL...]\n"
           "\n"
           "Quillstack keeps a history of everything you copy. Without options it starts, or does\n"
           "nothing when it already runs. Each option below is handed to the running Quillstack;\n"
           "the ones marked * start it first when it does not run.\n"
           "\n"
           "  --show-history       * show the history panel (a quillstack: link does the same)\n"
           "  --settings           * open the settings window\n"
           "  --toggle-monitoring    pause watching the clipboard, or resume it\n"
           "  --clear-history        clear the history, after asking (pinned items and snippets stay)\n"
           "  --quit                 quit Quillstack\n"
           "  --help                 show this help\n"
           "\n"
           "The same requests are the actions of Quillstack's desktop entry: right-click Quillstack\n"
           "among your applications.\n";
}

} // namespace Launcher
