#pragma once

#include <QHash>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <memory>

namespace Hotkeys {

// Where the library keeps each name's shortcut (under "Hotkeys_" + name). The application binds it
// to its own user defaults; until then an in-memory store is used.
class SettingsStorage {
public:
    virtual ~SettingsStorage() = default;
    // The value under the key (registered defaults included), undefined when there is none.
    virtual QJsonValue value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QJsonValue& value) = 0;
    virtual void remove(const QString& key) = 0;
    // Every key that holds a value.
    virtual QStringList keys() const = 0;
};

class MemorySettingsStorage : public SettingsStorage {
public:
    QJsonValue value(const QString& key) const override { return m_values.value(key, QJsonValue::Undefined); }
    void setValue(const QString& key, const QJsonValue& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }
    QStringList keys() const override { return m_values.keys(); }

private:
    QHash<QString, QJsonValue> m_values;
};

// Replaces the store (main thread, before or between uses).
void setStorage(std::shared_ptr<SettingsStorage> storage);
SettingsStorage& storage();

} // namespace Hotkeys
