#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace Platform {

// Typed key/value settings of the application.
//
// Two domains, as users of a settings store expect: stored values (persisted in a JSON file when a
// path is given, in memory otherwise) and registered defaults (held in memory only, never written).
// A read returns the stored value, else the registered default, else an undefined QJsonValue.
// Types survive a round trip (bool stays bool, an empty list stays an empty list and is distinct
// from an absent key), which is why this is JSON and not QSettings.
class UserDefaults : public QObject {
    Q_OBJECT
public:
    // In-memory store (tests, or when no file should be touched).
    explicit UserDefaults(QObject* parent = nullptr);
    // Store backed by the JSON file at `filePath`. A file that cannot be read or parsed is moved
    // aside to "<file>.corrupt" with a message on stderr, and the store starts empty.
    explicit UserDefaults(const QString& filePath, QObject* parent = nullptr);

    // The process-wide store the application uses; set once at start-up.
    static UserDefaults* standard();
    static void setStandard(UserDefaults* defaults);

    QJsonValue value(const QString& key) const;
    bool hasStoredValue(const QString& key) const;
    QJsonObject storedValues() const { return m_stored; }

    bool boolValue(const QString& key, bool fallback = false) const;
    qint64 intValue(const QString& key, qint64 fallback = 0) const;
    QString stringValue(const QString& key, const QString& fallback = {}) const;
    // The value as a list of strings; nullopt when the key holds no list of strings.
    std::optional<QStringList> stringList(const QString& key) const;

    // Writes are persisted at once (atomically); returns false when the file write failed.
    bool setValue(const QString& key, const QJsonValue& value);
    bool remove(const QString& key);
    // Removes every stored value (the registered defaults stay).
    bool removeAll();

    // Registered defaults: memory only, never overwrite stored values.
    void registerDefaults(const QJsonObject& defaults);

    QString filePath() const { return m_filePath; }

signals:
    void valueChanged(const QString& key);

private:
    bool persist();

    QString m_filePath;
    QJsonObject m_stored;
    QJsonObject m_registered;
};

} // namespace Platform
