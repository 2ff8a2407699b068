#include "VeskIntegration.h"

#include <Analysis/MarkdownDetector.h>
#include <Platform/Workspace.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include <cstdlib>
#include <mutex>

namespace {

const QStringList kMarkdownExtensions{QStringLiteral("md"), QStringLiteral("markdown"),
                                      QStringLiteral("mdown"), QStringLiteral("mkd")};
constexpr qsizetype kMaxStemLength = 48;
constexpr auto kPrivateDirectory = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr auto kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool isBlankChar(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankChar(text.at(begin)))
        ++begin;
    while (end > begin && isBlankChar(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// A private folder made with mkdtemp, created once per process when there is no runtime directory.
QString privateTemporaryDirectory() {
    static QString path;
    static std::once_flag once;
    std::call_once(once, [] {
        QByteArray pattern = QDir::temp().filePath(QStringLiteral("quillstack-XXXXXX")).toLocal8Bit();
        if (char* made = mkdtemp(pattern.data()))
            path = QString::fromLocal8Bit(made);
    });
    return path;
}

bool makePrivateDirectory(const QString& path) {
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, kPrivateDirectory);
}

} // namespace

VeskIntegration::VeskIntegration(Platform::Workspace& workspace) : m_workspace(workspace) {}

std::optional<QString> VeskIntegration::applicationPath() const {
    if (const std::optional<Platform::DesktopApplication> application = m_workspace.application(bundleID))
        return application->filePath;
    return std::nullopt;
}

QUrl VeskIntegration::websiteURL() {
    return QUrl(QStringLiteral("https://zuvidevozadode.dev/vesk"));
}

bool VeskIntegration::isMarkdownExtension(const QString& path) {
    return kMarkdownExtensions.contains(QFileInfo(path).suffix().toLower());
}

QString VeskIntegration::description(OpenError error) {
    switch (error) {
    case OpenError::appMissing:
        return QCoreApplication::translate("VeskIntegration", "vesk is not installed");
    case OpenError::nothingToOpen:
        return QCoreApplication::translate("VeskIntegration", "Nothing to open in vesk");
    case OpenError::writeFailed:
        return QCoreApplication::translate("VeskIntegration", "Could not create a temporary Markdown file");
    case OpenError::launchFailed:
        return QCoreApplication::translate("VeskIntegration", "vesk could not be started");
    }
    return {};
}

QIcon VeskIntegration::icon(int size) const {
    QIcon icon;
    if (const std::optional<Platform::DesktopApplication> application = m_workspace.application(bundleID)) {
        icon = QFileInfo(application->iconName).isAbsolute() ? QIcon(application->iconName)
                                                             : QIcon::fromTheme(application->iconName);
    }
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("text-markdown"));
    // An icon drawn at the requested size.
    return icon.isNull() ? icon : QIcon(icon.pixmap(size, size));
}

QList<QUrl> VeskIntegration::markdownFileURLs(const ClipboardItem& item) {
    if (item.type() != ItemType::file || !item.plainText())
        return {};
    QList<QUrl> urls;
    for (const QString& line : item.plainText()->split(u'\n', Qt::SkipEmptyParts)) {
        const QString path = trimBlanks(line);
        if (isMarkdownExtension(path) && QFileInfo(path).isFile())
            urls << QUrl::fromLocalFile(path);
    }
    return urls;
}

std::optional<QString> VeskIntegration::existingMarkdownPath(const QString& trimmedText) {
    if (trimmedText.contains(u'\n') || !isMarkdownExtension(trimmedText) || !QFileInfo(trimmedText).isFile())
        return std::nullopt;
    return trimmedText;
}

bool VeskIntegration::shouldOfferOpen(const ClipboardItem& item) const {
    if (!markdownFileURLs(item).isEmpty())
        return true;
    const ItemType type = item.type();
    if (type == ItemType::image || type == ItemType::color || type == ItemType::url)
        return false;
    const std::optional<QString> text = item.plainText() ? item.plainText() : item.ocrText();
    if (!text)
        return false;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return false;
    if (MarkdownDetector::isMarkdownLanguage(item.detectedLanguage()))
        return true;
    if (MarkdownDetector::looksLikeMarkdown(*text))
        return true;
    return existingMarkdownPath(trimmed).has_value();
}

std::optional<VeskIntegration::OpenFailure> VeskIntegration::openFiles(const QStringList& paths) {
    if (!m_workspace.openFiles(paths, bundleID))
        return OpenFailure{OpenError::launchFailed, description(OpenError::launchFailed)};
    return std::nullopt;
}

std::optional<VeskIntegration::OpenFailure> VeskIntegration::open(const ClipboardItem& item) {
    if (!applicationPath())
        return OpenFailure{OpenError::appMissing, description(OpenError::appMissing)};

    if (const QList<QUrl> urls = markdownFileURLs(item); !urls.isEmpty()) {
        QStringList paths;
        for (const QUrl& url : urls)
            paths << url.toLocalFile();
        return openFiles(paths);
    }

    const QString text = item.plainText().value_or(item.ocrText().value_or(QString()));
    const QString trimmed = text.trimmed();
    if (const std::optional<QString> path = existingMarkdownPath(trimmed))
        return openFiles({*path});
    if (trimmed.isEmpty())
        return OpenFailure{OpenError::nothingToOpen, description(OpenError::nothingToOpen)};

    QString error;
    const QString directory = handOffDirectory(&error);
    if (directory.isEmpty())
        return OpenFailure{OpenError::writeFailed, error};
    QString stem = preferredFileName(text);
    stem.replace(u'/', u'-').replace(u':', u'-');
    stem = stem.isEmpty() ? QStringLiteral("clipboard") : stem.left(kMaxStemLength);
    const QString suffix = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().left(8);
    QSaveFile file(QDir(directory).filePath(stem + u'-' + suffix + QStringLiteral(".md")));
    if (!file.open(QIODevice::WriteOnly))
        return OpenFailure{OpenError::writeFailed, file.errorString()};
    file.setPermissions(kPrivateFile);
    const QByteArray bytes = trimmed.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return OpenFailure{OpenError::writeFailed, file.errorString()};
    return openFiles({file.fileName()});
}

QString VeskIntegration::handOffDirectory(QString* error) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString base;
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        base = QDir(runtime).filePath(QStringLiteral("quillstack"));
        if (!makePrivateDirectory(base))
            base.clear();
    } else {
        base = privateTemporaryDirectory();
    }
    const QString directory = base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("OpenInVesk"));
    if (directory.isEmpty() || !makePrivateDirectory(directory)) {
        if (error)
            *error = description(OpenError::writeFailed);
        return {};
    }
    return directory;
}

QString VeskIntegration::preferredFileName(const QString& text) {
    auto isNewline = [](QChar c) {
        return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) ||
               c == QChar(0x2028) || c == QChar(0x2029);
    };
    // Walks the lines only up to the first one that is not blank.
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && !isNewline(text.at(lineEnd)))
            ++lineEnd;
        const QString line = trimBlanks(text.mid(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.isEmpty())
            continue;
        if (!line.startsWith(u'#'))
            return line;
        auto strip = [](QChar c) {
            return c == u'#' || c.isSpace();
        };
        qsizetype begin = 0;
        qsizetype end = line.size();
        while (begin < end && strip(line.at(begin)))
            ++begin;
        while (end > begin && strip(line.at(end - 1)))
            --end;
        return line.mid(begin, end - begin);
    }
    return QStringLiteral("clipboard");
}
