#pragma once

// Helpers for tests that drive real X clients in the test session.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFuture>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace TestSession {

// Spins the event loop until `condition` holds or `timeoutMs` passed; returns the condition.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Waits for a future while the event loop runs (the owner of a selection may be this very process).
template <typename T> std::optional<T> result(QFuture<T> future, int timeoutMs = 5000) {
    if (!waitUntil([&] { return future.isFinished(); }, timeoutMs) || future.resultCount() == 0)
        return std::nullopt;
    return future.result();
}

// Whether the X server's keyboard focus is on `window`. Keys typed before the window manager has
// moved the focus there would go elsewhere, so tests wait for this before typing.
inline bool hasInputFocus(quint32 window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const bool focused = reply && reply->focus == window;
    std::free(reply);
    xcb_disconnect(c);
    return focused;
}

inline bool waitForInputFocus(quint32 window) {
    return waitUntil([window] { return hasInputFocus(window); });
}

// A child process that is killed when the test ends; its output is read line by line.
class Child {
public:
    Child() = default;
    Child(const QString& program, const QStringList& arguments, const QStringList& environment = {}) {
        start(program, arguments, environment);
    }
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void start(const QString& program, const QStringList& arguments, const QStringList& environment = {}) {
        if (!environment.isEmpty()) {
            auto env = QProcessEnvironment::systemEnvironment();
            for (const QString& entry : environment)
                env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
            m_process.setProcessEnvironment(env);
        }
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(program, arguments);
        m_process.waitForStarted(5000);
    }

    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The rest of the first output line that starts with `prefix`, waiting up to `timeoutMs`.
    std::optional<QString> waitForLine(const QString& prefix, int timeoutMs = 10000) {
        std::optional<QString> found;
        waitUntil(
            [&] {
                while (m_process.canReadLine()) {
                    const QString line = QString::fromUtf8(m_process.readLine()).chopped(1);
                    m_lines << line;
                    if (line.startsWith(prefix)) {
                        found = line.mid(prefix.size());
                        return true;
                    }
                }
                return m_process.state() == QProcess::NotRunning && !m_process.canReadLine();
            },
            timeoutMs);
        return found;
    }

    bool waitForExit(int timeoutMs = 10000) {
        return waitUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    }

    QProcess& process() { return m_process; }
    // Every line read so far, for failure messages.
    QString lines() const { return m_lines.join(u'|'); }

private:
    QProcess m_process;
    QStringList m_lines;
};

} // namespace TestSession
