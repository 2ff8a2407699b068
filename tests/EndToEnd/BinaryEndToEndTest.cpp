// The real quillstack binary under the test session: a clipboard owner that takes the selection
// and never answers must not freeze it, and the plain-text hot key pastes the newest item into the
// window in front without its formatting.
#include "PrivateSessionBus.h"
#include "TestSession.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QString binary = QStringLiteral(QS_TEST_BINARY_DIR "/bin/quillstack");

class BinaryEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(QFile::exists(binary));
        QProcessEnvironment env = bus.environment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        env.insert("QT_LOGGING_RULES", "quillstack.*.debug=true");
        // No onboarding window: the first run is behind this user.
        QDir().mkpath(home.filePath("config/quillstack"));
        QFile settings(home.filePath("config/quillstack/settings.json"));
        settings.open(QIODevice::WriteOnly);
        settings.write(R"({"hasCompletedOnboarding": true})");
        settings.close();
        QObject::connect(&app, &QProcess::readyReadStandardError,
                         [this] { log += QString::fromUtf8(app.readAllStandardError()); });
        app.setProcessEnvironment(env);
        app.start(binary, {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains("launch finished"); }, 15000))
            << qPrintable(log);
    }
    void TearDown() override {
        app.terminate();
        if (!app.waitForFinished(5000))
            app.kill();
    }

    // One column of the stored items, newest first, read from the SQLite file.
    QStringList storedValues(const QString& column) {
        QStringList values;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            db.setDatabaseName(home.filePath("data/Quillstack/history.sqlite"));
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
    QStringList storedTexts() { return storedValues(QStringLiteral("plainText")); }

    void copyText(const QByteArray& text) {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "UTF8_STRING"});
        xclip.write(text);
        xclip.closeWriteChannel();
        ASSERT_TRUE(xclip.waitForFinished(5000));
    }

    // What the clipboard offers for `target` right now.
    static QByteArray clipboardContent(const QString& target) {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-o", "-t", target});
        if (!xclip.waitForFinished(5000))
            return {};
        return xclip.readAllStandardOutput();
    }

    PrivateSessionBus bus;
    QTemporaryDir home;
    QProcess app;
    QString log;
};

TEST_F(BinaryEndToEnd, ASilentClipboardOwnerDoesNotFreezeTheApplication) {
    copyText("before the silent owner");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return storedTexts() == QStringList{"before the silent owner"}; }, 10000))
        << qPrintable(log);

    TestSession::Child silent(QStringLiteral(QS_TEST_SELECTION_OWNER), {"--silent", "UTF8_STRING=/dev/null"});
    ASSERT_TRUE(silent.waitForLine(QStringLiteral("owner")).has_value());

    // A show-history request forces capture checks against the silent owner; the call still returns
    // at once.
    QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), QStringLiteral("requester"));
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        QDBusMessage call = QDBusMessage::createMethodCall(
            "dev.corvinel.quillstack", "/dev/corvinel/quillstack", "dev.corvinel.quillstack", "ShowHistory");
        QDBusPendingCall pending = connection.asyncCall(call, 20000);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 20000));
        EXPECT_FALSE(pending.isError()) << qPrintable(pending.error().message());
        // Generous: the point is that the request is not held up by the owner's 1 s deadline each time.
        EXPECT_LT(timer.elapsed(), 5000);
        QTest::qWait(300);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("requester"));

    copyText("after the silent owner");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return storedTexts().value(0) == QStringLiteral("after the silent owner"); }, 15000))
        << qPrintable(storedTexts().join(u'|')) << qPrintable(log);
}

TEST_F(BinaryEndToEnd, ThePlainTextHotKeyPastesTheNewestRichItemAsPlainTextOnce) {
    // A rich copy: RTF with its plain text, offered together as an editor does.
    const QString plainPath = home.filePath(QStringLiteral("plain"));
    const QString rtfPath = home.filePath(QStringLiteral("rtf"));
    for (const auto& [path, bytes] :
         {std::pair{plainPath, QByteArray("bold and plain words")},
          std::pair{rtfPath, QByteArray("{\\rtf1\\ansi {\\b bold} and plain words}")}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    TestSession::Child owner(QStringLiteral(QS_TEST_SELECTION_OWNER),
                             {"UTF8_STRING=" + plainPath, "text/rtf=" + rtfPath});
    ASSERT_TRUE(owner.waitForLine(QStringLiteral("owner")).has_value());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return storedTexts().value(0) == QStringLiteral("bold and plain words"); }, 10000))
        << qPrintable(log);
    ASSERT_EQ(storedValues(QStringLiteral("typeRaw")).value(0), QStringLiteral("richText"));

    TestSession::Child window(QStringLiteral(QS_TEST_WINDOW), {"--class", "qs-e2e,QsPlainTextTarget"});
    const quint32 windowId = window.waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
    ASSERT_NE(windowId, 0u);
    ASSERT_TRUE(TestSession::waitForInputFocus(windowId));

    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {"key", "--clearmodifiers", "alt+shift+super+v"});
    ASSERT_TRUE(xdotool.waitForFinished(5000));

    EXPECT_EQ(window.waitForLine(QStringLiteral("text ")), QStringLiteral("bold and plain words"))
        << qPrintable(window.lines()) << qPrintable(log);
    EXPECT_FALSE(window.waitForLine(QStringLiteral("text "), 1500).has_value())
        << "pasted more than once: " << qPrintable(window.lines());
    // The clipboard now holds the text alone: the formatting was left behind.
    const QByteArray targets = clipboardContent(QStringLiteral("TARGETS"));
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.constData();
    EXPECT_FALSE(targets.contains("text/rtf")) << targets.constData();
    EXPECT_EQ(clipboardContent(QStringLiteral("UTF8_STRING")), "bold and plain words");
}

} // namespace
