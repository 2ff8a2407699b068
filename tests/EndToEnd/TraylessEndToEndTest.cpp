// The real quillstack binary on a desktop without a tray (the test session's window manager shows
// none): the status menu's entries reached through later launches of the command and through the
// desktop entry's actions, with and without a running instance.
#include "DesktopEntry.h"
#include "RunningQuillstack.h"
#include "TestSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using TestSession::Child;

// The visible windows of process `pid` whose title is exactly `title`, through xdotool.
QList<quint32> visibleWindows(qint64 pid, const QString& title) {
    Child search(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--pid", QString::number(pid),
                                             "--name", QStringLiteral("^%1$").arg(title)});
    search.waitForExit();
    QList<quint32> windows;
    for (const QByteArray& line : search.process().readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            windows << line.toUInt();
    }
    return windows;
}

// The one visible window of `pid` with this title, once there is exactly one; 0 when there never is.
quint32 waitForWindow(qint64 pid, const QString& title) {
    QList<quint32> windows;
    TestSession::waitUntil([&] {
        windows = visibleWindows(pid, title);
        return windows.size() == 1;
    });
    return windows.size() == 1 ? windows.first() : 0;
}

const QString settingsTitle = QStringLiteral("Quillstack Settings");
// The clear-history question bears the application's name, as the history panel does: the panel is
// hidden while a test looks for the question.
const QString questionTitle = QStringLiteral("Quillstack");

class TraylessEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true})")) << qPrintable(quillstack.log());
        ASSERT_TRUE(quillstack.log().contains(QStringLiteral("this desktop has no system tray")))
            << "the session is to show no tray: " << qPrintable(quillstack.log());
    }

    qint64 pid() { return quillstack.process().processId(); }

    // A window that plays the application the user works in, in front with the keyboard focus.
    std::unique_ptr<Child> openEditor() {
        auto editor = std::make_unique<Child>(QStringLiteral(QS_TEST_WINDOW),
                                              QStringList{"--class", "qs-trayless,QsTraylessEditor"});
        const quint32 id = editor->waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
        EXPECT_NE(id, 0u);
        EXPECT_TRUE(TestSession::waitForInputFocus(id));
        return editor;
    }

    void copyText(const QByteArray& text) {
        ASSERT_TRUE(RunningQuillstack::copyText(text));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return quillstack.storedTexts().value(0) == QString::fromUtf8(text); }, 10000))
            << qPrintable(quillstack.log());
    }

    // Runs the command with `arguments`; it hands the request over and ends at once, successfully.
    void request(const QStringList& arguments) {
        const RunningQuillstack::LaunchOutcome outcome = quillstack.launchAgain(arguments);
        EXPECT_EQ(outcome.exitCode, 0)
            << qPrintable(arguments.join(u' ')) << qPrintable(outcome.standardError);
        EXPECT_TRUE(outcome.standardError.isEmpty()) << qPrintable(outcome.standardError);
    }

    // Answers the clear-history question with `key` once it is open and in front.
    void answerQuestion(const char* key) {
        const quint32 question = waitForWindow(pid(), questionTitle);
        ASSERT_NE(question, 0u) << qPrintable(quillstack.log());
        ASSERT_TRUE(TestSession::waitForInputFocus(question));
        // Typed as the user types, into the window with the focus.
        Child xdotool(QStringLiteral("xdotool"), {"key", key});
        ASSERT_TRUE(xdotool.waitForExit());
        ASSERT_TRUE(TestSession::waitUntil([&] { return visibleWindows(pid(), questionTitle).isEmpty(); }));
    }

    bool endsInOrder() {
        if (!QTest::qWaitFor([&] { return quillstack.process().state() == QProcess::NotRunning; }, 10000))
            return false;
        return quillstack.process().exitStatus() == QProcess::NormalExit &&
               quillstack.process().exitCode() == 0;
    }

    RunningQuillstack quillstack;
};

TEST_F(TraylessEndToEnd, TheSettingsRequestBringsTheRunningInstancesWindowToTheFront) {
    auto editor = openEditor();
    request({"--settings"});
    const quint32 settings = waitForWindow(pid(), settingsTitle);
    ASSERT_NE(settings, 0u) << qPrintable(quillstack.log());
    EXPECT_TRUE(TestSession::waitForInputFocus(settings)) << "the settings window is in front";

    // Another window in front, the settings window behind it: asked again, the same window comes
    // back to the front.
    auto other = openEditor();
    ASSERT_FALSE(TestSession::hasInputFocus(settings));
    request({"--settings"});
    EXPECT_TRUE(TestSession::waitForInputFocus(settings)) << qPrintable(quillstack.log());
    EXPECT_EQ(visibleWindows(pid(), settingsTitle), QList<quint32>{settings}) << "one settings window";
}

TEST_F(TraylessEndToEnd, TheQuitRequestEndsTheInstanceInOrderAndKeepsTheHistory) {
    copyText("kept safe");
    const QString wal = quillstack.homePath(QStringLiteral("data/Quillstack/history.sqlite-wal"));
    ASSERT_TRUE(QFile::exists(wal)) << "the history is open";

    request({"--quit"});
    // Ended by its event loop as the menu's Quit ends it, down to the history, whose write-ahead log
    // SQLite folds in and removes as the last connection goes.
    EXPECT_TRUE(endsInOrder()) << qPrintable(quillstack.log());
    EXPECT_FALSE(QFile::exists(wal));
    EXPECT_EQ(quillstack.storedTexts(), QStringList{"kept safe"});

    // Nothing runs any more: asked again, the command says so.
    const RunningQuillstack::LaunchOutcome again = quillstack.launchAgain({"--quit"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.standardError,
              QStringLiteral("Quillstack is not running; --quit needs a running instance.\n"));
}

TEST_F(TraylessEndToEnd, TheToggleRequestPausesAndResumesCapture) {
    copyText("before the pause");
    request({"--toggle-monitoring"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return quillstack.log().contains("monitoring paused"); }, 5000))
        << qPrintable(quillstack.log());
    ASSERT_TRUE(RunningQuillstack::copyText("while paused"));
    request({"--toggle-monitoring"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return quillstack.log().contains("monitoring resumed"); }, 5000))
        << qPrintable(quillstack.log());
    // Capture keeps the order of the copies: once the next one is stored, the paused one was passed.
    copyText("after the pause");
    EXPECT_EQ(quillstack.storedTexts(), (QStringList{"after the pause", "before the pause"}));
}

TEST_F(TraylessEndToEnd, TheClearRequestAsksFirstWithoutHoldingTheCommand) {
    copyText("first");
    copyText("second");

    // The command has ended while the question waits for the user; asking again brings the same
    // question back instead of a second one.
    request({"--clear-history"});
    ASSERT_NE(waitForWindow(pid(), questionTitle), 0u) << qPrintable(quillstack.log());
    request({"--clear-history"});
    QTest::qWait(500);
    EXPECT_EQ(visibleWindows(pid(), questionTitle).size(), 1);
    answerQuestion("Escape");
    EXPECT_EQ(quillstack.storedTexts(), (QStringList{"second", "first"})) << "cancelled";

    request({"--clear-history"});
    answerQuestion("Return");
    EXPECT_TRUE(QTest::qWaitFor([&] { return quillstack.storedTexts().isEmpty(); }, 5000))
        << qPrintable(quillstack.storedTexts().join(u'|'));

    // Quitting while the question is open answers nothing: the history stays as it is.
    copyText("third");
    request({"--clear-history"});
    ASSERT_NE(waitForWindow(pid(), questionTitle), 0u) << qPrintable(quillstack.log());
    request({"--quit"});
    EXPECT_TRUE(endsInOrder()) << qPrintable(quillstack.log());
    EXPECT_EQ(quillstack.storedTexts(), QStringList{"third"});
}

TEST_F(TraylessEndToEnd, HelpListsTheRequestsAndAsksNothingOfTheRunningInstance) {
    const RunningQuillstack::LaunchOutcome help = quillstack.launchAgain({"--help", "--quit"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.standardError.isEmpty()) << qPrintable(help.standardError);
    for (const char* flag :
         {"--show-history", "--settings", "--toggle-monitoring", "--clear-history", "--quit", "--help"})
        EXPECT_TRUE(help.standardOutput.contains(QStringLiteral("  %1 ").arg(flag))) << flag;
    QTest::qWait(300);
    EXPECT_EQ(quillstack.process().state(), QProcess::Running);
    EXPECT_FALSE(quillstack.log().contains(QStringLiteral("request"))) << qPrintable(quillstack.log());
}

// The desktop entry as installed, each of its actions run as the desktop runs it (no shell).
TEST_F(TraylessEndToEnd, TheDesktopEntrysActionsReachTheRunningInstance) {
    const QString entry = QStringLiteral(QS_TEST_SOURCE_DIR "/resources/quillstack.desktop");
    Child validate(QStringLiteral("desktop-file-validate"), {entry});
    ASSERT_TRUE(validate.waitForExit());
    EXPECT_EQ(validate.process().exitCode(), 0) << validate.process().readAllStandardOutput().constData();

    const auto desktop = readDesktopEntry(entry);
    const QStringList actions =
        desktop.value("Desktop Entry").value("Actions").split(u';', Qt::SkipEmptyParts);
    ASSERT_EQ(actions,
              (QStringList{"show-history", "toggle-monitoring", "clear-history", "settings", "quit"}));
    const auto run = [&](const QString& action) {
        const QStringList exec =
            desktop.value(QStringLiteral("Desktop Action ") + action).value("Exec").split(u' ');
        ASSERT_EQ(exec.value(0), QStringLiteral("quillstack")) << qPrintable(action);
        request(exec.mid(1));
    };

    run(QStringLiteral("toggle-monitoring"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return quillstack.log().contains("monitoring paused"); }, 5000));
    run(QStringLiteral("clear-history"));
    answerQuestion("Escape");
    run(QStringLiteral("settings"));
    EXPECT_NE(waitForWindow(pid(), settingsTitle), 0u) << qPrintable(quillstack.log());
    run(QStringLiteral("show-history"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return quillstack.log().contains("show the history panel"); }, 5000));
    run(QStringLiteral("quit"));
    EXPECT_TRUE(endsInOrder()) << qPrintable(quillstack.log());
}

// Without a running instance only the settings request starts one; the others say so and fail.
TEST(TraylessEndToEndWithoutInstance, OnlyTheSettingsRequestStartsOne) {
    RunningQuillstack quillstack;
    for (const char* flag : {"--toggle-monitoring", "--clear-history", "--quit"}) {
        const RunningQuillstack::LaunchOutcome outcome = quillstack.launchAgain({flag});
        EXPECT_EQ(outcome.exitCode, 1) << flag;
        EXPECT_EQ(outcome.standardError,
                  QStringLiteral("Quillstack is not running; %1 needs a running instance.\n").arg(flag));
        EXPECT_TRUE(outcome.standardOutput.isEmpty());
    }
    QDBusConnection observer =
        QDBusConnection::connectToBus(quillstack.bus().address(), QStringLiteral("observer"));
    EXPECT_FALSE(observer.interface()->isServiceRegistered(QStringLiteral("dev.corvinel.quillstack")).value())
        << "none was started";
    QDBusConnection::disconnectFromBus(QStringLiteral("observer"));
    EXPECT_FALSE(QFile::exists(quillstack.homePath(QStringLiteral("config/quillstack/settings.json"))))
        << "nothing was written";

    ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true})", {"--settings"}))
        << qPrintable(quillstack.log());
    const quint32 settings = waitForWindow(quillstack.process().processId(), settingsTitle);
    ASSERT_NE(settings, 0u) << qPrintable(quillstack.log());
    EXPECT_TRUE(TestSession::waitForInputFocus(settings));
}

} // namespace
