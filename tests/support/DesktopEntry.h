#pragma once

#include <QFile>
#include <QMap>
#include <QString>

// A desktop entry's groups ("Desktop Entry", "Desktop Action quit"...) and their keys ("Name[pl]"
// as written), read line by line as the desktop reads the file. Empty when it cannot be read.
inline QMap<QString, QMap<QString, QString>> readDesktopEntry(const QString& path) {
    QMap<QString, QMap<QString, QString>> groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return groups;
    QString group;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[') && line.endsWith(u']'))
            group = line.mid(1, line.size() - 2);
        else if (const qsizetype equals = line.indexOf(u'='); equals > 0 && !line.startsWith(u'#'))
            groups[group].insert(line.left(equals), line.mid(equals + 1));
    }
    return groups;
}
