// The real quillstack binary under the test session: a clipboard owner that takes the selection
// and never answers must not freeze it.
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

    // The texts of the stored items, newest first, read from the SQLite file.
    QStringList storedTexts() {
        QStringList texts;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            db.setDatabaseName(home.filePath("data/Quillstack/history.sqlite"));
            if (db.open()) {
                QSqlQuery query(QStringLiteral("SELECT plainText FROM ClipboardItem ORDER BY createdAt DESC"),
                                db);
                while (query.next())
                    texts << query.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        return texts;
    }

    void copyText(const QByteArray& text) {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "UTF8_STRING"});
        xclip.write(text);
        xclip.closeWriteChannel();
        ASSERT_TRUE(xclip.waitForFinished(5000));
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

} // namespace
