#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

namespace Platform {

namespace {
UserDefaults* g_standard = nullptr;

void warn(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

UserDefaults::UserDefaults(QObject* parent) : QObject(parent) {}

UserDefaults::UserDefaults(const QString& filePath, QObject* parent) : QObject(parent), m_filePath(filePath) {
    QFile file(filePath);
    if (!file.exists())
        return;
    QString problem;
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
    } else {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
        file.close();
        if (error.error != QJsonParseError::NoError)
            problem = error.errorString();
        else if (!document.isObject())
            problem = QStringLiteral("the top level is not an object");
        else
            m_stored = document.object();
    }
    if (problem.isEmpty())
        return;
    // Keep the user's file for inspection; the next write must not silently replace it.
    const QString aside = filePath + QStringLiteral(".corrupt");
    QFile::remove(aside);
    const bool moved = QFile::rename(filePath, aside);
    warn(QStringLiteral("Quillstack: the settings file %1 could not be read (%2); using defaults. %3")
             .arg(filePath, problem,
                  moved ? QStringLiteral("The file was kept as %1.").arg(aside)
                        : QStringLiteral("It could not be moved aside, so settings will not be saved.")));
    if (!moved)
        m_filePath.clear();
}

UserDefaults* UserDefaults::standard() {
    return g_standard;
}

void UserDefaults::setStandard(UserDefaults* defaults) {
    g_standard = defaults;
}

QJsonValue UserDefaults::value(const QString& key) const {
    const auto stored = m_stored.constFind(key);
    if (stored != m_stored.constEnd())
        return *stored;
    return m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString& key) const {
    return m_stored.contains(key);
}

bool UserDefaults::boolValue(const QString& key, bool fallback) const {
    const QJsonValue v = value(key);
    if (v.isBool())
        return v.toBool();
    if (v.isDouble())
        return v.toDouble() != 0;
    return fallback;
}

qint64 UserDefaults::intValue(const QString& key, qint64 fallback) const {
    const QJsonValue v = value(key);
    if (v.isDouble())
        return v.toInteger(static_cast<qint64>(v.toDouble()));
    if (v.isBool())
        return v.toBool() ? 1 : 0;
    if (v.isString()) {
        bool ok = false;
        const qint64 parsed = v.toString().toLongLong(&ok);
        return ok ? parsed : fallback;
    }
    return fallback;
}

QString UserDefaults::stringValue(const QString& key, const QString& fallback) const {
    const QJsonValue v = value(key);
    return v.isString() ? v.toString() : fallback;
}

std::optional<QStringList> UserDefaults::stringList(const QString& key) const {
    const QJsonValue v = value(key);
    if (!v.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& element : v.toArray()) {
        if (!element.isString())
            return std::nullopt;
        list.append(element.toString());
    }
    return list;
}

bool UserDefaults::setValue(const QString& key, const QJsonValue& value) {
    if (value.isUndefined())
        return remove(key);
    m_stored.insert(key, value);
    const bool ok = persist();
    emit valueChanged(key);
    return ok;
}

bool UserDefaults::remove(const QString& key) {
    if (!m_stored.contains(key))
        return true;
    m_stored.remove(key);
    const bool ok = persist();
    emit valueChanged(key);
    return ok;
}

bool UserDefaults::removeAll() {
    const QStringList keys = m_stored.keys();
    m_stored = QJsonObject();
    const bool ok = persist();
    for (const QString& key : keys)
        emit valueChanged(key);
    return ok;
}

void UserDefaults::registerDefaults(const QJsonObject& defaults) {
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        m_registered.insert(it.key(), it.value());
}

bool UserDefaults::persist() {
    if (m_filePath.isEmpty())
        return true;
    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath())) {
        warn(QStringLiteral("Quillstack: cannot create %1").arg(info.absolutePath()));
        return false;
    }
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        warn(QStringLiteral("Quillstack: cannot write settings: %1").arg(file.errorString()));
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(m_stored).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        warn(QStringLiteral("Quillstack: cannot write settings: %1").arg(file.errorString()));
        return false;
    }
    return true;
}

} // namespace Platform
