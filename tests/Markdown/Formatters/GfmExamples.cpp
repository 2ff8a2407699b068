#include "GfmExamples.h"

#include <zlib.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <memory>
#include <stdexcept>

extern char** environ;

namespace FormatterTest {

namespace {

constexpr const char* gfmExamplesPath = "/usr/share/doc/cmark-gfm/spec.txt.gz";
constexpr std::string_view exampleFence = "````````````````````````````````";

std::string readGzipFile(const char* path) {
    const std::unique_ptr<gzFile_s, int (*)(gzFile)> file(gzopen(path, "rb"), gzclose);
    if (!file) {
        throw std::runtime_error(std::string("cannot open ") + path);
    }
    std::string text;
    std::array<char, 65536> buffer{};
    int read = 0;
    while ((read = gzread(file.get(), buffer.data(), buffer.size())) > 0) {
        text.append(buffer.data(), static_cast<std::size_t>(read));
    }
    if (read < 0) {
        throw std::runtime_error(std::string("cannot read ") + path);
    }
    return text;
}

std::string withTabs(std::string_view line) {
    constexpr std::string_view arrow = "\u2192";
    std::string out;
    for (std::size_t at = 0; at < line.size();) {
        if (line.substr(at, arrow.size()) == arrow) {
            out += '\t';
            at += arrow.size();
        } else {
            out += line[at++];
        }
    }
    return out;
}

} // namespace

std::string gfmExamplesText() {
    return readGzipFile(gfmExamplesPath);
}

std::vector<GfmExample> loadGfmExamples() {
    const std::string text = gfmExamplesText();
    std::vector<GfmExample> examples;
    std::string section;
    enum class Reading { prose, markdown, html } reading = Reading::prose;
    GfmExample current;
    std::size_t lineStart = 0;
    while (lineStart < text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        const std::string_view line(text.data() + lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        switch (reading) {
        case Reading::prose:
            if (line.starts_with(exampleFence) && line.find(" example") != std::string_view::npos) {
                current = GfmExample{};
                current.number = static_cast<int>(examples.size()) + 1;
                current.section = section;
                const std::size_t afterExample = line.find(" example") + 8;
                if (afterExample < line.size()) {
                    current.extension = std::string(line.substr(afterExample + 1));
                }
                reading = Reading::markdown;
            } else if (line.starts_with("#")) {
                section = std::string(line.substr(line.find(' ') + 1));
            }
            break;
        case Reading::markdown:
            if (line == ".") {
                reading = Reading::html;
            } else {
                current.markdown += withTabs(line) + "\n";
            }
            break;
        case Reading::html:
            if (line == exampleFence) {
                examples.push_back(current);
                reading = Reading::prose;
            } else {
                current.html += withTabs(line) + "\n";
            }
            break;
        }
    }
    return examples;
}

std::string renderWithCmarkGfm(std::string_view markdown) {
    // A child that exits early must not end the test with SIGPIPE; the failed write is reported instead.
    static const bool pipeSignalIgnored = [] {
        return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    }();
    (void)pipeSignalIgnored;
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
        throw std::runtime_error("renderWithCmarkGfm: no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    const char* argv[] = {"cmark-gfm",     "--smart", "-e",       "table", "-e",
                          "strikethrough", "-e",      "tasklist", nullptr};
    pid_t child = 0;
    const int spawned =
        posix_spawnp(&child, "cmark-gfm", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (spawned != 0) {
        close(toChild[1]);
        close(fromChild[0]);
        throw std::runtime_error("renderWithCmarkGfm: cannot start cmark-gfm");
    }
    // Write and read together, so that neither side waits on a full pipe.
    std::string output;
    std::size_t written = 0;
    int input = toChild[1];
    if (markdown.empty()) {
        close(input);
        input = -1;
    }
    std::array<char, 65536> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{pollfd{fromChild[0], POLLIN, 0}, pollfd{input, POLLOUT, 0}};
        if (poll(fds.data(), input >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (input >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t count = write(input, markdown.data() + written, markdown.size() - written);
            if (count > 0) {
                written += static_cast<std::size_t>(count);
            }
            if (count < 0 || written == markdown.size()) {
                close(input);
                input = -1;
            }
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t count = read(fromChild[0], buffer.data(), buffer.size());
            if (count <= 0) {
                break;
            }
            output.append(buffer.data(), static_cast<std::size_t>(count));
        }
    }
    if (input >= 0) {
        close(input);
    }
    close(fromChild[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("renderWithCmarkGfm: cmark-gfm failed");
    }
    return output;
}

} // namespace FormatterTest
