#include "AppIconCache.h"

#include "SymbolIcon.h"

#include <App/LanguageManager.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <optional>

namespace AppIconCache {

namespace {

constexpr int kIconSide = 32;
// Desktop files are a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxDesktopFileSize = 256 * 1024;

struct DesktopEntry {
    QString filePath;
    QString name;
    QString localizedName;
    QString icon;
};

QHash<QString, QIcon>& cache() {
    static QHash<QString, QIcon> icons;
    return icons;
}

QString withoutDesktopSuffix(const QString& id) {
    return id.endsWith(QLatin1String(".desktop")) ? id.chopped(8) : id;
}

// An id never names a path: no separators, nothing hidden.
bool isPlausibleId(const QString& id) {
    return !id.isEmpty() && !id.startsWith(QLatin1Char('.')) && !id.contains(QLatin1Char('/')) &&
           !id.contains(QChar(0));
}

// Files whose desktop-file id is `id`: applications/<id>.desktop, or, for ids formed from a
// subfolder ("kde-org.kate" for applications/kde/org.kate.desktop), the subfolder form.
QStringList candidateRelativePaths(const QString& id) {
    QStringList paths{QStringLiteral("applications/") + id + QStringLiteral(".desktop")};
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0;
         dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
        QString nested = id;
        nested[dash] = QLatin1Char('/');
        paths << QStringLiteral("applications/") + nested + QStringLiteral(".desktop");
    }
    return paths;
}

std::optional<QString> locateDesktopFile(const QString& id) {
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& relative : candidateRelativePaths(id)) {
        for (const QString& dir : dataDirs) {
            const QString path = QDir(dir).filePath(relative);
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return std::nullopt;
}

QString unescapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        default:
            out += next;
            break;
        }
    }
    return out;
}

QString interfaceLanguage() {
    if (const App::LanguageManager* language = App::LanguageManager::shared())
        return language->localeName();
    return QLocale().name().section(QLatin1Char('_'), 0, 0);
}

std::optional<DesktopEntry> readDesktopEntry(const QString& id) {
    const std::optional<QString> path = locateDesktopFile(id);
    if (!path)
        return std::nullopt;
    DesktopEntry entry;
    entry.filePath = *path;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxDesktopFileSize)
        return entry;
    const QString localizedKey = QStringLiteral("Name[%1]").arg(interfaceLanguage());
    bool inMainGroup = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unescapeValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("Name"))
            entry.name = value;
        else if (key == localizedKey)
            entry.localizedName = value;
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
    }
    return entry;
}

QIcon iconNamed(const QString& iconValue) {
    if (iconValue.isEmpty())
        return {};
    if (QDir::isAbsolutePath(iconValue))
        return QFileInfo(iconValue).isFile() ? QIcon(iconValue) : QIcon();
    QIcon themed = QIcon::fromTheme(iconValue);
    // Some desktop files name the icon's file ("app.png") where a theme name belongs.
    if (themed.isNull() && iconValue.contains(QLatin1Char('.')))
        themed = QIcon::fromTheme(QFileInfo(iconValue).completeBaseName());
    return themed;
}

QIcon genericApplicationIcon() {
    const QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    if (!themed.isNull())
        return themed;
    return SymbolIcon::icon(QStringLiteral("app.dashed"), QColor(142, 142, 147));
}

// The icon at the size the lists draw from, so the theme is asked once per application.
QIcon atListSize(const QIcon& icon) {
    QIcon sized;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap = icon.pixmap(QSize(kIconSide, kIconSide), ratio);
        if (!pixmap.isNull())
            sized.addPixmap(pixmap);
    }
    return sized.isNull() ? icon : sized;
}

} // namespace

QIcon icon(const QString& desktopId) {
    const QString id = withoutDesktopSuffix(desktopId);
    if (!isPlausibleId(id))
        return {};
    auto& icons = cache();
    if (const auto found = icons.constFind(id); found != icons.constEnd())
        return *found;
    const std::optional<DesktopEntry> entry = readDesktopEntry(id);
    if (!entry)
        return {};
    QIcon image = iconNamed(entry->icon);
    if (image.isNull())
        image = genericApplicationIcon();
    image = atListSize(image);
    icons.insert(id, image);
    return image;
}

QString displayName(const QString& desktopId) {
    const QString id = withoutDesktopSuffix(desktopId);
    if (!isPlausibleId(id))
        return desktopId;
    const std::optional<DesktopEntry> entry = readDesktopEntry(id);
    if (!entry)
        return desktopId;
    if (!entry->localizedName.isEmpty())
        return entry->localizedName;
    if (!entry->name.isEmpty())
        return entry->name;
    return QFileInfo(entry->filePath).completeBaseName();
}

} // namespace AppIconCache
