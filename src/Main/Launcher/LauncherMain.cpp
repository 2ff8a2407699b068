// The quillstack command. A launch that asks a running instance for something (--show-history,
// quillstack: URLs, the status menu's commands) hands the request over and ends, without loading
// the full program and its libraries. A command that needs a running instance (--toggle-monitoring,
// --clear-history, --quit) ends with an error when none runs. Anything else, and a request nobody
// took, starts the full program in this process with the same arguments. Messages are plain
// English: --help on standard output, errors on standard error.
#include "LauncherCommandLine.h"

#include <Platform/DBus/EarlyHandOver.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The full program, found from the launcher's own file (not from PATH or argv[0]); empty when that
// cannot be read.
std::string fullProgramPath() {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
    if (length <= 0 || size_t(length) >= self.size())
        return {};
    self.resize(size_t(length));
    // The link is free of symbolic links, so each leading "../" simply drops a folder.
    std::string folder = self.substr(0, self.rfind('/'));
    std::string_view relative = QS_PROGRAM_FROM_COMMAND;
    while (relative.starts_with("../") && !folder.empty()) {
        folder.resize(folder.rfind('/'));
        relative.remove_prefix(3);
    }
    return folder + '/' + std::string(relative);
}

} // namespace

int main(int argc, char** argv) {
    const Launcher::Request request = Launcher::readCommandLine(argc, argv);
    if (request.help) {
        const std::string_view text = Launcher::usage();
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0
                   ? 0
                   : 1;
    }
    // Without a display the full program says what is wrong, so only a launch that could run at all,
    // or one that would never start the program, hands over.
    const char* display = std::getenv("DISPLAY");
    const Platform::InstanceCommand* onlyForARunningInstance = request.commandNeedingAnInstance();
    if (request.canHandOver() && ((display && *display) || onlyForARunningInstance)) {
        switch (Platform::handOverEarly(request.showHistory, request.urls, request.commands)) {
        case Platform::HandOverResult::Delivered:
            return 0;
        case Platform::HandOverResult::NotRunning:
            if (onlyForARunningInstance) {
                const std::string_view flag = Platform::flagOf(*onlyForARunningInstance);
                std::fprintf(stderr, "Quillstack is not running; %.*s needs a running instance.\n",
                             int(flag.size()), flag.data());
                return 1;
            }
            break;
        case Platform::HandOverResult::Failed:
            break;
        }
    }

    const std::string program = fullProgramPath();
    if (program.empty()) {
        std::fprintf(stderr,
                     "Quillstack: cannot find the program to start: /proc/self/exe cannot be read.\n");
        return 127;
    }
    // argv goes on unchanged, its first entry too: the window class and process listings still say
    // "quillstack".
    execv(program.c_str(), argv);
    const int error = errno;
    std::fprintf(stderr, "Quillstack: cannot start the program %s: %s\n", program.c_str(),
                 std::strerror(error));
    return error == ENOENT ? 127 : 126;
}
