#pragma once

#include "Shortcuts.h"

#include <Hotkeys/Name.h>
#include <Hotkeys/SettingsStorage.h>

#include <QHash>
#include <QMetaObject>

namespace Platform {
class UserDefaults;
}

namespace App {

class LanguageManager;

// The shortcut library's name for one of the shell's shortcuts, with its default.
Hotkeys::Name libraryName(const ShortcutName& name);

// The shortcut library's storage bound to the application's settings: each name's entry lives in
// the settings file under "Hotkeys_" + name, beside the application's own keys.
class UserDefaultsHotkeyStorage final : public Hotkeys::SettingsStorage {
public:
    explicit UserDefaultsHotkeyStorage(Platform::UserDefaults& defaults) : m_defaults(defaults) {}

    QJsonValue value(const QString& key) const override;
    void setValue(const QString& key, const QJsonValue& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;

private:
    Platform::UserDefaults& m_defaults;
};

// Takes the shortcut library into use for the application: its storage is the application's
// settings and its texts follow the in-app language from construction on; the shell's shortcut
// names become library names whose key-up actions run on the GUI thread. Destroying it withdraws
// the hot keys it registered and detaches the library from the settings.
class HotkeysBinding final : public HotkeyRegistrar {
public:
    HotkeysBinding(Platform::UserDefaults& defaults, LanguageManager& language);
    ~HotkeysBinding() override;

    HotkeysBinding(const HotkeysBinding&) = delete;
    HotkeysBinding& operator=(const HotkeysBinding&) = delete;

    // Declares the name with its default on first use (which stores the default when the settings
    // hold nothing for it yet) and grabs its shortcut.
    void onKeyUp(const ShortcutName& name, std::function<void()> action) override;

private:
    QHash<QString, Hotkeys::Name> m_names;
    QMetaObject::Connection m_languageConnection;
};

} // namespace App
