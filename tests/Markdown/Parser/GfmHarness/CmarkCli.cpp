#include "CmarkCli.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace Markdown::Testing {

namespace {

// A file holding the input, removed again on scope exit; the command reads it by name.
class InputFile {
public:
    explicit InputFile(std::string_view content) {
        const char* directory = std::getenv("TMPDIR");
        path_ = std::string(directory && *directory ? directory : "/tmp") + "/qs-cmark-input-XXXXXX";
        const int fd = mkstemp(path_.data());
        if (fd < 0) {
            throw std::runtime_error("Cannot create a temporary input file");
        }
        std::size_t written = 0;
        while (written < content.size()) {
            const ssize_t n = write(fd, content.data() + written, content.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                close(fd);
                unlink(path_.c_str());
                throw std::runtime_error("Cannot write the temporary input file");
            }
            written += static_cast<std::size_t>(n);
        }
        close(fd);
    }
    ~InputFile() { unlink(path_.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs cmark-gfm with `arguments` and the input file as its last argument, and returns what it prints.
std::string runCmarkGfm(std::vector<std::string> arguments, std::string_view markdown) {
    const InputFile input(markdown);
    arguments.insert(arguments.begin(), "cmark-gfm");
    arguments.push_back(input.path());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("Cannot create a pipe for cmark-gfm");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "cmark-gfm", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        throw std::runtime_error("Cannot run cmark-gfm (install the Debian package cmark-gfm)");
    }
    std::string output;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("cmark-gfm failed");
    }
    return output;
}

} // namespace

std::string cmarkGfmXml(std::string_view markdown) {
    return runCmarkGfm(
        {"-t", "xml", "--sourcepos", "--smart", "-e", "table", "-e", "strikethrough", "-e", "tasklist"},
        markdown);
}

std::string cmarkGfmHtml(std::string_view markdown) {
    return runCmarkGfm({"--smart", "-e", "table", "-e", "strikethrough", "-e", "tasklist"}, markdown);
}

} // namespace Markdown::Testing
