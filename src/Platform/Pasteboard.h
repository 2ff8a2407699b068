#pragma once

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace Platform {

// The representations of one clip that a history capture needs, read in one go. Only the first
// representation present in the order file URLs, PNG, TIFF (delivered as PNG), string is read; RTF
// is read beside a string.
struct PasteboardClip {
    // The change count the read started at.
    qint64 changeCount = 0;
    // The owner's advertised types (MIME names and X target names such as UTF8_STRING).
    QStringList types;
    // Marked concealed (or identical to the last concealed clip), or transient.
    bool concealed = false;
    bool transient = false;
    // Local paths of the file: URLs, in their order; empty when the clip has none.
    QStringList filePaths;
    // PNG bytes exactly as offered, or the PNG converted from a TIFF clip.
    std::optional<QByteArray> png;
    std::optional<QString> string;
    std::optional<QByteArray> rtf;
    // The owner did not deliver everything in time; what arrived is kept.
    bool timedOut = false;
};

// The general clipboard: change count, reads off the GUI thread, writes.
class Pasteboard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    static inline const QString concealedType = QStringLiteral("org.nspasteboard.ConcealedType");
    static inline const QString concealedTypeMime =
        QStringLiteral("application/x-nspasteboard-concealed-type");
    static inline const QString passwordManagerHintType = QStringLiteral("x-kde-passwordManagerHint");
    static inline const QString transientType = QStringLiteral("org.nspasteboard.TransientType");

    // Increases with every change of the clipboard's owner. Costs no round trip to the server.
    virtual qint64 changeCount() const = 0;
    // Whether every change is announced by `changed`; otherwise the count must be polled.
    virtual bool announcesChanges() const = 0;

    // Reads the current clip without blocking the caller; the future always finishes, within about a
    // second even when the owner never answers.
    virtual QFuture<PasteboardClip> read() = 0;

    // Writes replace the whole clipboard.
    virtual void clear() = 0;
    virtual void writeFilePaths(const QStringList& paths) = 0;
    virtual void writePng(const QByteArray& png) = 0;
    virtual void writeString(const QString& text) = 0;
    virtual void writeRichText(const QByteArray& rtf, const QString& text) = 0;

signals:
    // Emitted once per change of the count.
    void changed();
};

} // namespace Platform
