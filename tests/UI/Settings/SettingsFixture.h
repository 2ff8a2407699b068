#pragma once

// The settings window over real parts: the history store on a SQLite file and the settings file in a
// temporary folder, the language manager with the compiled Polish translation, the appearance
// manager and the reset service. Only the clock, the desktop's appearance, the relaunch and the
// hot-key service are fakes.
#include "FakeHotkeyBackend.h"

#include <App/AppearanceManager.h>
#include <App/HotkeysBinding.h>
#include <App/LanguageManager.h>
#include <App/ResetService.h>
#include <App/Shortcuts.h>
#include <Capture/DefaultSettings.h>
#include <Hotkeys/GlobalHotkeys.h>
#include <Hotkeys/Registry.h>
#include <Platform/Fakes/FakeAppearanceProvider.h>
#include <Platform/Fakes/FakeRelauncher.h>
#include <Platform/Fakes/FakeScheduler.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>
#include <UI/Design/Motion.h>
#include <UI/Settings/SettingsView.h>
#include <UI/Settings/SettingsWindowController.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class SettingsFixture : public ::testing::Test {
public:
    SettingsFixture() {
        registerDefaults();
        defaults.setValue(App::SettingsKeys::appLanguage, QStringLiteral("en"));
        App::LanguageManager::setShared(&language);
        language.installTranslators();
        HistoryStore::Options options;
        options.databasePath = dir.filePath(QStringLiteral("data/history.sqlite"));
        options.images = &images;
        options.defaults = &defaults;
        options.busyTimeoutMs = 100;
        store = HistoryStore::open(options);
        reset = std::make_unique<App::ResetService>(App::ResetService::Dependencies{
            &relauncher, [this] { ++quits; }, {}, {}, store.get(), &defaults, &App::registerDefaultSettings});
        auto fake = std::make_unique<FakeHotkeyBackend>();
        hotkeys = fake.get();
        Hotkeys::GlobalHotkeys::setBackend(std::move(fake));
        hotkeysBinding = std::make_unique<App::HotkeysBinding>(defaults, language);
        QS::Motion::setAppearanceProvider(&appearanceProvider);
    }

    ~SettingsFixture() override {
        controller.reset();
        Hotkeys::removeAllHandlers();
        Hotkeys::disable({App::libraryName(App::Shortcuts::showHistory),
                          App::libraryName(App::Shortcuts::pastePlainText)});
        hotkeysBinding.reset();
        Hotkeys::GlobalHotkeys::setBackend(nullptr);
        QS::Motion::setAppearanceProvider(nullptr);
        App::LanguageManager::setShared(nullptr);
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void registerDefaults() { App::registerDefaultSettings(defaults); }

    UI::SettingsServices services() {
        UI::SettingsServices services;
        services.defaults = &defaults;
        services.store = store.get();
        services.language = &language;
        services.scheduler = &scheduler;
        services.setLoginItem = [this](bool enabled) {
            loginCalls.append(enabled);
            return loginSucceeds;
        };
        services.eraseAllData = [this] {
            return reset->wipeAndRelaunch();
        };
        services.applyAppearance = [this] {
            appearance.apply();
        };
        services.accessibilityTrusted = [this] {
            return trusted;
        };
        return services;
    }

    // The window, shown, on the given tab.
    UI::SettingsView& open(UI::SettingsTab tab = UI::SettingsTab::General) {
        if (!controller)
            controller = std::make_unique<UI::SettingsWindowController>(services());
        controller->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
        controller->view()->selectTab(tab);
        finishMotion();
        return *controller->view();
    }

    template <typename Page> Page& page() {
        auto* current = qobject_cast<Page*>(controller->view()->page());
        EXPECT_NE(current, nullptr);
        return *current;
    }

    template <typename Widget = QAbstractButton> Widget* find(const QString& name) const {
        auto* widget = controller->window()->findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    // Lets running animations reach their end.
    static void finishMotion() { QTest::qWait(700); }

    // The question or warning shown over the settings window, if one is open.
    QMessageBox* dialog() const {
        for (QMessageBox* box : controller->window()->findChildren<QMessageBox*>()) {
            if (box->isVisible())
                return box;
        }
        return nullptr;
    }

    void answer(const QString& button) {
        QMessageBox* box = dialog();
        ASSERT_NE(box, nullptr);
        auto* choice = box->findChild<QAbstractButton*>(button);
        ASSERT_NE(choice, nullptr) << button.toStdString();
        choice->click();
        QTest::qWait(50);
    }

    QTemporaryDir dir;
    Platform::UserDefaults defaults{dir.filePath(QStringLiteral("config/quillstack/settings.json"))};
    App::LanguageManager language{defaults, [] {
                                      return QStringList{QStringLiteral("en-US")};
                                  }};
    ImageStore images{dir.filePath(QStringLiteral("data/Images"))};
    std::unique_ptr<HistoryStore> store;
    Platform::FakeScheduler scheduler;
    Platform::FakeAppearanceProvider appearanceProvider;
    App::AppearanceManager appearance{defaults, appearanceProvider, QApplication::style()->standardPalette()};
    Platform::FakeRelauncher relauncher;
    int quits = 0;
    std::unique_ptr<App::ResetService> reset;
    FakeHotkeyBackend* hotkeys = nullptr;
    std::unique_ptr<App::HotkeysBinding> hotkeysBinding;
    QList<bool> loginCalls;
    bool loginSucceeds = true;
    bool trusted = true;
    std::unique_ptr<UI::SettingsWindowController> controller;
};
