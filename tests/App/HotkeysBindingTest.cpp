// The shortcut library bound to the application: its entries in the real JSON settings file, the
// shell's names declared and grabbed, its texts in the in-app language.
#include "FakeHotkeyBackend.h"

#include <App/HotkeysBinding.h>
#include <App/LanguageManager.h>
#include <App/Shortcuts.h>
#include <Hotkeys/Hotkeys.h>
#include <Platform/UserDefaults.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using Hotkeys::Key;
using Hotkeys::ModifierFlag;
using Hotkeys::Name;
using Hotkeys::Shortcut;

namespace {

const Shortcut shiftCommandV(Key::v, ModifierFlag::Shift | ModifierFlag::Command);
const Shortcut optionShiftCommandV(Key::v,
                                   ModifierFlag::Option | ModifierFlag::Shift | ModifierFlag::Command);

class AppHotkeysBinding : public ::testing::Test {
protected:
    AppHotkeysBinding() {
        auto fake = std::make_unique<FakeHotkeyBackend>();
        backend = fake.get();
        Hotkeys::GlobalHotkeys::setBackend(std::move(fake));
    }

    ~AppHotkeysBinding() override {
        binding.reset();
        Hotkeys::disable({Name("showHistory"), Name("pastePlainText"), Name("other")});
        Hotkeys::GlobalHotkeys::setBackend(nullptr);
    }

    QString path() const { return dir.filePath("quillstack/settings.json"); }

    // Opens the settings file (again) and binds the library to it, as the application's start does.
    void start() {
        binding.reset();
        language.reset();
        defaults = std::make_unique<Platform::UserDefaults>(path());
        language = std::make_unique<App::LanguageManager>(*defaults, [this] { return systemLanguages; });
        binding = std::make_unique<App::HotkeysBinding>(*defaults, *language);
    }

    QJsonObject fileContents() const {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir dir;
    QStringList systemLanguages{"en-US"};
    FakeHotkeyBackend* backend = nullptr;
    std::unique_ptr<Platform::UserDefaults> defaults;
    std::unique_ptr<App::LanguageManager> language;
    std::unique_ptr<App::HotkeysBinding> binding;
};

TEST_F(AppHotkeysBinding, ShortcutSetThroughTheLibraryIsAJsonTextInTheSettingsFile) {
    struct Case {
        Shortcut shortcut;
        const char* stored;
    };
    const Case cases[] = {
        {shiftCommandV, R"({"carbonKeyCode":9,"carbonModifiers":768})"},
        {Shortcut(Key::k, ModifierFlag::Control | ModifierFlag::Option),
         R"({"carbonKeyCode":40,"carbonModifiers":6144})"},
        {Shortcut(Key::f5, {}), R"({"carbonKeyCode":96,"carbonModifiers":0})"},
    };
    for (const Case& c : cases) {
        start();
        Hotkeys::setShortcut(c.shortcut, Name("other"));
        EXPECT_EQ(fileContents().value("Hotkeys_other"), QJsonValue(c.stored));
        // Read back from the file by a later start.
        start();
        EXPECT_EQ(Hotkeys::getShortcut(Name("other")), c.shortcut) << c.stored;
    }
}

TEST_F(AppHotkeysBinding, AbsentClearedAndSetEntriesReadBackFromTheFile) {
    start();
    const Name withDefault("showHistory", shiftCommandV);
    const Name withoutDefault("other");
    EXPECT_EQ(Hotkeys::getShortcut(withoutDefault), std::nullopt) << "absent";
    EXPECT_FALSE(fileContents().contains("Hotkeys_other"));

    Hotkeys::setShortcut(optionShiftCommandV, withoutDefault);
    Hotkeys::setShortcut(std::nullopt, withDefault);
    start();
    EXPECT_EQ(Hotkeys::getShortcut(withoutDefault), optionShiftCommandV) << "set";
    EXPECT_EQ(fileContents().value("Hotkeys_showHistory"), QJsonValue(false))
        << "cleared is the Boolean false";
    EXPECT_EQ(Hotkeys::getShortcut(withDefault), std::nullopt) << "cleared";
    // The stored false keeps the default from coming back when the name is declared again.
    EXPECT_EQ(Hotkeys::getShortcut(Name("showHistory", shiftCommandV)), std::nullopt);
    EXPECT_FALSE(backend->isGrabbed(shiftCommandV));

    // Clearing a name without a default removes its entry.
    Hotkeys::setShortcut(std::nullopt, withoutDefault);
    EXPECT_FALSE(fileContents().contains("Hotkeys_other"));
}

TEST_F(AppHotkeysBinding, ResetAllSeesOnlyTheLibrarysStoredEntries) {
    start();
    defaults->setValue("historyLimit", 50);
    Hotkeys::setShortcut(optionShiftCommandV, Name("other"));
    Hotkeys::setShortcut(std::nullopt, Name("showHistory", shiftCommandV));
    Hotkeys::resetAll();
    const QJsonObject stored = fileContents();
    EXPECT_FALSE(stored.contains("Hotkeys_other"));
    EXPECT_EQ(stored.value("Hotkeys_showHistory"), QJsonValue(false));
    EXPECT_EQ(stored.value("historyLimit"), QJsonValue(50));
}

TEST_F(AppHotkeysBinding, ShellNamesAreDeclaredWithTheirDefaultsAndRunOnRelease) {
    start();
    int shown = 0;
    int pasted = 0;
    binding->onKeyUp(App::Shortcuts::showHistory, [&] { ++shown; });
    binding->onKeyUp(App::Shortcuts::pastePlainText, [&] { ++pasted; });
    EXPECT_EQ(fileContents().value("Hotkeys_showHistory"),
              QJsonValue(R"({"carbonKeyCode":9,"carbonModifiers":768})"));
    EXPECT_EQ(fileContents().value("Hotkeys_pastePlainText"),
              QJsonValue(R"({"carbonKeyCode":9,"carbonModifiers":2816})"));
    ASSERT_TRUE(backend->isGrabbed(shiftCommandV));
    ASSERT_TRUE(backend->isGrabbed(optionShiftCommandV));

    backend->press(shiftCommandV);
    EXPECT_EQ(shown, 0) << "the press alone does nothing";
    backend->release(shiftCommandV);
    EXPECT_EQ(shown, 1);
    backend->tap(optionShiftCommandV);
    EXPECT_EQ(pasted, 1);
    EXPECT_EQ(shown, 1);

    // Destroying the binding withdraws the grabs and leaves the file alone from then on.
    binding.reset();
    EXPECT_TRUE(backend->grabs.isEmpty());
    Hotkeys::setShortcut(Shortcut(Key::k, ModifierFlag::Command), Name("other"));
    EXPECT_FALSE(fileContents().contains("Hotkeys_other"));
}

TEST_F(AppHotkeysBinding, UserShortcutIsKeptOverTheDefaultAtTheNextStart) {
    const Shortcut userChoice(Key::h, ModifierFlag::Control | ModifierFlag::Command);
    start();
    binding->onKeyUp(App::Shortcuts::showHistory, [] {});
    Hotkeys::setShortcut(userChoice, Name("showHistory"));
    start();
    int shown = 0;
    binding->onKeyUp(App::Shortcuts::showHistory, [&] { ++shown; });
    EXPECT_EQ(Hotkeys::getShortcut(Name("showHistory")), userChoice);
    EXPECT_FALSE(backend->isGrabbed(shiftCommandV));
    backend->tap(userChoice);
    EXPECT_EQ(shown, 1);
}

TEST_F(AppHotkeysBinding, LibraryTextsFollowTheInAppLanguage) {
    // "system" is resolved by the application from the desktop's languages, not by the library.
    systemLanguages = {"pl-PL"};
    QDir().mkpath(QFileInfo(path()).absolutePath());
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"({"appLanguage": "system"})");
    }
    start();
    EXPECT_EQ(Hotkeys::localized("record_shortcut"), "Nagraj skrót");
    language->setSelection("en");
    EXPECT_EQ(Hotkeys::localized("record_shortcut"), "Record Shortcut");
    language->setSelection("pl");
    EXPECT_EQ(Hotkeys::localized("record_shortcut"), "Nagraj skrót");
}

} // namespace
