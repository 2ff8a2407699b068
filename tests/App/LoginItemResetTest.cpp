#include <App/CaptureServices.h>
#include <App/LoginItemManager.h>
#include <App/ResetService.h>
#include <Capture/DefaultSettings.h>
#include <Capture/PasteService.h>
#include <Platform/Fakes/FakePasteboard.h>
#include <Platform/Fakes/FakeRelauncher.h>
#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/Fakes/FakeSyntheticKeyboard.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString readAll(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

TEST(LoginItemManagerTest, TheAutostartFileIsTheRegistration) {
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("autostart/quillstack.desktop"));
    App::LoginItemManager manager(file, QStringLiteral("/opt/Quill stack/bin/quillstack"));
    EXPECT_FALSE(manager.isEnabled());

    ASSERT_TRUE(manager.set(true));
    EXPECT_TRUE(manager.isEnabled());
    const QString entry = readAll(file);
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Quill stack/bin/quillstack\"\n")) << entry.toStdString();

    // Switched off in the desktop's own settings: the file stays, hidden.
    QFile hidden(file);
    ASSERT_TRUE(hidden.open(QIODevice::Append));
    hidden.write("Hidden=true\n");
    hidden.close();
    EXPECT_FALSE(manager.isEnabled());

    ASSERT_TRUE(manager.set(false));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(manager.set(false)) << "already off is no failure";
}

// At login the desktop runs the quillstack command, as from its menu, not whichever executable wrote
// the entry.
TEST(LoginItemManagerTest, TheEntryStartsTheQuillstackCommand) {
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("autostart/quillstack.desktop"));
    ASSERT_TRUE(App::LoginItemManager(file).set(true));
    const QString command = QDir::cleanPath(QStringLiteral(QS_TEST_BINARY_DIR "/bin/quillstack"));
    EXPECT_TRUE(readAll(file).contains(QStringLiteral("\nExec=\"%1\"\n").arg(command)))
        << readAll(file).toStdString();
}

TEST(LoginItemManagerTest, AFailedWriteIsReportedAndTheStateStaysTrue) {
    QTemporaryDir config;
    // The autostart folder's place is taken by a plain file.
    QFile blocker(config.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    App::LoginItemManager manager(config.filePath(QStringLiteral("autostart/quillstack.desktop")),
                                  QStringLiteral("/usr/bin/quillstack"));
    EXPECT_FALSE(manager.set(true));
    EXPECT_FALSE(manager.isEnabled());
}

TEST(LoginItemManagerTest, TheExecLineSurvivesSpecialCharacters) {
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("quillstack.desktop"));
    App::LoginItemManager manager(file, QStringLiteral("/tmp/a\"b$c%d\\e"));
    ASSERT_TRUE(manager.set(true));
    EXPECT_TRUE(readAll(file).contains(QStringLiteral("\nExec=\"/tmp/a\\\\\"b\\\\$c%%d\\\\\\\\e\"\n")))
        << readAll(file).toStdString();
}

// XDG_CONFIG_HOME pointed at a folder of the test's own while it lives.
class ConfigHome {
public:
    ConfigHome()
        : m_previous(qgetenv("XDG_CONFIG_HOME")), m_wasSet(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    ~ConfigHome() {
        if (m_wasSet)
            qputenv("XDG_CONFIG_HOME", m_previous);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_wasSet;
};

class ResetServiceTest : public ::testing::Test {
protected:
    ResetServiceTest() {
        App::registerDefaultSettings(defaults);
        HistoryStore::Options options;
        options.databasePath = root.filePath(QStringLiteral("history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        options.busyTimeoutMs = 100;
        store = HistoryStore::open(options);
    }

    App::ResetService makeService() {
        App::ResetService::Dependencies deps;
        deps.relauncher = &relauncher;
        deps.quit = [this] {
            journal << "quit";
        };
        deps.stopCapture = [this] {
            journal << QStringLiteral("stop capture with %1 items").arg(store->items().size());
        };
        deps.resumeCapture = [this] {
            journal << "resume capture";
        };
        deps.store = store.get();
        deps.defaults = &defaults;
        deps.registerDefaults = &App::registerDefaultSettings;
        deps.loginItem = &loginItem;
        return App::ResetService(std::move(deps));
    }

    void fill() {
        NewClipboardItem text;
        text.plainText = QStringLiteral("text");
        text.dedupeKey = QStringLiteral("txt:1");
        store->add(ClipboardItem::make(text));
        store->togglePin(store->items().first());
        store->addSnippet(QStringLiteral("title"), QStringLiteral("snippet"));
        ASSERT_TRUE(images.write(QStringLiteral("A.png"), QByteArray("png")));
        NewClipboardItem image;
        image.type = ItemType::image;
        image.imageFilename = QStringLiteral("A.png");
        image.dedupeKey = QStringLiteral("img:1");
        store->add(ClipboardItem::make(image));
        defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
        defaults.setValue(App::SettingsKeys::ignoredBundleIDs, QJsonArray{});
        defaults.setValue(QStringLiteral("launchAtLogin"), true);
        ASSERT_TRUE(loginItem.set(true));
    }

    QTemporaryDir root;
    ConfigHome config;
    // The user's autostart entry, as the running program finds it.
    App::LoginItemManager loginItem;
    ImageStore images{root.filePath(QStringLiteral("Images"))};
    Platform::UserDefaults defaults{root.filePath(QStringLiteral("settings.json"))};
    std::unique_ptr<HistoryStore> store;
    Platform::FakeRelauncher relauncher;
    QStringList journal;
};

TEST_F(ResetServiceTest, RelaunchQuitsOnlyWhenTheNewInstanceStarted) {
    App::ResetService service = makeService();
    relauncher.succeeds = false;
    EXPECT_FALSE(service.relaunch());
    EXPECT_TRUE(journal.isEmpty());
    relauncher.succeeds = true;
    EXPECT_TRUE(service.relaunch());
    EXPECT_EQ(journal, QStringList{"quit"});
}

TEST_F(ResetServiceTest, WipeStopsCaptureFirstThenErasesEverything) {
    fill();
    ASSERT_EQ(store->items().size(), 3);
    App::ResetService service = makeService();
    EXPECT_EQ(service.wipeAndRelaunch(), App::ResetService::WipeOutcome::Relaunched);
    EXPECT_EQ(journal, (QStringList{"stop capture with 3 items", "quit"}));
    EXPECT_TRUE(store->items().isEmpty()) << "pinned items and snippets go too";
    EXPECT_FALSE(QFileInfo::exists(images.directory()));
    EXPECT_TRUE(defaults.storedValues().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(config.filePath(QStringLiteral("autostart/quillstack.desktop"))))
        << "a fresh installation does not start at login";
    EXPECT_FALSE(loginItem.isEnabled());
    EXPECT_EQ(relauncher.relaunchCount, 1);
}

TEST_F(ResetServiceTest, AWipeWhoseRelaunchFailsGoesOnWithFreshDefaults) {
    fill();
    relauncher.succeeds = false;
    App::ResetService service = makeService();
    EXPECT_EQ(service.wipeAndRelaunch(), App::ResetService::WipeOutcome::RelaunchFailed);
    EXPECT_EQ(journal, (QStringList{"stop capture with 3 items", "resume capture"}));
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(defaults.stringList(App::SettingsKeys::ignoredBundleIDs), App::seedIgnoredBundleIDs())
        << "password managers are ignored again at once";
    EXPECT_FALSE(defaults.boolValue(App::SettingsKeys::hasCompletedOnboarding, false));
}

// Another program holds the history database, so its items cannot be deleted: nothing may restart
// as if the reset had worked.
TEST_F(ResetServiceTest, AnEraseThatCannotCompleteDoesNotRelaunch) {
    fill();
    App::ResetService service = makeService();
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(root.filePath(QStringLiteral("history.sqlite")));
        ASSERT_TRUE(locker.open());
        QSqlQuery(QStringLiteral("BEGIN IMMEDIATE"), locker);
        EXPECT_EQ(service.wipeAndRelaunch(), App::ResetService::WipeOutcome::EraseIncomplete);
        QSqlQuery(QStringLiteral("ROLLBACK"), locker);
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    EXPECT_EQ(relauncher.relaunchCount, 0);
    EXPECT_EQ(journal, (QStringList{"stop capture with 3 items", "resume capture"}));
    EXPECT_EQ(store->items().size(), 3) << "the history is shown as it is stored";
    EXPECT_TRUE(images.exists(QStringLiteral("A.png")));
    EXPECT_EQ(defaults.stringList(App::SettingsKeys::ignoredBundleIDs), App::seedIgnoredBundleIDs());
}

// Something else sits where the autostart file is: the erase reports it as incomplete, and the
// rest goes all the same.
TEST_F(ResetServiceTest, AnAutostartEntryThatCannotBeRemovedLeavesTheEraseIncomplete) {
    fill();
    const QString entry = config.filePath(QStringLiteral("autostart/quillstack.desktop"));
    ASSERT_TRUE(QFile::remove(entry));
    ASSERT_TRUE(QDir().mkpath(entry + QStringLiteral("/inside")));
    App::ResetService service = makeService();
    EXPECT_EQ(service.wipeAndRelaunch(), App::ResetService::WipeOutcome::EraseIncomplete);
    EXPECT_EQ(relauncher.relaunchCount, 0);
    EXPECT_EQ(journal, (QStringList{"stop capture with 3 items", "resume capture"}));
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(defaults.stringList(App::SettingsKeys::ignoredBundleIDs), App::seedIgnoredBundleIDs());
}

TEST_F(ResetServiceTest, ThePlainTextShortcutWritesTheNewestItemWithoutItsRichText) {
    Platform::FakePasteboard pasteboard;
    Platform::FakeSyntheticKeyboard keyboard;
    Platform::FakeScheduler scheduler;
    PasteService paste(pasteboard, keyboard, scheduler, defaults, images);
    App::NewestItemPasting pasting(*store, paste);
    EXPECT_FALSE(pasting.copyNewestAsPlainText()) << "an empty history pastes nothing";
    EXPECT_TRUE(pasteboard.writes().isEmpty());

    NewClipboardItem rich;
    rich.type = ItemType::richText;
    rich.plainText = QStringLiteral("styled words");
    rich.richData = QByteArray("{\\rtf1 styled words}");
    rich.dedupeKey = QStringLiteral("txt:rich");
    store->add(ClipboardItem::make(rich));
    ASSERT_TRUE(pasting.copyNewestAsPlainText());
    ASSERT_EQ(pasteboard.writes().size(), 1);
    EXPECT_EQ(pasteboard.writes().first().kind, Platform::FakePasteboard::Write::Kind::String);
    EXPECT_EQ(pasteboard.writes().first().text, "styled words");
    pasting.autoPasteIfEnabled();
    scheduler.advance(std::chrono::milliseconds(150));
    EXPECT_EQ(keyboard.pastesPosted, 1);
}

} // namespace
