// The settings window: made once and brought back by the tray menu's "Settings…", its fixed size,
// its title and tab titles in the in-app language, the tab cards' states and motions, and
// screenshots of every page in light and dark.
#include "LiveRestyle.h"
#include "SettingsFixture.h"

#include <App/AppDelegate.h>
#include <App/AppearanceManager.h>
#include <App/Shortcuts.h>
#include <Hotkeys/Hotkeys.h>
#include <Platform/Fakes/FakeSingleInstance.h>
#include <Platform/Fakes/FakeSystemTray.h>
#include <UI/Settings/ApplicationPicker.h>
#include <UI/Settings/PrivacySettingsTab.h>
#include <UI/Settings/SettingsTabButton.h>
#include <UI/Settings/SnippetsSettingsTab.h>

#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>

using UI::SettingsTab;
using UI::SettingsView;

namespace {

class SettingsWindow : public SettingsFixture {
protected:
    void hover(QWidget* widget, bool inside) {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
            QApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(widget, &leave);
        }
    }

    QPoint screenCentre() const { return controller->window()->screen()->availableGeometry().center(); }
    int offCentre() const {
        return (controller->window()->frameGeometry().center() - screenCentre()).manhattanLength();
    }
};

TEST_F(SettingsWindow, TheTrayMenuMakesTheWindowOnceAndBringsItBackCentredOnItsTab) {
    Platform::FakeSystemTray tray;
    Platform::FakeSingleInstance instance;
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    int made = 0;
    UI::SettingsWindowController* made1 = nullptr;
    App::AppServices shell;
    shell.defaults = &defaults;
    shell.scheduler = &scheduler;
    shell.instance = &instance;
    shell.tray = &tray;
    shell.quit = [] {
    };
    shell.makeSettingsWindow = [&]() -> std::unique_ptr<App::SettingsWindow> {
        ++made;
        auto window = std::make_unique<UI::SettingsWindowController>(services());
        made1 = window.get();
        return window;
    };
    App::AppDelegate delegate(shell);
    delegate.applicationDidFinishLaunching({QStringLiteral("quillstack")});
    EXPECT_EQ(made, 0) << "nothing is made before it is asked for";

    ASSERT_TRUE(tray.choose(QStringLiteral("Settings…")));
    ASSERT_EQ(made, 1);
    QWidget* window = made1->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->windowTitle(), "Quillstack Settings");
    EXPECT_LE(
        (window->frameGeometry().center() - window->screen()->availableGeometry().center()).manhattanLength(),
        10);
    made1->view()->selectTab(SettingsTab::Privacy);

    window->move(0, 0);
    window->close();
    EXPECT_FALSE(window->isVisible()) << "closing hides";
    ASSERT_TRUE(tray.choose(QStringLiteral("Settings…")));
    EXPECT_EQ(made, 1) << "the same window again";
    EXPECT_TRUE(window->isVisible());
    EXPECT_LE(
        (window->frameGeometry().center() - window->screen()->availableGeometry().center()).manhattanLength(),
        10)
        << "centred again after being moved";
    EXPECT_EQ(made1->view()->tab(), SettingsTab::Privacy) << "the tab chosen before";
    EXPECT_EQ(made1->view()->page()->objectName(), "page.privacy");

    // The history panel's warning about automatic pasting leads to the General page, where the
    // warning explains it: the same window, brought back on that page.
    window->close();
    delegate.openGeneralSettings();
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(made1->view()->tab(), SettingsTab::General);
    ASSERT_TRUE(QTest::qWaitFor([&] { return made1->view()->page()->objectName() == "page.general"; }, 2000));
}

TEST_F(SettingsWindow, FixedSizeAndClosedByCtrlWAndEscape) {
    open();
    QWidget* window = controller->window();
    EXPECT_EQ(window->size(), QSize(640, 540));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    EXPECT_LE(offCentre(), 10);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)}) {
        controller->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window, keys);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 1000))
            << keys.toString().toStdString();
    }
}

TEST_F(SettingsWindow, TheLanguageChangeRetitlesTheWindowTabsAndPageWhileOpen) {
    open(SettingsTab::Language);
    QStringList english;
    for (SettingsTab tab : SettingsView::tabs())
        english << controller->view()->tabButton(tab)->title();
    EXPECT_EQ(english,
              (QStringList{"General", "Shortcuts", "Snippets", "Appearance", "Privacy", "Language"}));

    find(QStringLiteral("language.pl"))->click();
    EXPECT_EQ(language.selection(), "pl");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return controller->window()->windowTitle() == QStringLiteral("Ustawienia Quillstack"); },
        2000));
    QStringList polish;
    for (SettingsTab tab : SettingsView::tabs())
        polish << controller->view()->tabButton(tab)->title();
    EXPECT_EQ(polish, (QStringList{"Ogólne", "Skróty", "Fragmenty", "Wygląd", "Prywatność", "Język"}));
    EXPECT_TRUE(controller->window()->isVisible()) << "no reopening needed";
    const auto* note = find<QLabel>(QStringLiteral("languageNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "Język interfejsu zmienia się od razu — bez ponownego uruchamiania.");

    controller->view()->selectTab(SettingsTab::General);
    finishMotion();
    EXPECT_NE(find<QAbstractButton>(QStringLiteral("autoPaste.paste"))->text(), "Paste automatically")
        << "a page built after the change speaks the new language too";
    find(QStringLiteral("tab.language"))->click();
    finishMotion();
    find(QStringLiteral("language.en"))->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return controller->window()->windowTitle() == QStringLiteral("Quillstack Settings"); }, 2000));
    EXPECT_EQ(controller->view()->tabButton(SettingsTab::Privacy)->title(), "Privacy");
}

TEST_F(SettingsWindow, ASelectedCardNeverShowsHoverAndAnUnselectedOneGrows) {
    open(SettingsTab::General);
    UI::SettingsTabButton* selected = controller->view()->tabButton(SettingsTab::General);
    UI::SettingsTabButton* other = controller->view()->tabButton(SettingsTab::Snippets);
    EXPECT_TRUE(selected->isSelected());
    EXPECT_FALSE(other->isSelected());

    hover(selected, true);
    hover(other, true);
    finishMotion();
    EXPECT_DOUBLE_EQ(selected->currentScale(), 1.0) << "the selected card does not grow";
    EXPECT_NEAR(other->currentScale(), 1.03, 1e-9);
    EXPECT_DOUBLE_EQ(other->hoverProgress(), 1.0);

    hover(other, false);
    finishMotion();
    EXPECT_DOUBLE_EQ(other->currentScale(), 1.0);
    EXPECT_DOUBLE_EQ(other->hoverProgress(), 0.0);
}

TEST_F(SettingsWindow, ReduceMotionSwitchesPagesAtOnceButHoverStillFades) {
    for (const bool reduce : {false, true}) {
        SCOPED_TRACE(reduce ? "Reduce Motion" : "motion");
        appearanceProvider.setReduceMotion(reduce);
        open(SettingsTab::General);
        const QWidget* before = controller->view()->page();
        const QRect area = before->geometry();
        find(QStringLiteral("tab.snippets"))->click();
        QWidget* after = controller->view()->page();
        EXPECT_NE(after, before);
        EXPECT_EQ(after->objectName(), "page.snippets");
        EXPECT_EQ(controller->view()->isSwitching(), !reduce);
        if (reduce)
            EXPECT_EQ(after->geometry(), area) << "in place at once";
        else
            EXPECT_GT(after->y(), area.y()) << "rising from the bottom edge";
        finishMotion();
        EXPECT_FALSE(controller->view()->isSwitching());

        UI::SettingsTabButton* card = controller->view()->tabButton(SettingsTab::Privacy);
        hover(card, true);
        EXPECT_LT(card->hoverProgress(), 1.0) << "the hover fades in either way";
        EXPECT_TRUE(QTest::qWaitFor([&] { return card->hoverProgress() == 1.0; }, 1000));
        hover(card, false);
        finishMotion();
    }
}

TEST_F(SettingsWindow, EachSwitchBuildsTheNewPageAfreshWhileClosingKeepsIt) {
    store->addSnippet(QStringLiteral("Signature"), QStringLiteral("Anna"));
    open(SettingsTab::Snippets);
    auto* title = find<QLineEdit>(QStringLiteral("snippetTitle"));
    title->setText(QStringLiteral("Signature, edited"));

    controller->window()->close();
    controller->show();
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("snippetTitle"))->text(), "Signature, edited")
        << "closing keeps the page as it was";

    controller->view()->selectTab(SettingsTab::General);
    controller->view()->selectTab(SettingsTab::Snippets);
    finishMotion();
    EXPECT_EQ(find<QLineEdit>(QStringLiteral("snippetTitle"))->text(), "Signature")
        << "unsaved edits are gone";
    EXPECT_EQ(store->snippets().first()->snippetTitle(), "Signature");
}

// Every page in light and dark, for a person to look at.
// Polish words are longer: after a live switch every text on every page still fits its label,
// the Language page's three-line card included.
TEST_F(SettingsWindow, EveryTextFitsOnEveryPageInPolish) {
    appearanceProvider.setReduceMotion(true);
    open(SettingsTab::Language);
    find(QStringLiteral("language.pl"))->click();
    finishMotion();
    // The page that made the switch: the desktop-language card holds its wrapped detail.
    const auto* systemCard = find<QWidget>(QStringLiteral("language.system"));
    for (const QLabel* label : systemCard->findChildren<QLabel*>()) {
        const QRect inCard(label->mapTo(systemCard, QPoint(0, 0)), label->size());
        EXPECT_TRUE(systemCard->rect().contains(inCard)) << label->text().toStdString();
    }
    EXPECT_EQ(LiveRestyle::clippedTexts(*controller->window()).join(u'\n').toStdString(), "") << "language";
    for (const SettingsTab tab : SettingsView::tabs()) {
        controller->view()->selectTab(tab);
        finishMotion();
        EXPECT_EQ(LiveRestyle::clippedTexts(*controller->window()).join(u'\n').toStdString(), "")
            << SettingsView::rawValue(tab).toStdString();
    }
}

TEST_F(SettingsWindow, Screenshots) {
    QTemporaryDir xdg;
    const QByteArray savedDirs = qgetenv("XDG_DATA_DIRS");
    const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_DIRS", xdg.path().toUtf8());
    qputenv("XDG_DATA_HOME", xdg.filePath(QStringLiteral("home")).toUtf8());
    const auto installApp = [&](const QString& id, const QString& name, QColor color) {
        QImage icon(64, 64, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(color);
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(4, 4, 56, 56), 14, 14);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(22, 22, 20, 20));
        painter.end();
        QDir().mkpath(xdg.filePath(QStringLiteral("applications")));
        const QString iconPath = xdg.filePath(id + QStringLiteral(".png"));
        icon.save(iconPath);
        QFile file(xdg.filePath(QStringLiteral("applications/") + id + QStringLiteral(".desktop")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nIcon=%2\nExec=true\n")
                       .arg(name, iconPath)
                       .toUtf8());
    };
    installApp(QStringLiteral("org.keepassxc.KeePassXC"), QStringLiteral("KeePassXC"), QColor(108, 170, 80));
    installApp(QStringLiteral("bitwarden"), QStringLiteral("Bitwarden"), QColor(23, 93, 220));
    defaults.setValue(App::SettingsKeys::ignoredBundleIDs,
                      QJsonArray{"bitwarden", "org.keepassxc.KeePassXC", "com.1password.1password"});
    store->addSnippet(QStringLiteral("Address"), QStringLiteral("ul. Długa 12/4\n00-238 Warszawa"));
    store->addSnippet(QStringLiteral("Meeting link"), QStringLiteral("https://meet.example.org/weekly-sync"));
    store->addSnippet(QStringLiteral("Signature"),
                      QStringLiteral("Kind regards,\nAnna Kowalska\nRelease engineering"));
    defaults.setValue(App::SettingsKeys::windowPosition, QStringLiteral("cursor"));
    // Automatic pasting unavailable and one shortcut held elsewhere, so the warnings show too.
    trusted = false;
    const Hotkeys::Shortcut held(Hotkeys::Key::v, Hotkeys::ModifierFlag::Option |
                                                      Hotkeys::ModifierFlag::Shift |
                                                      Hotkeys::ModifierFlag::Command);
    hotkeys->refused.insert(held);
    hotkeys->takenElsewhere.insert(held);
    Hotkeys::onKeyUp(App::libraryName(App::Shortcuts::pastePlainText), [] {});
    appearanceProvider.setReduceMotion(true);

    const QString directory = QStringLiteral(QS_TEST_BINARY_DIR "/screenshots");
    ASSERT_TRUE(QDir().mkpath(directory));
    // Light and dark in English, and light in Polish, whose longer words must fit too.
    struct Variant {
        bool dark;
        const char* language;
        const char* suffix;
    };
    for (const Variant variant :
         {Variant{false, "en", "light"}, Variant{true, "en", "dark"}, Variant{false, "pl", "light-pl"}}) {
        QApplication::setPalette(variant.dark ? App::AppearanceManager::darkPalette()
                                              : App::AppearanceManager::lightPalette());
        language.setSelection(QString::fromLatin1(variant.language));
        controller.reset();
        open(SettingsTab::General);
        for (SettingsTab tab : SettingsView::tabs()) {
            controller->view()->selectTab(tab);
            QTest::qWait(150);
            const QString path =
                QStringLiteral("%1/settings-%2-%3.png")
                    .arg(directory, SettingsView::rawValue(tab), QLatin1String(variant.suffix));
            EXPECT_TRUE(controller->window()->grab().save(path)) << path.toStdString();
        }
        // The windows the Privacy page opens: the application picker and a confirmation.
        controller->view()->selectTab(SettingsTab::Privacy);
        auto& privacy = page<UI::PrivacySettingsTab>();
        UI::ApplicationPicker* picker = privacy.openPicker();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(picker));
        QTest::qWait(150);
        EXPECT_TRUE(picker->grab().save(QStringLiteral("%1/settings-privacy-picker-%2.png")
                                            .arg(directory, QLatin1String(variant.suffix))));
        picker->reject();
        find(QStringLiteral("eraseAllData"))->click();
        QMessageBox* question = dialog();
        ASSERT_NE(question, nullptr);
        QTest::qWait(150);
        EXPECT_TRUE(question->grab().save(QStringLiteral("%1/settings-privacy-erase-%2.png")
                                              .arg(directory, QLatin1String(variant.suffix))));
        answer(QStringLiteral("cancel"));

        // A save refused while another program holds the history's write lock.
        controller->view()->selectTab(SettingsTab::Snippets);
        finishMotion();
        find<QLineEdit>(QStringLiteral("snippetTitle"))->setText(QStringLiteral("Signature (work)"));
        {
            QSqlDatabase lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("screenshot-lock"));
            lock.setDatabaseName(dir.filePath(QStringLiteral("data/history.sqlite")));
            lock.open();
            QSqlQuery(lock).exec(QStringLiteral("BEGIN IMMEDIATE"));
            page<UI::SnippetsSettingsTab>().save();
            QSqlQuery(lock).exec(QStringLiteral("ROLLBACK"));
            lock.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("screenshot-lock"));
        EXPECT_TRUE(page<UI::SnippetsSettingsTab>().showsSaveFailure());
        QTest::qWait(150);
        EXPECT_TRUE(controller->window()->grab().save(
            QStringLiteral("%1/settings-snippets-save-failed-%2.png").arg(directory, QLatin1String(variant.suffix))));
    }
    qputenv("XDG_DATA_DIRS", savedDirs);
    qputenv("XDG_DATA_HOME", savedHome);
}

} // namespace
