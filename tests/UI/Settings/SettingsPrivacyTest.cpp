// The Privacy page over the real settings file and history store, with desktop entries in private
// XDG data directories: the ignore list takes only new ids, removing leaves nothing selected, the
// two destructive actions ask first over the settings window, and an erase that cannot complete
// says so instead of restarting.
#include "SettingsFixture.h"

#include <UI/Settings/ApplicationPicker.h>
#include <UI/Settings/PrivacySettingsTab.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>

using UI::ApplicationPicker;
using UI::PrivacySettingsTab;
using UI::SettingsTab;

namespace {

class SettingsPrivacy : public SettingsFixture {
protected:
    SettingsPrivacy() {
        savedHome = qgetenv("XDG_DATA_HOME");
        savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_HOME", xdg.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS", xdg.filePath(QStringLiteral("system")).toUtf8());
        install(QStringLiteral("system/applications/org.example.Editor.desktop"), "Application", "Editor");
        install(QStringLiteral("system/applications/kde/org.example.Mail.desktop"), "Application", "Mail");
        install(QStringLiteral("system/applications/org.example.Helper.desktop"), "Application", "Helper",
                "NoDisplay=true\n");
        defaults.setValue(App::SettingsKeys::ignoredBundleIDs,
                          QJsonArray{"org.example.Editor", "com.gone.App"});
    }

    ~SettingsPrivacy() override {
        qputenv("XDG_DATA_HOME", savedHome);
        qputenv("XDG_DATA_DIRS", savedDirs);
    }

    QString install(const QString& relative, const char* type, const char* name, const char* extra = "") {
        const QString path = xdg.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[Desktop Entry]\nType=") + type + "\nName=" + name + "\nExec=true\n" + extra);
        return path;
    }

    PrivacySettingsTab& privacy() { return page<PrivacySettingsTab>(); }
    QListWidget* list() { return find<QListWidget>(QStringLiteral("ignoredApplications")); }

    QStringList rows() {
        QStringList shown;
        for (int row = 0; row < list()->count(); ++row)
            shown << list()->item(row)->text() + u'|' +
                         list()->item(row)->data(UI::ApplicationRowDelegate::kDesktopIdRole).toString();
        return shown;
    }

    QByteArray settingsFile() const {
        QFile file(defaults.filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ApplicationPicker* openPicker() {
        find(QStringLiteral("addApplication"))->click();
        ApplicationPicker* picker = nullptr;
        for (ApplicationPicker* open : controller->window()->findChildren<ApplicationPicker*>()) {
            if (open->isVisible())
                picker = open;
        }
        EXPECT_NE(picker, nullptr);
        if (picker) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(picker));
        }
        return picker;
    }

    void pickInstalled(ApplicationPicker& picker, const QString& id) {
        picker.searchField()->setText(id);
        ASSERT_EQ(picker.visibleCount(), 1);
        const QModelIndex row = picker.list()->model()->index(0, 0);
        picker.list()->setCurrentIndex(row);
        picker.findChild<QAbstractButton*>(QStringLiteral("add"))->click();
    }

    QTemporaryDir xdg;
    QByteArray savedHome;
    QByteArray savedDirs;
};

TEST_F(SettingsPrivacy, IgnoredApplicationsShowNameAndIdEvenWhenGone) {
    open(SettingsTab::Privacy);
    EXPECT_EQ(rows(), (QStringList{"Editor|org.example.Editor", "com.gone.App|com.gone.App"}));
    EXPECT_FALSE(find(QStringLiteral("removeApplication"))->isEnabled()) << "nothing selected";
}

TEST_F(SettingsPrivacy, ThePickerOffersInstalledApplicationsSearchableByNameAndId) {
    open(SettingsTab::Privacy);
    ApplicationPicker* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->windowModality(), Qt::WindowModal);
    EXPECT_EQ(picker->parentWidget(), controller->window()) << "over the settings window";
    EXPECT_EQ(picker->visibleCount(), 2) << "entries hidden from menus are not offered";
    picker->searchField()->setText(QStringLiteral("mail"));
    EXPECT_EQ(picker->visibleCount(), 1);
    picker->searchField()->setText(QStringLiteral("kde-org"));
    EXPECT_EQ(picker->visibleCount(), 1) << "the id is searched too";

    pickInstalled(*picker, QStringLiteral("kde-org.example.Mail"));
    EXPECT_EQ(privacy().ignoredApplications(),
              (QStringList{"org.example.Editor", "com.gone.App", "kde-org.example.Mail"}))
        << "added at the end, with the id capture records";
    EXPECT_EQ(defaults.stringList(App::SettingsKeys::ignoredBundleIDs), privacy().ignoredApplications());
    EXPECT_EQ(rows().last(), "Mail|kde-org.example.Mail");
}

TEST_F(SettingsPrivacy, ADesktopFileElsewhereIsAddedByItsFileName) {
    const QString portable =
        install(QStringLiteral("Downloads/com.example.Portable.desktop"), "Application", "Portable");
    open(SettingsTab::Privacy);
    ApplicationPicker* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    picker->chooseFile(portable);
    EXPECT_EQ(defaults.stringList(App::SettingsKeys::ignoredBundleIDs)->last(), "com.example.Portable");
}

TEST_F(SettingsPrivacy, ADuplicateOrAnEntryWithoutIdLeavesListAndKeyUnchanged) {
    const QString link = install(QStringLiteral("Downloads/site.desktop"), "Link", "A web page");
    const QString nameless = install(QStringLiteral("Downloads/.desktop"), "Application", "Nameless");
    const QString notDesktop = install(QStringLiteral("Downloads/tool.txt"), "Application", "Tool");
    struct Case {
        const char* name;
        std::function<void(ApplicationPicker&)> choose;
    };
    const Case cases[] = {
        {"an installed application already listed",
         [&](ApplicationPicker& picker) {
             pickInstalled(picker, QStringLiteral("org.example.Editor"));
         }},
        {"the listed application's own desktop file",
         [&](ApplicationPicker& picker) {
             picker.chooseFile(
                 xdg.filePath(QStringLiteral("system/applications/org.example.Editor.desktop")));
         }},
        {"a desktop entry that is no application",
         [&](ApplicationPicker& picker) {
             picker.chooseFile(link);
         }},
        {"a desktop file without a name",
         [&](ApplicationPicker& picker) {
             picker.chooseFile(nameless);
         }},
        {"a file that is no desktop file",
         [&](ApplicationPicker& picker) {
             picker.chooseFile(notDesktop);
         }},
        {"a file that is not there",
         [&](ApplicationPicker& picker) {
             picker.chooseFile(xdg.filePath(QStringLiteral("missing.desktop")));
         }},
    };
    open(SettingsTab::Privacy);
    const QStringList before = rows();
    const QByteArray fileBefore = settingsFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<ApplicationPicker> picker = openPicker();
        ASSERT_NE(picker, nullptr);
        c.choose(*picker);
        QTest::qWait(20);
        EXPECT_TRUE(!picker || !picker->isVisible()) << "the dialog ends";
        EXPECT_EQ(rows(), before);
        EXPECT_EQ(settingsFile(), fileBefore);
    }
}

TEST_F(SettingsPrivacy, RemovingTakesTheSelectedApplicationAndLeavesNothingSelected) {
    open(SettingsTab::Privacy);
    list()->setCurrentRow(0);
    EXPECT_TRUE(find(QStringLiteral("removeApplication"))->isEnabled());
    find(QStringLiteral("removeApplication"))->click();
    EXPECT_EQ(rows(), QStringList{"com.gone.App|com.gone.App"});
    EXPECT_EQ(list()->currentItem(), nullptr);
    EXPECT_FALSE(find(QStringLiteral("removeApplication"))->isEnabled());
    EXPECT_EQ(defaults.stringList(App::SettingsKeys::ignoredBundleIDs), QStringList{"com.gone.App"});
}

TEST_F(SettingsPrivacy, TurningConcealedContentOffStoresFalseAtOnce) {
    open(SettingsTab::Privacy);
    auto* toggle = find(QStringLiteral("ignoreConcealed"));
    EXPECT_TRUE(toggle->isChecked()) << "on by default";
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(defaults.hasStoredValue(App::SettingsKeys::ignoreConcealed));
    EXPECT_FALSE(defaults.boolValue(App::SettingsKeys::ignoreConcealed, true));
    EXPECT_FALSE(
        Platform::UserDefaults(defaults.filePath()).boolValue(App::SettingsKeys::ignoreConcealed, true))
        << "in the file";
}

class SettingsDestructive : public SettingsFixture {
protected:
    void fill() {
        NewClipboardItem text;
        text.plainText = QStringLiteral("pinned");
        text.dedupeKey = QStringLiteral("txt:pinned");
        store->add(ClipboardItem::make(text));
        store->togglePin(store->items().first());
        text.plainText = QStringLiteral("plain");
        text.dedupeKey = QStringLiteral("txt:plain");
        store->add(ClipboardItem::make(text));
        store->addSnippet(QStringLiteral("Signature"), QStringLiteral("Anna"));
        defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    }

    QStringList texts() const {
        QStringList all;
        for (const ClipboardItemPtr& item : store->items())
            all << item->plainText().value_or(QString());
        return all;
    }
};

TEST_F(SettingsDestructive, ClearingAsksOverTheWindowAndKeepsOnlySnippets) {
    fill();
    open(SettingsTab::Privacy);
    find(QStringLiteral("clearHistory"))->click();
    QMessageBox* question = dialog();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text(), "Clear entire history?");
    EXPECT_EQ(question->windowModality(), Qt::WindowModal);
    EXPECT_EQ(question->parentWidget(), controller->window()) << "stays in front of the settings window";
    answer(QStringLiteral("cancel"));
    EXPECT_EQ(texts().size(), 3) << "cancelled: nothing changes";

    find(QStringLiteral("clearHistory"))->click();
    answer(QStringLiteral("confirm"));
    EXPECT_EQ(texts(), QStringList{"Anna"}) << "pinned items go too, snippets stay";
}

TEST_F(SettingsDestructive, ErasingRestartsOnlyAfterEverythingIsGone) {
    fill();
    open(SettingsTab::Privacy);
    find(QStringLiteral("eraseAllData"))->click();
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->text(), "Reset Quillstack?");
    answer(QStringLiteral("cancel"));
    EXPECT_EQ(relauncher.relaunchCount, 0);
    EXPECT_EQ(texts().size(), 3);

    find(QStringLiteral("eraseAllData"))->click();
    answer(QStringLiteral("confirm"));
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_FALSE(defaults.hasStoredValue(App::SettingsKeys::hasCompletedOnboarding));
    EXPECT_EQ(relauncher.relaunchCount, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(dialog(), nullptr) << "nothing to report";
}

TEST_F(SettingsDestructive, AnEraseThatCannotCompleteSaysSoAndDoesNotRestart) {
    fill();
    open(SettingsTab::Privacy);
    {
        // Another program holds the history database.
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(dir.filePath(QStringLiteral("data/history.sqlite")));
        ASSERT_TRUE(locker.open());
        QSqlQuery(QStringLiteral("BEGIN IMMEDIATE"), locker);
        find(QStringLiteral("eraseAllData"))->click();
        answer(QStringLiteral("confirm"));
        QSqlQuery(QStringLiteral("ROLLBACK"), locker);
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    EXPECT_EQ(relauncher.relaunchCount, 0);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(texts().size(), 3) << "the history is still there";
    QMessageBox* report = dialog();
    ASSERT_NE(report, nullptr) << "the failure is told";
    EXPECT_EQ(report->text(), "Not everything could be erased");
    EXPECT_EQ(report->parentWidget(), controller->window());
    answer(QStringLiteral("ok"));
    EXPECT_EQ(dialog(), nullptr);
}

TEST_F(SettingsDestructive, AnEraseWhoseRestartFailsSaysSo) {
    fill();
    relauncher.succeeds = false;
    open(SettingsTab::Privacy);
    find(QStringLiteral("eraseAllData"))->click();
    answer(QStringLiteral("confirm"));
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(quits, 0);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->text(), "Quillstack could not restart");
    EXPECT_EQ(page<PrivacySettingsTab>().ignoredApplications(), App::seedIgnoredBundleIDs())
        << "the page shows the settings this instance goes on with";
}

} // namespace
