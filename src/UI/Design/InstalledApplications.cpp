#include "InstalledApplications.h"

#include "AppIconCache.h"

#include <Platform/X11/DesktopEntries.h>

#include <QCollator>
#include <QFileInfo>

#include <algorithm>

namespace InstalledApplications {

namespace {
constexpr QLatin1StringView kSuffix(".desktop");

// What the desktop would accept as a file name of an entry: nothing empty, hidden or path-like.
bool isUsableId(const QString& id) {
    return !id.isEmpty() && !id.startsWith(u'.') && !id.contains(u'/') && !id.contains(QChar(0)) &&
           id.trimmed() == id;
}
} // namespace

QList<Application> list() {
    // One index for the process: it reads the folders again only when they changed.
    static Platform::X11::DesktopEntryIndex index;
    QList<Application> applications;
    for (const Platform::X11::DesktopEntry& entry : index.entries()) {
        if (!entry.noDisplay && isUsableId(entry.id))
            applications.append({entry.id, AppIconCache::displayName(entry.id)});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(
        applications.begin(), applications.end(),
        [&](const Application& a, const Application& b) { return collator.compare(a.name, b.name) < 0; });
    return applications;
}

std::optional<QString> desktopIdOfFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.fileName().endsWith(kSuffix))
        return std::nullopt;
    const QString id = Platform::X11::desktopFileId(info.absoluteFilePath())
                           .value_or(info.fileName().chopped(kSuffix.size()));
    if (!isUsableId(id) || !Platform::X11::parseDesktopFile(info.absoluteFilePath(), id))
        return std::nullopt;
    return id;
}

} // namespace InstalledApplications
