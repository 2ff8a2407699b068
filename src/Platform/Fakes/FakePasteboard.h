#pragma once

#include "Platform/Pasteboard.h"

#include <QList>

namespace Platform {

// A clipboard in memory: tests set what another application copied; every change and every write
// bumps the count, and writes are recorded.
class FakePasteboard : public Pasteboard {
    Q_OBJECT
public:
    struct Write {
        enum class Kind { Clear, FilePaths, Png, String, RichText } kind;
        QStringList filePaths;
        QByteArray data; // PNG or RTF bytes
        QString text;
    };

    using Pasteboard::Pasteboard;

    // Another application copied `clip` (its changeCount is filled in).
    void setClip(const PasteboardClip& clip);
    const PasteboardClip& clip() const { return m_clip; }
    const QList<Write>& writes() const { return m_writes; }

    qint64 changeCount() const override { return m_changeCount; }
    bool announcesChanges() const override { return m_announces; }
    // Without announcements, changes only show in the count, as on a clipboard that must be polled.
    void setAnnouncesChanges(bool announces) { m_announces = announces; }
    QFuture<PasteboardClip> read() override;
    void clear() override;
    void writeFilePaths(const QStringList& paths) override;
    void writePng(const QByteArray& png) override;
    void writeString(const QString& text) override;
    void writeRichText(const QByteArray& rtf, const QString& text) override;

private:
    void record(const Write& write, const PasteboardClip& content);

    PasteboardClip m_clip;
    qint64 m_changeCount = 0;
    bool m_announces = true;
    QList<Write> m_writes;
};

} // namespace Platform
