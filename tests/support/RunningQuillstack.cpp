#include "RunningQuillstack.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest/QTest>

namespace {

constexpr int kLaunchTimeoutMs = 15000;
constexpr int kTerminateTimeoutMs = 5000;

} // namespace

RunningQuillstack::RunningQuillstack() : m_binary(QStringLiteral(QS_QUILLSTACK_BINARY)) {}

RunningQuillstack::~RunningQuillstack() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kTerminateTimeoutMs))
        m_process.kill();
    m_process.waitForFinished(kTerminateTimeoutMs);
}

bool RunningQuillstack::start(const QByteArray& settingsJson, const QStringList& arguments) {
    return launch(settingsJson, arguments);
}

bool RunningQuillstack::startFresh() {
    return launch(std::nullopt, {});
}

QProcessEnvironment RunningQuillstack::environment() const {
    QProcessEnvironment env = m_bus.environment();
    env.insert("XDG_CONFIG_HOME", homePath("config"));
    env.insert("XDG_DATA_HOME", homePath("data"));
    env.insert("XDG_CACHE_HOME", homePath("cache"));
    env.insert("QT_LOGGING_RULES", "quillstack.*.debug=true");
    for (const QString& name : m_extraEnvironment.keys())
        env.insert(name, m_extraEnvironment.value(name));
    return env;
}

RunningQuillstack::LaunchOutcome RunningQuillstack::launchAgain(const QStringList& arguments,
                                                                int timeoutMs) const {
    QProcess later;
    later.setProcessEnvironment(environment());
    later.start(m_binary, arguments);
    LaunchOutcome outcome;
    // The instance that answers is another process: nothing here needs the event loop meanwhile.
    if (!later.waitForFinished(timeoutMs)) {
        later.kill();
        later.waitForFinished(kTerminateTimeoutMs);
    } else if (later.exitStatus() == QProcess::NormalExit) {
        outcome.exitCode = later.exitCode();
    }
    outcome.standardOutput = QString::fromUtf8(later.readAllStandardOutput());
    outcome.standardError = QString::fromUtf8(later.readAllStandardError());
    return outcome;
}

bool RunningQuillstack::launch(const std::optional<QByteArray>& settingsJson, const QStringList& arguments) {
    const QString& binary = m_binary;
    if (!m_bus.isRunning() || !m_home.isValid() || !QFile::exists(binary)) {
        m_log += QStringLiteral("cannot start %1: private bus %2, home %3\n")
                     .arg(binary, m_bus.isRunning() ? "up" : "down", m_home.isValid() ? "made" : "missing");
        return false;
    }
    const QProcessEnvironment env = environment();
    QDir().mkpath(homePath("config/quillstack"));
    if (settingsJson) {
        QFile settings(homePath("config/quillstack/settings.json"));
        if (!settings.open(QIODevice::WriteOnly) || settings.write(*settingsJson) != settingsJson->size()) {
            m_log += QStringLiteral("cannot write the settings file\n");
            return false;
        }
    }
    QObject::connect(&m_process, &QProcess::readyReadStandardError,
                     [this] { m_log += QString::fromUtf8(m_process.readAllStandardError()); });
    m_process.setProcessEnvironment(env);
    m_process.start(binary, arguments);
    return QTest::qWaitFor([&] { return m_log.contains(QStringLiteral("launch finished")); },
                           kLaunchTimeoutMs);
}

QString RunningQuillstack::mappedFiles() const {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(m_process.processId()));
    if (m_process.state() != QProcess::Running || !maps.open(QIODevice::ReadOnly))
        return {};
    QStringList files;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype path = line.indexOf('/');
        if (path >= 0 && !files.contains(QString::fromUtf8(line.mid(path))))
            files << QString::fromUtf8(line.mid(path));
    }
    return files.join(u'\n');
}

QStringList RunningQuillstack::storedValues(const QString& column) const {
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(homePath("data/Quillstack/history.sqlite"));
        if (db.open()) {
            QSqlQuery query(
                QStringLiteral("SELECT %1 FROM ClipboardItem ORDER BY createdAt DESC").arg(column), db);
            while (query.next())
                values << query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    return values;
}

bool RunningQuillstack::copyText(const QByteArray& text) {
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "UTF8_STRING"});
    xclip.write(text);
    xclip.closeWriteChannel();
    return xclip.waitForFinished(5000) && xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0;
}
