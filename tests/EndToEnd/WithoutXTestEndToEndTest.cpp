// The real quillstack binary on an X server without the XTest extension, where nothing can press
// the paste keys for the user: the history panel's footer says so, and its warning leads to the
// General settings page, which explains it.
#include "RunningQuillstack.h"
#include "TestSession.h"

#include <QRegularExpression>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

using TestSession::Child;

// An Xvfb server of the test's own, started without XTest; it tells its display number on its
// standard output. No window manager runs on it.
class ServerWithoutXTest {
public:
    ServerWithoutXTest() {
        m_server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1280x800x24",
                                                "-extension", "XTEST", "-nolisten", "tcp"});
        if (TestSession::waitUntil([&] { return m_server.canReadLine(); }))
            m_display = QStringLiteral(":") + QString::fromLatin1(m_server.readLine().trimmed());
    }
    ~ServerWithoutXTest() {
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }

    // ":<number>", or empty when the server did not start.
    const QString& display() const { return m_display; }
    // Runs an X client on this server (xclip, xdotool); its output, or nothing when it failed.
    std::optional<QByteArray> run(const QString& program, const QStringList& arguments,
                                  const QByteArray& input = {}) const {
        QProcess client;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        client.setProcessEnvironment(env);
        client.start(program, arguments);
        client.write(input);
        client.closeWriteChannel();
        if (!client.waitForFinished(5000) || client.exitStatus() != QProcess::NormalExit ||
            client.exitCode() != 0)
            return std::nullopt;
        return client.readAllStandardOutput();
    }

private:
    QProcess m_server;
    QString m_display;
};

TEST(WithoutXTestEndToEnd, TheFootersWarningLeadsToTheGeneralSettings) {
    ServerWithoutXTest server;
    ASSERT_FALSE(server.display().isEmpty()) << "Xvfb did not start";
    RunningQuillstack quillstack;
    quillstack.setEnvironment(QStringLiteral("DISPLAY"), server.display());
    ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true})")) << qPrintable(quillstack.log());
    ASSERT_TRUE(server.run(QStringLiteral("xclip"), {"-selection", "clipboard"}, "something to pick"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !quillstack.storedTexts().isEmpty(); }, 10000))
        << qPrintable(quillstack.log());

    EXPECT_EQ(quillstack.launchAgain({"--show-history"}).exitCode, 0);
    static const QRegularExpression shownAt(
        QStringLiteral("automatic pasting warning shown at (\\d+),(\\d+)"));
    QRegularExpressionMatch warning;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            warning = shownAt.match(quillstack.log());
            return warning.hasMatch();
        },
        10000))
        << "the footer does not say that automatic pasting is unavailable: " << qPrintable(quillstack.log());

    // Without XTest a click is an event sent to the window under the pointer.
    ASSERT_TRUE(
        server.run(QStringLiteral("xdotool"), {"mousemove", warning.captured(1), warning.captured(2)}));
    const QByteArray location =
        server.run(QStringLiteral("xdotool"), {"getmouselocation", "--shell"}).value_or("");
    static const QRegularExpression windowLine(QStringLiteral("WINDOW=(\\d+)"));
    const QString window = windowLine.match(QString::fromLatin1(location)).captured(1);
    ASSERT_FALSE(window.isEmpty()) << location.constData();
    ASSERT_TRUE(server.run(QStringLiteral("xdotool"), {"click", "--window", window, "1"}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return quillstack.log().contains(QStringLiteral("settings window shown")); }, 10000))
        << qPrintable(quillstack.log());
    EXPECT_TRUE(quillstack.log().contains(QStringLiteral("on the general tab")))
        << qPrintable(quillstack.log());
}

} // namespace
