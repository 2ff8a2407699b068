#include "ShellFakes.h"

#include <App/AppDelegate.h>
#include <Capture/DefaultSettings.h>
#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/Fakes/FakeSingleInstance.h>
#include <Platform/Fakes/FakeSystemTray.h>
#include <Platform/UserDefaults.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegateTest() {
        QObject::connect(&defaults, &Platform::UserDefaults::valueChanged,
                         [this](const QString& key) { journal.add(QStringLiteral("defaults.set ") + key); });
        instance.onCall = [this](const QString& call) {
            journal.add(QStringLiteral("instance.") + call);
        };
        tray.onCall = [this](const QString& call) {
            journal.add(call);
        };
    }

    App::AppDelegate& makeDelegate() {
        App::AppServices services;
        services.defaults = &defaults;
        services.scheduler = &scheduler;
        services.instance = &instance;
        services.tray = &tray;
        services.applyAppearance = [this] {
            journal.add(QStringLiteral("appearance.apply"));
        };
        services.makeMonitor = [this] {
            journal.add(QStringLiteral("monitor.create"));
            auto monitor = std::make_unique<FakeMonitor>(journal);
            monitorPtr = monitor.get();
            return monitor;
        };
        services.makePanelController = [this] {
            journal.add(QStringLiteral("panel.create"));
            auto panelController = std::make_unique<FakePanel>(journal);
            panel = panelController.get();
            return panelController;
        };
        services.hotkeys = &hotkeys;
        services.plainTextPasting = &pasting;
        services.makeSettingsWindow = [this] {
            journal.add(QStringLiteral("settings.create"));
            return std::make_unique<FakeSettingsWindow>(journal);
        };
        services.makeOnboardingWindow = [this](std::function<void()> onFinish) {
            journal.add(QStringLiteral("onboarding.create"));
            auto window = std::make_unique<FakeOnboardingWindow>(journal, std::move(onFinish));
            onboarding = window.get();
            return window;
        };
        services.quit = [this] {
            journal.add(QStringLiteral("quit"));
        };
        services.clearHistory = [this] {
            journal.add(QStringLiteral("clearHistory"));
        };
        delegate = std::make_unique<App::AppDelegate>(std::move(services));
        return *delegate;
    }

    // Launches and lets the event loop take its first turn, where the panel is prepared.
    void launch(const QStringList& arguments = {QStringLiteral("quillstack")}) {
        makeDelegate().applicationDidFinishLaunching(arguments);
        scheduler.advance(0ms);
    }

    Journal journal;
    Platform::UserDefaults defaults;
    Platform::FakeScheduler scheduler;
    Platform::FakeSingleInstance instance;
    Platform::FakeSystemTray tray;
    FakeHotkeys hotkeys{journal};
    FakePlainTextPasting pasting{journal};
    FakeMonitor* monitorPtr = nullptr;
    FakePanel* panel = nullptr;
    FakeOnboardingWindow* onboarding = nullptr;
    std::unique_ptr<App::AppDelegate> delegate;
};

const QUrl showUrl(QStringLiteral("quillstack://show"));

TEST_F(AppDelegateTest, LaunchRunsEveryStepInOrder) {
    makeDelegate();
    EXPECT_EQ(journal.take(), QStringList{"panel.create"});
    delegate->openUrls({showUrl});
    EXPECT_EQ(delegate->pendingUrls().size(), 1);
    EXPECT_TRUE(journal.take().isEmpty()) << "a URL before launch is only kept";

    delegate->applicationDidFinishLaunching({"quillstack", "--show-history"});
    EXPECT_EQ(journal.take(), (QStringList{
                                  "defaults.set ignoredBundleIDs",
                                  "appearance.apply",
                                  "instance.observeOpenUrls",
                                  "monitor.create",
                                  "monitor.start",
                                  "instance.observeShowHistory",
                                  "instance.observeCommands",
                                  "tray.show",
                                  "tray.setMenuBuilder",
                                  "hotkeys.onKeyUp showHistory",
                                  "hotkeys.onKeyUp pastePlainText",
                                  "monitor.check(force)", // --show-history
                                  "monitor.check(force)", // the pending URL
                                  "onboarding.create",
                                  "onboarding.show",
                              }));
    EXPECT_TRUE(delegate->pendingUrls().isEmpty());

    // Once the event loop runs, the panel is built ahead of its first showing.
    EXPECT_EQ(scheduler.pendingDelays(),
              (std::vector<std::chrono::milliseconds>{0ms, 50ms, 50ms, 250ms, 250ms}));
    scheduler.advance(0ms);
    EXPECT_EQ(journal.take(), QStringList{"panel.prepare"});

    // The onboarding opened during launch; the panel follows 0.05 s later, once per request.
    scheduler.advance(49ms);
    EXPECT_TRUE(journal.take().isEmpty());
    scheduler.advance(1ms);
    EXPECT_EQ(journal.take(),
              (QStringList{"monitor.check(force)", "panel.show", "monitor.check(force)", "panel.show"}));
    scheduler.advance(200ms);
    EXPECT_EQ(journal.take(), (QStringList{"monitor.check(force)", "monitor.check(force)"}));
    scheduler.advance(10s);
    EXPECT_TRUE(journal.take().isEmpty());
}

TEST_F(AppDelegateTest, StatusIconAndShortcutDefaults) {
    launch();
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.symbol, "doc.on.clipboard");
    EXPECT_EQ(tray.description, "Quillstack");
    EXPECT_EQ(hotkeys.names["showHistory"].defaultKeyCode, 9u);
    EXPECT_EQ(hotkeys.names["showHistory"].defaultModifiers, 0x120000u);
    EXPECT_EQ(hotkeys.names["pastePlainText"].defaultModifiers, 0x1A0000u);
}

TEST_F(AppDelegateTest, ExternalRequestChecksAtZeroFiftyAndTwoHundredFiftyMilliseconds) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();

    ASSERT_TRUE(instance.deliverShowHistory());
    EXPECT_EQ(journal.take(), QStringList{"monitor.check(force)"});
    EXPECT_EQ(scheduler.pendingDelays(), (std::vector<std::chrono::milliseconds>{50ms, 250ms}));
    scheduler.advance(50ms);
    EXPECT_EQ(journal.take(), (QStringList{"monitor.check(force)", "panel.show"}));
    scheduler.advance(200ms);
    EXPECT_EQ(journal.take(), QStringList{"monitor.check(force)"});

    // The presentation shows, never toggles: a second request leaves the panel visible.
    ASSERT_TRUE(instance.deliverShowHistory());
    scheduler.advance(1s);
    EXPECT_TRUE(panel->isPanelVisible());
}

TEST_F(AppDelegateTest, DelayedStepsDoNothingOnceTheDelegateIsGone) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    ASSERT_TRUE(instance.deliverShowHistory());
    journal.take();
    delegate.reset();
    scheduler.advance(1s);
    EXPECT_TRUE(journal.take().isEmpty());
    ASSERT_TRUE(instance.deliverShowHistory());
    EXPECT_TRUE(journal.take().isEmpty());
}

TEST_F(AppDelegateTest, UrlsAfterLaunchAreHandledAtOnceAndForeignOnesIgnored) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();
    ASSERT_TRUE(instance.deliverUrls({QUrl("https://example.com/show"), QUrl("quillstack:"),
                                      QUrl("QUILLSTACK://anything"), QUrl("mailto:a@b.c")}));
    EXPECT_EQ(journal.take(), (QStringList{"monitor.check(force)", "monitor.check(force)"}));
    EXPECT_TRUE(delegate->pendingUrls().isEmpty());
}

TEST_F(AppDelegateTest, ShowHistoryShortcutTogglesThePanel) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();
    hotkeys.release("showHistory");
    hotkeys.release("showHistory");
    hotkeys.release("showHistory");
    EXPECT_EQ(journal.take(), (QStringList{"panel.show", "panel.hide", "panel.show"}));
    EXPECT_TRUE(scheduler.pendingDelays().empty()) << "the shortcut forces no capture checks";
}

TEST_F(AppDelegateTest, PlainTextShortcutPastesOnlyWhenThereIsAnItem) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();
    hotkeys.release("pastePlainText");
    EXPECT_EQ(journal.take(), (QStringList{"paste.copyNewestAsPlainText", "paste.autoPasteIfEnabled"}));
    pasting.hasItems = false;
    hotkeys.release("pastePlainText");
    EXPECT_EQ(journal.take(), QStringList{"paste.copyNewestAsPlainText"});
    EXPECT_FALSE(panel->isPanelVisible());
}

TEST_F(AppDelegateTest, OnboardingFinishStoresTheFlagAndIsNotShownAgain) {
    launch();
    ASSERT_NE(onboarding, nullptr);
    EXPECT_TRUE(delegate->isOnboardingShown());
    EXPECT_FALSE(defaults.hasStoredValue(App::SettingsKeys::hasCompletedOnboarding));
    journal.take();

    onboarding->onFinish();
    EXPECT_EQ(journal.take(), (QStringList{"defaults.set hasCompletedOnboarding", "onboarding.close"}));
    EXPECT_TRUE(defaults.boolValue(App::SettingsKeys::hasCompletedOnboarding));
    scheduler.advance(0ms);
    EXPECT_EQ(journal.take(), QStringList{"onboarding.destroyed"});
    EXPECT_FALSE(delegate->isOnboardingShown());

    // The next launch does not open it.
    onboarding = nullptr;
    delegate.reset();
    launch();
    EXPECT_EQ(onboarding, nullptr);
}

TEST_F(AppDelegateTest, SettingsWindowIsCreatedOnceAndShownEveryTime) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();
    delegate->openSettings();
    delegate->openSettings();
    EXPECT_EQ(journal.take(), (QStringList{"settings.create", "settings.show", "settings.show"}));
}

TEST_F(AppDelegateTest, StatusMenuFollowsPauseStateAndRunsItsActions) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();

    QStringList titles;
    for (const Platform::MenuEntry& entry : tray.openMenu())
        titles.append(entry.isSeparator() ? QStringLiteral("-") : entry.title);
    EXPECT_EQ(titles, (QStringList{"Show History", "Pause Monitoring", "-", "Clear History", "-", "Settings…",
                                   "Quit Quillstack"}));

    ASSERT_TRUE(tray.choose("Pause Monitoring"));
    EXPECT_TRUE(monitorPtr->isPaused());
    EXPECT_EQ(tray.symbol, "doc.on.clipboard.fill");
    EXPECT_TRUE(tray.dimmed);
    ASSERT_TRUE(tray.choose("Resume Monitoring"));
    EXPECT_FALSE(monitorPtr->isPaused());
    EXPECT_EQ(tray.symbol, "doc.on.clipboard");
    EXPECT_FALSE(tray.dimmed);

    ASSERT_TRUE(tray.choose("Show History"));
    ASSERT_TRUE(tray.choose("Clear History"));
    ASSERT_TRUE(tray.choose("Settings…"));
    ASSERT_TRUE(tray.choose("Quit Quillstack"));
    EXPECT_EQ(journal.take(),
              (QStringList{"panel.show", "clearHistory", "settings.create", "settings.show", "quit"}));

    const Platform::MenuModel menu = tray.openMenu();
    EXPECT_EQ(menu.at(5).shortcut, "Ctrl+,");
    EXPECT_EQ(menu.at(6).shortcut, "Ctrl+Q");
}

// A desktop without a tray reaches the status menu's entries through other launches.
TEST_F(AppDelegateTest, CommandsFromOtherLaunchesRunTheStatusMenusActions) {
    defaults.setValue(App::SettingsKeys::hasCompletedOnboarding, true);
    launch();
    journal.take();
    using Platform::InstanceCommand;
    ASSERT_TRUE(instance.deliverCommand(InstanceCommand::ToggleMonitoring));
    EXPECT_TRUE(monitorPtr->isPaused());
    EXPECT_EQ(tray.symbol, "doc.on.clipboard.fill");
    ASSERT_TRUE(instance.deliverCommand(InstanceCommand::ToggleMonitoring));
    EXPECT_FALSE(monitorPtr->isPaused());
    for (const InstanceCommand command : {InstanceCommand::OpenSettings, InstanceCommand::OpenSettings,
                                          InstanceCommand::ClearHistory, InstanceCommand::Quit})
        ASSERT_TRUE(instance.deliverCommand(command));
    EXPECT_EQ(journal.take(),
              (QStringList{"settings.create", "settings.show", "settings.show", "clearHistory", "quit"}));
    EXPECT_TRUE(scheduler.pendingDelays().empty()) << "a command forces no capture checks";

    // The history panel's warning leads to the General page of the same window.
    delegate->openGeneralSettings();
    EXPECT_EQ(journal.take(), QStringList{"settings.showGeneralPage"});
}

TEST_F(AppDelegateTest, AFirstLaunchAskedForTheSettingsOpensThemOnceLaunched) {
    launch({"quillstack", "--settings"});
    const QStringList steps = journal.take();
    const qsizetype settings = steps.indexOf("settings.show");
    ASSERT_GE(settings, 0) << qPrintable(steps.join(u'|'));
    EXPECT_GT(settings, steps.indexOf("hotkeys.onKeyUp pastePlainText"));
    EXPECT_EQ(steps.count("settings.show"), 1);
    EXPECT_FALSE(monitorPtr->isPaused());
}

TEST_F(AppDelegateTest, MissingServicesOnlySkipTheirOwnSteps) {
    App::AppServices services;
    services.defaults = &defaults;
    services.scheduler = &scheduler;
    services.instance = &instance;
    services.tray = &tray;
    App::AppDelegate bare(std::move(services));
    bare.applicationDidFinishLaunching({"quillstack", "--show-history"});
    EXPECT_TRUE(bare.isLaunchFinished());
    EXPECT_TRUE(tray.shown);
    scheduler.advance(1s);
    bare.togglePause();
    bare.openSettings();
    EXPECT_FALSE(tray.dimmed);
}

} // namespace
