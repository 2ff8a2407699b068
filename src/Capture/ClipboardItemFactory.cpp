#include "ClipboardItemFactory.h"

#include <Analysis/CodeDetector.h>
#include <Storage/ImageStore.h>

#include <QCryptographicHash>
#include <QTextBoundaryFinder>
#include <QUrl>
#include <QUuid>

namespace ClipboardItemFactory {

namespace {

constexpr qsizetype kMaxWebAddressLength = 2047;

// Counts user-perceived characters, stopping once `limit` is exceeded.
qsizetype graphemeCountUpTo(const QString& text, qsizetype limit) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count > limit)
            break;
    }
    return count;
}

NewClipboardItem withSource(ItemType type, const std::optional<Platform::RunningApplication>& sourceApp) {
    NewClipboardItem content;
    content.type = type;
    if (sourceApp) {
        if (!sourceApp->desktopId.isEmpty())
            content.sourceAppBundleID = sourceApp->desktopId;
        if (!sourceApp->name.isEmpty())
            content.sourceAppName = sourceApp->name;
    }
    return content;
}

ClipboardItemPtr imageItem(const QByteArray& png,
                           const std::optional<Platform::RunningApplication>& sourceApp, ImageStore& images) {
    const QString filename =
        QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
    // An item whose picture is not on disk would show and paste nothing.
    if (!images.write(filename, png))
        return nullptr;
    NewClipboardItem content = withSource(ItemType::image, sourceApp);
    content.imageFilename = filename;
    content.dedupeKey = QStringLiteral("img:") + sha256(png);
    return ClipboardItem::make(std::move(content));
}

} // namespace

QString sha256(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString textDedupeKey(const QString& text) {
    const QString trimmed = text.trimmed();
    return QStringLiteral("txt:") + sha256((isWebURL(trimmed) ? trimmed : text).toUtf8());
}

bool isWebURL(const QString& text) {
    if (text.size() > kMaxWebAddressLength &&
        graphemeCountUpTo(text, kMaxWebAddressLength) > kMaxWebAddressLength)
        return false;
    if (text.contains(u' ') || text.contains(u'\n'))
        return false;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

ClipboardItemPtr make(const Platform::PasteboardClip& clip,
                      const std::optional<Platform::RunningApplication>& sourceApp, ImageStore& images) {
    if (!clip.filePaths.isEmpty()) {
        const QString paths = clip.filePaths.join(u'\n');
        NewClipboardItem content = withSource(ItemType::file, sourceApp);
        content.plainText = paths;
        content.dedupeKey = QStringLiteral("file:") + sha256(paths.toUtf8());
        return ClipboardItem::make(std::move(content));
    }
    if (clip.png && !clip.png->isEmpty())
        return imageItem(*clip.png, sourceApp, images);
    if (!clip.string)
        return nullptr;

    const QString& text = *clip.string;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return nullptr;
    const std::optional<QString> bundleID =
        sourceApp && !sourceApp->desktopId.isEmpty() ? std::optional(sourceApp->desktopId) : std::nullopt;

    NewClipboardItem content;
    if (isWebURL(trimmed)) {
        content = withSource(ItemType::url, sourceApp);
        content.plainText = trimmed;
    } else if (CodeDetector::isCode(text, bundleID)) {
        content = withSource(ItemType::code, sourceApp);
        content.plainText = text;
        content.detectedLanguage = CodeDetector::guessLanguage(text);
    } else if (clip.rtf) {
        content = withSource(ItemType::richText, sourceApp);
        content.plainText = text;
        content.richData = *clip.rtf;
    } else {
        content = withSource(ItemType::text, sourceApp);
        content.plainText = text;
    }
    content.dedupeKey = textDedupeKey(text);
    return ClipboardItem::make(std::move(content));
}

} // namespace ClipboardItemFactory
