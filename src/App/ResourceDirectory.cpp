#include "ResourceDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace App {

QString resourceDirectory() {
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/quillstack"));
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    return QStringLiteral(QS_INSTALLED_RESOURCE_DIR);
}

QString commandPath() {
    const QFileInfo launcher(QDir(QCoreApplication::applicationDirPath())
                                 .absoluteFilePath(QStringLiteral(QS_COMMAND_FROM_PROGRAM)));
    if (launcher.isFile() && launcher.isExecutable())
        return QDir::cleanPath(launcher.absoluteFilePath());
    return QCoreApplication::applicationFilePath();
}

} // namespace App
