// The real quillstack binary under the test session: a clipboard owner that takes the selection
// and never answers must not freeze it, the plain-text hot key pastes the newest item into the
// window in front without its formatting, and a fresh configuration ignores a password manager.
#include "RunningQuillstack.h"
#include "TestSession.h"

#include <QBuffer>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

// The desktop's notification service, played on the binary's session bus: records what it is told.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList bodies;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        bodies << summary + QStringLiteral(": ") + body;
        return uint(bodies.size());
    }
};

class BinaryEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        // No onboarding window: the first run is behind this user.
        ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true})")) << qPrintable(quillstack.log());
    }

    // What the clipboard offers for `target` right now.
    static QByteArray clipboardContent(const QString& target) {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-o", "-t", target});
        if (!xclip.waitForFinished(5000))
            return {};
        return xclip.readAllStandardOutput();
    }

    RunningQuillstack quillstack;
};

TEST_F(BinaryEndToEnd, ASilentClipboardOwnerDoesNotFreezeTheApplication) {
    ASSERT_TRUE(RunningQuillstack::copyText("before the silent owner"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return quillstack.storedTexts() == QStringList{"before the silent owner"}; }, 10000))
        << qPrintable(quillstack.log());

    TestSession::Child silent(QStringLiteral(QS_TEST_SELECTION_OWNER), {"--silent", "UTF8_STRING=/dev/null"});
    ASSERT_TRUE(silent.waitForLine(QStringLiteral("owner")).has_value());

    // A show-history request forces capture checks against the silent owner; the call still returns
    // at once.
    QDBusConnection connection =
        QDBusConnection::connectToBus(quillstack.bus().address(), QStringLiteral("requester"));
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

    ASSERT_TRUE(RunningQuillstack::copyText("after the silent owner"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return quillstack.storedTexts().value(0) == QStringLiteral("after the silent owner"); }, 15000))
        << qPrintable(quillstack.storedTexts().join(u'|')) << qPrintable(quillstack.log());
}

TEST_F(BinaryEndToEnd, ThePlainTextHotKeyPastesTheNewestRichItemAsPlainTextOnce) {
    // A rich copy: RTF with its plain text, offered together as an editor does.
    const QString plainPath = quillstack.homePath(QStringLiteral("plain"));
    const QString rtfPath = quillstack.homePath(QStringLiteral("rtf"));
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
        [&] { return quillstack.storedTexts().value(0) == QStringLiteral("bold and plain words"); }, 10000))
        << qPrintable(quillstack.log());
    ASSERT_EQ(quillstack.storedValues(QStringLiteral("typeRaw")).value(0), QStringLiteral("richText"));

    TestSession::Child window(QStringLiteral(QS_TEST_WINDOW), {"--class", "qs-e2e,QsPlainTextTarget"});
    const quint32 windowId = window.waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
    ASSERT_NE(windowId, 0u);
    ASSERT_TRUE(TestSession::waitForInputFocus(windowId));

    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {"key", "--clearmodifiers", "alt+shift+super+v"});
    ASSERT_TRUE(xdotool.waitForFinished(5000));

    EXPECT_EQ(window.waitForLine(QStringLiteral("text ")), QStringLiteral("bold and plain words"))
        << qPrintable(window.lines()) << qPrintable(quillstack.log());
    EXPECT_FALSE(window.waitForLine(QStringLiteral("text "), 1500).has_value())
        << "pasted more than once: " << qPrintable(window.lines());
    // The clipboard now holds the text alone: the formatting was left behind.
    const QByteArray targets = clipboardContent(QStringLiteral("TARGETS"));
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.constData();
    EXPECT_FALSE(targets.contains("text/rtf")) << targets.constData();
    EXPECT_EQ(clipboardContent(QStringLiteral("UTF8_STRING")), "bold and plain words");
}

TEST_F(BinaryEndToEnd, SIGTERMEndsTheProgramAsQuitDoes) {
    ASSERT_TRUE(RunningQuillstack::copyText("kept safe"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return quillstack.storedTexts() == QStringList{"kept safe"}; }, 10000))
        << qPrintable(quillstack.log());
    const QString wal = quillstack.homePath(QStringLiteral("data/Quillstack/history.sqlite-wal"));
    ASSERT_TRUE(QFile::exists(wal)) << "the history is open";

    quillstack.process().terminate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return quillstack.process().state() == QProcess::NotRunning; }, 10000));
    // Not killed by the signal: the event loop ended and everything was closed in order, down to
    // the history, whose write-ahead log SQLite folds in and removes as the last connection goes.
    EXPECT_EQ(quillstack.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quillstack.process().exitCode(), 0);
    EXPECT_FALSE(QFile::exists(wal));
    EXPECT_EQ(quillstack.storedTexts(), QStringList{"kept safe"});
}

// A window that plays an application, in front with the keyboard focus.
std::unique_ptr<TestSession::Child> openWindow(const QString& wmClass) {
    auto window =
        std::make_unique<TestSession::Child>(QStringLiteral(QS_TEST_WINDOW), QStringList{"--class", wmClass});
    const quint32 id = window->waitForLine(QStringLiteral("window ")).value_or(QString()).toUInt();
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(TestSession::waitForInputFocus(id));
    return window;
}

TEST(BinaryEndToEndFirstRun, ACopyInKeePassXCIsNotStored) {
    // KeePassXC installed as Debian installs it: its desktop file names the window class it has.
    QTemporaryDir dataDirs;
    ASSERT_TRUE(QDir(dataDirs.path()).mkpath(QStringLiteral("applications")));
    QFile desktopFile(dataDirs.filePath(QStringLiteral("applications/org.keepassxc.KeePassXC.desktop")));
    ASSERT_TRUE(desktopFile.open(QIODevice::WriteOnly));
    desktopFile.write("[Desktop Entry]\nType=Application\nName=KeePassXC\nExec=keepassxc %f\n"
                      "StartupWMClass=keepassxc\n");
    desktopFile.close();

    RunningQuillstack quillstack;
    quillstack.setEnvironment(QStringLiteral("XDG_DATA_DIRS"), dataDirs.path());
    // No settings but the finished onboarding, whose window would otherwise keep the focus: the
    // ignore list is seeded as on a first run.
    ASSERT_TRUE(quillstack.start(R"({"hasCompletedOnboarding": true})")) << qPrintable(quillstack.log());

    auto editor = openWindow(QStringLiteral("qs-e2e,QsOrdinaryEditor"));
    ASSERT_TRUE(RunningQuillstack::copyText("an ordinary copy"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return quillstack.storedTexts() == QStringList{"an ordinary copy"}; }, 10000))
        << qPrintable(quillstack.log());

    auto vault = openWindow(QStringLiteral("keepassxc,KeePassXC"));
    ASSERT_TRUE(RunningQuillstack::copyText("the vault's password"));
    // The application in front is read when the change arrives, a moment after the copy; a user does
    // not close the window within that moment. Nothing is written for an ignored copy, so the test
    // gives it that moment before the window goes.
    QTest::qWait(1000);
    vault.reset();
    // Capture keeps the order of the copies: once the next copy is stored, the one before has been
    // decided on.
    auto another = openWindow(QStringLiteral("qs-e2e,QsOtherEditor"));
    ASSERT_TRUE(RunningQuillstack::copyText("after the vault"));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return quillstack.storedTexts().value(0) == "after the vault"; }, 10000))
        << qPrintable(quillstack.log());
    EXPECT_EQ(quillstack.storedTexts(), (QStringList{"after the vault", "an ordinary copy"}));
}

TEST_F(BinaryEndToEnd, ADamagedPictureIsNotPastedAndTheUserIsTold) {
    QDBusConnection bus =
        QDBusConnection::connectToBus(quillstack.bus().address(), QStringLiteral("desktop"));
    NotificationService notifications;
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                                   QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QString pngPath = quillstack.homePath(QStringLiteral("picture.png"));
    QFile pngFile(pngPath);
    ASSERT_TRUE(pngFile.open(QIODevice::WriteOnly));
    pngFile.write(png);
    pngFile.close();
    TestSession::Child owner(QStringLiteral(QS_TEST_SELECTION_OWNER), {"image/png=" + pngPath});
    ASSERT_TRUE(owner.waitForLine(QStringLiteral("owner")).has_value());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !quillstack.storedValues(QStringLiteral("imageFilename")).value(0).isEmpty(); }, 10000))
        << qPrintable(quillstack.log());

    // The stored file loses its second half.
    QFile stored(quillstack.homePath(QStringLiteral("data/Quillstack/Images/")) +
                 quillstack.storedValues(QStringLiteral("imageFilename")).value(0));
    ASSERT_TRUE(stored.open(QIODevice::ReadWrite));
    ASSERT_TRUE(stored.resize(stored.size() / 2));
    stored.close();

    auto window = openWindow(QStringLiteral("qs-e2e,QsPictureTarget"));
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {"key", "--clearmodifiers", "alt+shift+super+v"});
    ASSERT_TRUE(xdotool.waitForFinished(5000));

    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.bodies.isEmpty(); }, 5000))
        << qPrintable(quillstack.log());
    EXPECT_TRUE(notifications.bodies.value(0).contains(QStringLiteral("missing or damaged")))
        << qPrintable(notifications.bodies.join(u'|'));
    // The clipboard still holds the picture as it was copied.
    QTest::qWait(300);
    EXPECT_EQ(clipboardContent(QStringLiteral("image/png")), png);
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
}

} // namespace

#include "BinaryEndToEndTest.moc"
