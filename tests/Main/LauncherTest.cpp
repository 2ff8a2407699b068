// The quillstack command (the launcher): how it reads a command line, compared with the full
// program's reading, and the real launcher binary handing requests to a running instance served by
// the real DBusSingleInstance on a private session bus.
#include <App/UrlRequest.h>
#include <Main/Launcher/LauncherCommandLine.h>
#include <Platform/DBus/DBusSingleInstance.h>
#include <PrivateSessionBus.h>

#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QString launcher = QStringLiteral(QS_TEST_BINARY_DIR "/bin/quillstack");

// Arguments a desktop, a shell or a user may give, URLs and not.
const std::vector<std::string> kArguments = {
    "--show-history",
    "--relaunched",
    "--settings",
    "--toggle-monitoring",
    "--clear-history",
    "--quit",
    "--quit=now",
    "--Settings",
    "quit",
    "--show-history=1",
    "-show-history",
    "quillstack:",
    "quillstack://show",
    "QUILLSTACK:History",
    "quillstack://show?q=a%20b#frag",
    "quillstack:\xc3\xbcn\xc3\xaf",
    "quillstack:show%zz",
    "quillstack:with space",
    "quillstack://[::1",
    "quillstack://user@host:99999/",
    "https://example.org/a?b=c",
    "mailto:someone@example.org",
    "a+b.c-d:x",
    "C:/path",
    "foo",
    "1abc:def",
    ":nothing",
    "quill_stack:x",
    "/home/user/file:name",
    "",
};

QUrl asTheInstanceReadsIt(const std::string& url) {
    return QUrl(QString::fromUtf8(url), QUrl::StrictMode);
}

// The launcher hands over what it takes for URLs as given; the full program's own hand-over sends
// what Qt parsed, re-encoded. A running instance must act the same on both.
TEST(LauncherCommandLine, TakesWhatTheProgramTakesAndNothingTheInstanceWouldActOn) {
    for (const std::string& argument : kArguments) {
        SCOPED_TRACE(argument);
        const char* argv[] = {"quillstack", argument.c_str()};
        const Launcher::Request ours = Launcher::readCommandLine(2, argv);
        const App::LaunchRequest program =
            App::parseCommandLine({QStringLiteral("quillstack"), QString::fromUtf8(argument)});

        EXPECT_EQ(ours.showHistory, program.showHistory);
        EXPECT_EQ(ours.relaunched, program.relaunched);
        EXPECT_EQ(QList<Platform::InstanceCommand>(ours.commands.begin(), ours.commands.end()),
                  program.commands);
        const bool taken = ours.urls.size() == 1 && ours.urls.front() == argv[1];
        ASSERT_TRUE(ours.urls.empty() || taken) << "a URL goes on exactly as given";
        if (!program.urls.isEmpty()) {
            EXPECT_TRUE(taken) << "a URL the program takes is handed over by the launcher too";
            EXPECT_EQ(asTheInstanceReadsIt(argument),
                      asTheInstanceReadsIt(program.urls.front().toString(QUrl::FullyEncoded).toStdString()));
        } else if (taken) {
            EXPECT_FALSE(App::quillstackAction(asTheInstanceReadsIt(argument)).has_value())
                << "the launcher took something the program would not hand over, and the instance acts on it";
        }
    }
}

TEST(LauncherCommandLine, OnlyARequestOfALaterLaunchIsHandedOver) {
    struct Case {
        std::vector<const char*> argv;
        bool handsOver;
    };
    const std::vector<Case> cases = {
        {{"quillstack"}, false},
        {{"quillstack", "--show-history"}, true},
        {{"quillstack", "quillstack:history"}, true},
        {{"quillstack", "not-a-url"}, false},
        // A replacement instance waits for the old one instead of handing anything over.
        {{"quillstack", "--relaunched", "--show-history"}, false},
        {{"quillstack", "quillstack://show", "--relaunched"}, false},
        // The first entry is the program, whatever it looks like.
        {{"quillstack://show"}, false},
        {{"quillstack", "--settings"}, true},
        {{"quillstack", "--quit"}, true},
        {{"quillstack", "--relaunched", "--quit"}, false},
    };
    for (const Case& c : cases) {
        const Launcher::Request request = Launcher::readCommandLine(int(c.argv.size()), c.argv.data());
        EXPECT_EQ(request.canHandOver(), c.handsOver) << c.argv.back();
    }
}

// The launcher binary against a running instance in this process.
class LauncherHandOver : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(QFile::exists(launcher)) << qPrintable(launcher);
        instance = std::make_unique<Platform::DBusSingleInstance>(
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("instance")));
        ASSERT_EQ(instance->claim(), Platform::SingleInstance::Claim::Primary);
        instance->observeOpenUrls([this](const QList<QUrl>& urls) {
            for (const QUrl& url : urls)
                journal << QStringLiteral("url ") + url.toString(QUrl::FullyEncoded);
        });
        instance->observeShowHistory([this] { journal << QStringLiteral("show"); });
    }
    void TearDown() override {
        instance.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("instance"));
    }

    // Runs `program` with `arguments` while this thread serves the bus; its exit code, or -1.
    int run(const QString& program, const QStringList& arguments) {
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
            return -1;
        stderrText = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }
    // The launcher hands over only with a display set; it never connects to it.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = bus.environment();
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
        return env;
    }

    PrivateSessionBus bus;
    std::unique_ptr<Platform::DBusSingleInstance> instance;
    QProcess process;
    QString stderrText;
    QStringList journal;
};

// Each command once, in one order however the command line gives them; both readings agree.
TEST(LauncherCommandLine, CommandsAreTakenOnceInTheirOwnOrder) {
    const char* argv[] = {"quillstack",          "--quit",    "--settings", "--clear-history", "--quit",
                          "--toggle-monitoring", "--settings"};
    const Launcher::Request ours = Launcher::readCommandLine(7, argv);
    using Platform::InstanceCommand;
    const std::vector<InstanceCommand> expected{InstanceCommand::OpenSettings,
                                                InstanceCommand::ToggleMonitoring,
                                                InstanceCommand::ClearHistory, InstanceCommand::Quit};
    EXPECT_EQ(ours.commands, expected);
    QStringList arguments;
    for (const char* argument : argv)
        arguments << QString::fromLatin1(argument);
    EXPECT_EQ(App::parseCommandLine(arguments).commands,
              QList<InstanceCommand>(expected.begin(), expected.end()));
    ASSERT_NE(ours.commandNeedingAnInstance(), nullptr);
    EXPECT_EQ(*ours.commandNeedingAnInstance(), InstanceCommand::ToggleMonitoring);
    EXPECT_EQ(App::parseCommandLine(arguments).commandNeedingAnInstance(), InstanceCommand::ToggleMonitoring);

    const char* settingsOnly[] = {"quillstack", "--settings", "--show-history"};
    EXPECT_EQ(Launcher::readCommandLine(3, settingsOnly).commandNeedingAnInstance(), nullptr)
        << "opening the settings starts an instance when none runs";
}

TEST_F(LauncherHandOver, URLsArriveAsGivenAndBeforeTheShowRequest) {
    const QStringList arguments{"--show-history", "quillstack://show?q=a%20b#frag",
                                QString::fromUtf8("quillstack:\xc3\xbcn\xc3\xaf"), "not-a-url",
                                "https://example.org/?x=1"};
    EXPECT_EQ(run(launcher, arguments), 0) << qPrintable(stderrText);
    EXPECT_EQ(journal, (QStringList{"url quillstack://show?q=a%20b#frag", "url quillstack:%C3%BCn%C3%AF",
                                    "url https://example.org/?x=1", "show"}));
}

// A launcher whose full program is missing can still hand requests over; anything else it reports.
TEST_F(LauncherHandOver, WithoutTheFullProgramItHandsOverOrSaysWhatIsMissing) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir().mkpath(prefix.filePath("bin")));
    const QString lonely = prefix.filePath("bin/quillstack");
    ASSERT_TRUE(QFile::copy(launcher, lonely));

    EXPECT_EQ(run(lonely, {"--show-history"}), 0) << qPrintable(stderrText);
    EXPECT_EQ(journal, QStringList{"show"});

    instance.reset();
    for (const QStringList& arguments : {QStringList{}, QStringList{"--show-history"}}) {
        EXPECT_EQ(run(lonely, arguments), 127) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(stderrText.contains(QStringLiteral("cannot start the program")))
            << qPrintable(stderrText);
        EXPECT_TRUE(stderrText.contains(QDir::cleanPath(prefix.filePath("libexec/quillstack"))))
            << qPrintable(stderrText);
    }
}

TEST_F(LauncherHandOver, CommandsArriveAfterTheShowRequestAndTheirAnswersDoNotWaitForThem) {
    instance->observeCommands([this](Platform::InstanceCommand command) {
        journal << QString::fromLatin1(Platform::flagOf(command));
        // A command may hold the instance a long while (clearing asks the user first): the caller
        // has its answer before.
        if (command == Platform::InstanceCommand::ClearHistory)
            QTest::qWait(6000);
    });
    QElapsedTimer clock;
    qint64 finishedAfter = -1;
    QObject::connect(&process, &QProcess::finished, [&] { finishedAfter = clock.elapsed(); });
    clock.start();
    EXPECT_EQ(run(launcher, {"--quit", "--clear-history", "--show-history", "--settings",
                             "--toggle-monitoring", "quillstack://show"}),
              0)
        << qPrintable(stderrText);
    EXPECT_LT(finishedAfter, 5000) << "the launcher waited for a command to be carried out";
    EXPECT_TRUE(QTest::qWaitFor([&] { return journal.size() == 6; }, 10000));
    EXPECT_EQ(journal, (QStringList{"url quillstack://show", "show", "--settings", "--toggle-monitoring",
                                    "--clear-history", "--quit"}));
}

TEST_F(LauncherHandOver, WithoutARunningInstanceACommandThatNeedsOneSaysSoAndFails) {
    instance.reset();
    for (const char* flag : {"--toggle-monitoring", "--clear-history", "--quit"}) {
        // Also with a request that would otherwise start the program, and without a display.
        for (const QStringList& arguments : {QStringList{flag}, QStringList{"--show-history", flag}}) {
            QProcessEnvironment env = environment();
            env.remove(QStringLiteral("DISPLAY"));
            process.setProcessEnvironment(env);
            process.start(launcher, arguments);
            ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
            EXPECT_EQ(process.exitCode(), 1) << qPrintable(arguments.join(' '));
            EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
                      QStringLiteral("Quillstack is not running; %1 needs a running instance.\n").arg(flag));
            EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        }
    }
}

TEST_F(LauncherHandOver, HelpListsTheRequestsOnStandardOutputAndHandsNothingOver) {
    EXPECT_EQ(run(launcher, {"--help", "--quit", "--show-history"}), 0);
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(stderrText.isEmpty()) << qPrintable(stderrText);
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: quillstack"))) << qPrintable(help);
    QStringList flags{"--show-history", "--help"};
    for (const Platform::InstanceCommandFlag& entry : Platform::instanceCommandFlags)
        flags << QString::fromLatin1(entry.flag);
    for (const QString& flag : flags)
        EXPECT_TRUE(help.contains(QStringLiteral("  ") + flag + u' ')) << qPrintable(flag);
    QTest::qWait(200);
    EXPECT_TRUE(journal.isEmpty()) << qPrintable(journal.join(u'|'));
}

} // namespace
