#pragma once

#include "PrivateSessionBus.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

// The real quillstack binary, run for one test in a home of its own (XDG config, data and cache
// directories in a temporary folder) on a private session bus, with its diagnostic log collected
// while the test's event loop runs. It is terminated when the object goes.
class RunningQuillstack {
public:
    RunningQuillstack();
    ~RunningQuillstack();
    RunningQuillstack(const RunningQuillstack&) = delete;
    RunningQuillstack& operator=(const RunningQuillstack&) = delete;

    // Writes `settingsJson` as the settings file, starts the binary with `arguments` and waits until
    // it has finished launching. False when it could not be started or did not finish launching;
    // log() says why.
    bool start(const QByteArray& settingsJson, const QStringList& arguments = {});
    // Starts the binary without a settings file, as on a user's first run.
    bool startFresh();
    // Another build of the command to run (an installed one), set before it starts.
    void setBinary(const QString& path) { m_binary = path; }
    // An environment variable for the binary, set before it starts.
    void setEnvironment(const QString& name, const QString& value) { m_extraEnvironment.insert(name, value); }

    const QString& log() const { return m_log; }
    QProcess& process() { return m_process; }
    QString homePath(const QString& relative) const { return m_home.filePath(relative); }
    // The files the running process has mapped (/proc/PID/maps), one path a line.
    QString mappedFiles() const;
    const PrivateSessionBus& bus() const { return m_bus; }

    // How a later launch of the command ended.
    struct LaunchOutcome {
        // Its exit code, or -1 when it did not end in time or ended by a signal.
        int exitCode = -1;
        QString standardOutput;
        QString standardError;
    };
    // Runs the quillstack command again with `arguments`, in the same home and session, as the
    // desktop or a user would, and waits for it to end.
    LaunchOutcome launchAgain(const QStringList& arguments, int timeoutMs = 15000) const;

    // One column of the stored items, newest first, read from the history's SQLite file.
    QStringList storedValues(const QString& column) const;
    QStringList storedTexts() const { return storedValues(QStringLiteral("plainText")); }

    // Offers `text` on the clipboard as UTF8_STRING, through xclip. False when xclip failed.
    static bool copyText(const QByteArray& text);

private:
    bool launch(const std::optional<QByteArray>& settingsJson, const QStringList& arguments);
    // What the binary runs with: the private bus, the home's XDG directories, the diagnostic log.
    QProcessEnvironment environment() const;

    QString m_binary;
    PrivateSessionBus m_bus;
    QProcessEnvironment m_extraEnvironment;
    QTemporaryDir m_home;
    QProcess m_process;
    QString m_log;
};
