#pragma once

#include <Storage/ClipboardItem.h>

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace Platform {
class Workspace;
}

// Hands Markdown from the history to the Vesk editor: Markdown files named by a file item are
// opened directly; Markdown text is written to a private temporary file that the editor opens.
// The editor is found by its desktop file in the XDG data directories and started through its Exec
// line, never through a shell.
class VeskIntegration {
public:
    static inline const QString bundleID = QStringLiteral("dev.zuvidevozadode.vesk");

    enum class OpenError { appMissing, nothingToOpen, writeFailed, launchFailed };
    struct OpenFailure {
        OpenError error;
        // For the user: the fixed text of the case, or the file system's own description.
        QString description;
    };

    explicit VeskIntegration(Platform::Workspace& workspace);

    // The editor's desktop file, when installed.
    std::optional<QString> applicationPath() const;
    static QUrl websiteURL();
    static bool isMarkdownExtension(const QString& path);

    QIcon icon(int size) const;
    bool shouldOfferOpen(const ClipboardItem& item) const;
    // Nothing on success.
    std::optional<OpenFailure> open(const ClipboardItem& item);
    static QList<QUrl> markdownFileURLs(const ClipboardItem& item);

    // The hand-off folder: $XDG_RUNTIME_DIR/quillstack/OpenInVesk (mode 0700), or a private folder
    // made with mkdtemp in the temporary directory when XDG_RUNTIME_DIR is unset. Empty when it
    // cannot be made.
    static QString handOffDirectory(QString* error = nullptr);
    static QString preferredFileName(const QString& text);

private:
    static QString description(OpenError error);
    std::optional<OpenFailure> openFiles(const QStringList& paths);
    static std::optional<QString> existingMarkdownPath(const QString& trimmedText);

    Platform::Workspace& m_workspace;
};
