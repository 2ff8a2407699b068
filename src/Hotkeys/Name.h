#pragma once

#include "Hotkeys/Shortcut.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace Hotkeys {

// A named shortcut of the application, e.g. "showHistory". Its shortcut is stored under
// "Hotkeys_" + rawValue. Names are equal and hashed by rawValue alone.
class Name {
public:
    // An empty name, for QVariant.
    Name() = default;
    // Declares the name. When a default is given and nothing at all is stored under the name yet,
    // the default is stored (and so registered, and announced).
    explicit Name(const QString& rawValue, std::optional<Shortcut> defaultShortcut = std::nullopt);

    QString rawValue() const { return m_rawValue; }
    std::optional<Shortcut> defaultShortcut() const { return m_defaultShortcut; }

    // The stored shortcut; setting it stores or clears it (see setShortcut()).
    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut>& shortcut) const;

    friend bool operator==(const Name& a, const Name& b) { return a.m_rawValue == b.m_rawValue; }

private:
    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

inline size_t qHash(const Name& name, size_t seed = 0) {
    return qHash(name.rawValue(), seed);
}

} // namespace Hotkeys

Q_DECLARE_METATYPE(Hotkeys::Name)
