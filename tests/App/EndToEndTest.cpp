// Runs the built quillstack binary under the test session's X server, each test with its own
// session bus and XDG directories.
#include <PrivateSessionBus.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The quillstack command: the launcher, which starts the full program when it does not hand over.
const QString binary = QStringLiteral(QS_TEST_BINARY_DIR "/bin/quillstack");
const QString fullProgram = QStringLiteral(QS_TEST_BINARY_DIR "/libexec/quillstack");

// Holds the application's bus name without being the application: it refuses every request and,
// when `quitOnRequest` is set, gives the name up as it refuses, like an instance that is quitting.
class NameHolder : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "dev.corvinel.quillstack")
public:
    NameHolder(QDBusConnection connection, bool quitOnRequest)
        : m_connection(connection), m_quitOnRequest(quitOnRequest) {
        m_connection.registerObject("/dev/corvinel/quillstack", this, QDBusConnection::ExportScriptableSlots);
        m_connection.registerService("dev.corvinel.quillstack");
    }

public slots:
    // A quitting holder refuses, and lets the name go a moment after its answer.
    Q_SCRIPTABLE void ShowHistory() {
        sendErrorReply(QDBusError::Failed, "quitting");
        if (m_quitOnRequest)
            QTimer::singleShot(300, this,
                               [this] { m_connection.unregisterService("dev.corvinel.quillstack"); });
    }

private:
    QDBusConnection m_connection;
    bool m_quitOnRequest;
};
constexpr int startTimeoutMs = 15000;

class Instance {
public:
    // The log collects both streams: diagnostics go to stderr, a refused hot key to stdout.
    explicit Instance(const QProcessEnvironment& environment, const QStringList& arguments = {}) {
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { m_log += QString::fromUtf8(m_process.readAllStandardError()); });
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_log += QString::fromUtf8(m_process.readAllStandardOutput()); });
        m_process.setProcessEnvironment(environment);
        m_process.start(binary, arguments);
    }
    ~Instance() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool waitForLog(const QString& text, int timeoutMs = startTimeoutMs) {
        return QTest::qWaitFor([&] { return m_log.contains(text); }, timeoutMs);
    }
    // Exit code, or -1 when it did not finish in time.
    int waitForExit(int timeoutMs = startTimeoutMs) {
        if (!QTest::qWaitFor([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2;
    }
    void terminate() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }
    const QString& log() const { return m_log; }
    int count(const QString& text) const { return static_cast<int>(m_log.count(text)); }

private:
    QProcess m_process;
    QString m_log;
};

// Types a key combination on the test session's X server.
void xdotoolKey(const QString& keys) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"key", keys}), 0) << qPrintable(keys);
}

// Waits until the text has appeared `expected` times, then a moment more to see that no further
// one follows.
bool seenExactly(const Instance& instance, const QString& text, int expected) {
    if (!QTest::qWaitFor([&] { return instance.count(text) >= expected; }, 5000))
        return false;
    QTest::qWait(200);
    return instance.count(text) == expected;
}

const QString refusedHotkey = QStringLiteral("Error registering hotkey");
const QString toggle = QStringLiteral("toggle the history panel");
const QString plainTextPaste = QStringLiteral("paste the newest item as plain text");

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(QFile::exists(binary)) << qPrintable(binary);
    }

    QProcessEnvironment environment(const QMap<QString, QString>& locale = {{"LANG", "en_US.UTF-8"}}) const {
        QProcessEnvironment env = bus.environment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("QT_LOGGING_RULES", "quillstack.*.debug=true");
        for (const char* key : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            env.remove(key);
        for (auto it = locale.begin(); it != locale.end(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }
    QString settingsPath() const { return home.filePath("config/quillstack/settings.json"); }

    std::unique_ptr<Instance> startFirst(const QStringList& arguments = {}) {
        auto first = std::make_unique<Instance>(environment(), arguments);
        EXPECT_TRUE(first->waitForLog("launch finished")) << qPrintable(first->log());
        return first;
    }

    qint64 nameOwnerPid() {
        QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), "observer");
        const QDBusReply<uint> pid = connection.interface()->servicePid("dev.corvinel.quillstack");
        const qint64 result = pid.isValid() ? pid.value() : -1;
        QDBusConnection::disconnectFromBus("observer");
        return result;
    }

    PrivateSessionBus bus;
    QTemporaryDir home;
};

TEST_F(EndToEnd, SecondLaunchLeavesOneProcess) {
    auto first = startFirst();
    Instance second(environment());
    EXPECT_EQ(second.waitForExit(), 0) << qPrintable(second.log());
    EXPECT_TRUE(first->isRunning());
    EXPECT_EQ(nameOwnerPid(), first->pid());
}

TEST_F(EndToEnd, SecondLaunchHandsItsRequestToTheFirst) {
    auto first = startFirst();
    {
        Instance second(environment(), {"--show-history"});
        EXPECT_EQ(second.waitForExit(), 0) << qPrintable(second.log());
    }
    EXPECT_TRUE(first->waitForLog("external request to show the history"));
    EXPECT_TRUE(first->waitForLog("show the history panel"));

    {
        Instance third(environment(), {"quillstack://show"});
        EXPECT_EQ(third.waitForExit(), 0) << qPrintable(third.log());
    }
    EXPECT_TRUE(first->waitForLog("URL request"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->count("show the history panel") == 2; }, 5000));
    EXPECT_TRUE(first->isRunning());
}

TEST_F(EndToEnd, SecondLaunchHandsOverBeforeConnectingToTheDisplay) {
    auto first = startFirst();
    // A display that does not exist: a launch that connected to it before handing over would fail.
    QProcessEnvironment env = environment();
    env.insert("DISPLAY", ":4711");
    for (const QStringList& arguments : {QStringList{"--show-history"}, QStringList{"quillstack://show"}}) {
        Instance second(env, arguments);
        EXPECT_EQ(second.waitForExit(), 0) << qPrintable(arguments.join(' ')) << qPrintable(second.log());
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->count("show the history panel") == 2; }, 5000))
        << qPrintable(first->log());
    EXPECT_TRUE(first->waitForLog("URL request"));
}

TEST_F(EndToEnd, BroadcastSignalReachesTheRunningInstance) {
    auto first = startFirst();
    QProcess emitter;
    emitter.setProcessEnvironment(bus.environment());
    emitter.start("gdbus", {"emit", "--session", "--object-path", "/dev/corvinel/quillstack", "--signal",
                            "dev.corvinel.quillstack.showHistory"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return emitter.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(emitter.exitCode(), 0);
    EXPECT_TRUE(first->waitForLog("show the history panel"));
}

TEST_F(EndToEnd, FirstLaunchWithARequestShowsThePanelItself) {
    for (const QStringList& arguments : {QStringList{"--show-history"}, QStringList{"quillstack:history"}}) {
        auto first = startFirst(arguments);
        EXPECT_TRUE(first->waitForLog("show the history panel")) << qPrintable(arguments.join(' '));
        first.reset();
    }
}

TEST_F(EndToEnd, SettingsFileAfterFirstRunHoldsOnlyWhatTheFirstLaunchWrites) {
    struct Case {
        QMap<QString, QString> locale;
        std::optional<QString> appLanguage;
    };
    const std::vector<Case> cases = {
        {{{"LANGUAGE", "pl_PL:en"}, {"LANG", "pl_PL.UTF-8"}}, QString("pl")},
        {{{"LANG", "en_GB.UTF-8"}}, QString("en")},
        {{{"LANG", "fr_FR.UTF-8"}}, QString("system")},
        {{{"LANG", "C"}}, std::nullopt},
    };
    // The desktop-file ids of the common Linux password managers, as capture records them.
    const QStringList passwordManagers{"org.keepassxc.KeePassXC",        "bitwarden",
                                       "com.bitwarden.desktop",          "1password",
                                       "org.gnome.seahorse.Application", "org.gnome.World.Secrets",
                                       "org.kde.kwalletmanager5"};
    for (const Case& c : cases) {
        QFile::remove(settingsPath());
        const QString label = c.locale.value("LANG");
        {
            Instance first(environment(c.locale));
            ASSERT_TRUE(first.waitForLog("launch finished")) << qPrintable(first.log());
        }
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(label);
        const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
        // The two shortcuts are declared with their defaults, which stores them: Shift+Super+V and
        // Alt+Shift+Super+V as key number and modifier bits, a JSON text inside the JSON file.
        QStringList ignored;
        for (const QJsonValue& id : stored.value("ignoredBundleIDs").toArray())
            ignored << id.toString();
        for (const QString& id : passwordManagers)
            EXPECT_TRUE(ignored.contains(id))
                << qPrintable(id) << " missing from " << qPrintable(ignored.join(u','));
        QJsonObject expected{
            {"ignoredBundleIDs", stored.value("ignoredBundleIDs")},
            {"Hotkeys_showHistory", R"({"carbonKeyCode":9,"carbonModifiers":768})"},
            {"Hotkeys_pastePlainText", R"({"carbonKeyCode":9,"carbonModifiers":2816})"},
        };
        if (c.appLanguage)
            expected.insert("appLanguage", *c.appLanguage);
        EXPECT_EQ(stored, expected) << qPrintable(label) << " "
                                    << QJsonDocument(stored).toJson(QJsonDocument::Compact).constData();
        EXPECT_EQ(file.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    }
}

TEST_F(EndToEnd, GlobalShortcutsReachTheirHandlers) {
    auto first = startFirst();
    // The binary has no history panel yet, so every toggle shows; toggling back is covered by the
    // delegate's test against its panel.
    xdotoolKey("shift+super+v");
    EXPECT_TRUE(seenExactly(*first, toggle, 1)) << qPrintable(first->log());
    EXPECT_EQ(first->count("show the history panel"), 1);
    xdotoolKey("shift+super+v");
    EXPECT_TRUE(seenExactly(*first, toggle, 2)) << qPrintable(first->log());

    xdotoolKey("alt+shift+super+v");
    EXPECT_TRUE(seenExactly(*first, plainTextPaste, 1)) << qPrintable(first->log());
    EXPECT_EQ(first->count(toggle), 2) << "the longer combination is not the shorter one";

    // With Num Lock on, the grab still matches.
    xdotoolKey("Num_Lock");
    xdotoolKey("shift+super+v");
    const bool seenWithNumLock = seenExactly(*first, toggle, 3);
    xdotoolKey("Num_Lock");
    EXPECT_TRUE(seenWithNumLock) << qPrintable(first->log());
    EXPECT_FALSE(first->log().contains(refusedHotkey)) << qPrintable(first->log());
}

TEST_F(EndToEnd, SecondLaunchHandsOverWithoutTryingTheShortcuts) {
    auto first = startFirst();
    for (const QStringList& arguments : {QStringList{}, QStringList{"--show-history"}}) {
        Instance second(environment(), arguments);
        EXPECT_EQ(second.waitForExit(), 0) << qPrintable(second.log());
        // Had it declared the names, the X server would have refused it the first instance's grabs.
        EXPECT_FALSE(second.log().contains(refusedHotkey)) << qPrintable(second.log());
        EXPECT_FALSE(second.log().contains("launch finished"));
    }
    EXPECT_TRUE(first->waitForLog("show the history panel"));
    xdotoolKey("shift+super+v");
    EXPECT_TRUE(seenExactly(*first, toggle, 1)) << qPrintable(first->log());
    EXPECT_FALSE(first->log().contains(refusedHotkey)) << qPrintable(first->log());
}

TEST_F(EndToEnd, CorruptSettingsFileIsReportedKeptAndNotOverwritten) {
    QDir().mkpath(QFileInfo(settingsPath()).absolutePath());
    const QByteArray garbage = "{\"historyLimit\": 50, oops";
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    auto first = startFirst();
    EXPECT_TRUE(first->log().contains("could not be read")) << qPrintable(first->log());
    QFile corrupt(settingsPath() + ".corrupt");
    ASSERT_TRUE(corrupt.open(QIODevice::ReadOnly));
    EXPECT_EQ(corrupt.readAll(), garbage);
    EXPECT_TRUE(first->isRunning());
}

TEST_F(EndToEnd, RelaunchedInstanceWaitsForTheOldOneInsteadOfHandingOver) {
    auto old = startFirst();
    Instance replacement(environment(), {"--relaunched", "--show-history"});
    QTest::qWait(700);
    EXPECT_TRUE(replacement.isRunning());
    EXPECT_FALSE(replacement.log().contains("launch finished"));
    EXPECT_FALSE(old->log().contains("external request")) << "a replacement never hands over";

    old->terminate();
    ASSERT_TRUE(replacement.waitForLog("launch finished")) << qPrintable(replacement.log());
    EXPECT_TRUE(replacement.waitForLog("show the history panel"));
    EXPECT_EQ(nameOwnerPid(), replacement.pid());
    // The old instance's grabs went with it: the replacement holds the shortcuts now.
    EXPECT_FALSE(replacement.log().contains(refusedHotkey)) << qPrintable(replacement.log());
    xdotoolKey("shift+super+v");
    EXPECT_TRUE(seenExactly(replacement, toggle, 1)) << qPrintable(replacement.log());
}

TEST_F(EndToEnd, RelaunchedInstanceGivesUpWhenTheOldOneStays) {
    auto old = startFirst();
    Instance replacement(environment(), {"--relaunched"});
    // The wait is bounded (ten seconds); the replacement then ends with an error and the old stays.
    EXPECT_EQ(replacement.waitForExit(30000), 1) << qPrintable(replacement.log());
    EXPECT_TRUE(replacement.log().contains("did not quit in time"));
    EXPECT_TRUE(old->isRunning());
    EXPECT_EQ(nameOwnerPid(), old->pid());
}

TEST_F(EndToEnd, SecondLaunchReportsARunningInstanceThatRefusesTheRequest) {
    QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), "holder");
    NameHolder holder(connection, false);
    Instance second(environment(), {"--show-history"});
    EXPECT_EQ(second.waitForExit(), 1);
    EXPECT_TRUE(second.log().contains("did not take the request")) << qPrintable(second.log());
    QDBusConnection::disconnectFromBus("holder");
}

TEST_F(EndToEnd, SecondLaunchTakesOverFromAnInstanceThatQuitMeanwhile) {
    QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), "holder");
    NameHolder holder(connection, true);
    Instance second(environment(), {"--show-history"});
    EXPECT_TRUE(second.waitForLog("launch finished")) << qPrintable(second.log());
    EXPECT_TRUE(second.waitForLog("show the history panel"));
    EXPECT_EQ(nameOwnerPid(), second.pid());
    QDBusConnection::disconnectFromBus("holder");
}

// The launcher becomes the full program in its own process, with its arguments as they were.
TEST_F(EndToEnd, WithNoInstanceRunningTheCommandBecomesTheProgramWithItsArgumentsUnchanged) {
    const QStringList arguments{"--show-history", "quillstack://show?q=a%20b", "an argument with spaces", ""};
    auto first = startFirst(arguments);
    const qint64 pid = first->pid();
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath(),
              QFileInfo(fullProgram).canonicalFilePath());
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
    ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
    QStringList given;
    for (const QByteArray& argument : cmdline.readAll().chopped(1).split('\0'))
        given << QString::fromUtf8(argument);
    EXPECT_EQ(given, QStringList{binary} + arguments);
    EXPECT_EQ(nameOwnerPid(), pid);
    EXPECT_TRUE(first->waitForLog("URL request"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->count("show the history panel") == 2; }, 5000))
        << qPrintable(first->log());
}

// A byte string that is no UTF-8 cannot go over the bus as it is: the launcher leaves such a request
// to the full program, which reads it as Qt does, instead of failing inside libdbus.
TEST_F(EndToEnd, AnArgumentThatIsNoUtf8GoesTheLongWay) {
    auto first = startFirst();
    std::vector<std::string> strings{binary.toStdString(), "--show-history", "quillstack:\xff"};
    std::vector<std::string> environmentStrings;
    for (const QString& entry : environment().toStringList())
        environmentStrings.push_back(entry.toStdString());
    std::vector<char*> argv;
    for (std::string& string : strings)
        argv.push_back(string.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& string : environmentStrings)
        envp.push_back(string.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, startTimeoutMs));
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(first->waitForLog("URL request")) << qPrintable(first->log());
    EXPECT_TRUE(QTest::qWaitFor([&] { return first->count("show the history panel") == 2; }, 5000))
        << qPrintable(first->log());
}

TEST_F(EndToEnd, WithoutAnXDisplayItSaysSoAndFails) {
    QProcessEnvironment env = environment();
    env.remove("DISPLAY");
    Instance lonely(env);
    EXPECT_EQ(lonely.waitForExit(), 1);
    EXPECT_TRUE(lonely.log().contains("DISPLAY is not set")) << qPrintable(lonely.log());
}

} // namespace

#include "EndToEndTest.moc"
