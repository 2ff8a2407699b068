#include "LoginItemManager.h"

#include "ResourceDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdio>

namespace App {

namespace {

void logFailure(const QString& reason) {
    std::fprintf(stderr, "LoginItemManager: %s\n", qUtf8Printable(reason));
}

// The program as one argument of an Exec line: quoted, with the characters the desktop entry format
// reserves escaped inside the quotes, and "%" doubled so it is no field code.
QString execArgument(const QString& program) {
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(QStringLiteral("%"), QStringLiteral("%%"));
    // The file format escapes backslashes once more in string values.
    quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

} // namespace

LoginItemManager::LoginItemManager(QString autostartFile, QString program)
    : m_file(autostartFile.isEmpty() ? defaultAutostartFile() : std::move(autostartFile)),
      m_program(std::move(program)) {}

QString LoginItemManager::defaultAutostartFile() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("autostart/quillstack.desktop"));
}

bool LoginItemManager::set(bool enabled) {
    if (!enabled) {
        if (QFileInfo::exists(m_file) && !QFile::remove(m_file)) {
            logFailure(QStringLiteral("cannot remove %1").arg(m_file));
            return false;
        }
        return true;
    }
    const QString program = m_program.isEmpty() ? commandPath() : m_program;
    if (!QDir().mkpath(QFileInfo(m_file).absolutePath())) {
        logFailure(QStringLiteral("cannot create the folder of %1").arg(m_file));
        return false;
    }
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly)) {
        logFailure(file.errorString());
        return false;
    }
    const QByteArray entry = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Quillstack\n"
                                            "Icon=quillstack\n"
                                            "Exec=%1\n"
                                            "NoDisplay=true\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(execArgument(program))
                                 .toUtf8();
    if (file.write(entry) != entry.size() || !file.commit()) {
        logFailure(file.errorString());
        return false;
    }
    return true;
}

bool LoginItemManager::isEnabled() const {
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A file the user switched off in the desktop's own settings stays in place, marked hidden.
    for (const QByteArray& rawLine : file.readAll().split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
    }
    return true;
}

} // namespace App
