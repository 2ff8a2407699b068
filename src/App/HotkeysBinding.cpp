#include "HotkeysBinding.h"

#include "LanguageManager.h"

#include <Hotkeys/Localization.h>
#include <Hotkeys/Registry.h>
#include <Hotkeys/Shortcut.h>
#include <Platform/UserDefaults.h>

namespace App {

Hotkeys::Name libraryName(const ShortcutName& name) {
    const Hotkeys::Shortcut defaultShortcut(Hotkeys::Key(name.defaultKeyCode),
                                            Hotkeys::ModifierFlags::fromInt(name.defaultModifiers));
    return Hotkeys::Name(name.name, defaultShortcut);
}

QJsonValue UserDefaultsHotkeyStorage::value(const QString& key) const {
    return m_defaults.value(key);
}

void UserDefaultsHotkeyStorage::setValue(const QString& key, const QJsonValue& value) {
    // A failed write has already been reported by the settings store; the library goes on.
    m_defaults.setValue(key, value);
}

void UserDefaultsHotkeyStorage::remove(const QString& key) {
    m_defaults.remove(key);
}

QStringList UserDefaultsHotkeyStorage::keys() const {
    return m_defaults.storedValues().keys();
}

HotkeysBinding::HotkeysBinding(Platform::UserDefaults& defaults, LanguageManager& language) {
    Hotkeys::setStorage(std::make_shared<UserDefaultsHotkeyStorage>(defaults));
    // The library gets the resolved language, so its texts always match the application's even
    // when the selection is "system".
    Hotkeys::setLanguage(language.localeName());
    m_languageConnection =
        QObject::connect(&language, &LanguageManager::localeChanged,
                         [](const QString& localeName) { Hotkeys::setLanguage(localeName); });
}

HotkeysBinding::~HotkeysBinding() {
    QObject::disconnect(m_languageConnection);
    for (const Hotkeys::Name& name : std::as_const(m_names))
        Hotkeys::removeHandler(name);
    Hotkeys::setStorage(std::make_shared<Hotkeys::MemorySettingsStorage>());
}

void HotkeysBinding::onKeyUp(const ShortcutName& name, std::function<void()> action) {
    auto declared = m_names.constFind(name.name);
    if (declared == m_names.cend())
        declared = m_names.insert(name.name, libraryName(name));
    Hotkeys::onKeyUp(*declared, std::move(action));
}

} // namespace App
