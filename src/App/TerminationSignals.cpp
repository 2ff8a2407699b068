#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace App {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};

// The write end of the pipe, for the handler; -1 when no instance is installed.
volatile sig_atomic_t g_writeFd = -1;

void onSignal(int) {
    // Only async-signal-safe calls here.
    const int savedErrno = errno;
    const char byte = 1;
    if (g_writeFd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> quit, QObject* parent)
    : QObject(parent), m_quit(std::move(quit)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    // A full pipe must never block the handler: one byte is enough to wake the loop.
    ::fcntl(m_fds[0], F_SETFL, ::fcntl(m_fds[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(m_fds[1], F_SETFL, ::fcntl(m_fds[1], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(m_fds[0], bytes, sizeof bytes) > 0) {
        }
        if (m_quit)
            m_quit();
    });
    g_writeFd = m_fds[1];
    struct sigaction action = {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (const int signal : kSignals)
        m_installed = ::sigaction(signal, &action, nullptr) == 0 && m_installed;
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
    g_writeFd = -1;
    delete m_notifier;
    for (const int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
}

} // namespace App
