#include "Platform/Fakes/FakePasteboard.h"

#include <QFuture>

namespace Platform {

void FakePasteboard::setClip(const PasteboardClip& clip) {
    m_clip = clip;
    m_clip.changeCount = ++m_changeCount;
    if (m_announces)
        emit changed();
}

QFuture<PasteboardClip> FakePasteboard::read() {
    return QtFuture::makeReadyFuture(m_clip);
}

void FakePasteboard::record(const Write& write, const PasteboardClip& content) {
    m_writes << write;
    setClip(content);
}

void FakePasteboard::clear() {
    record({Write::Kind::Clear, {}, {}, {}}, {});
}

void FakePasteboard::writeFilePaths(const QStringList& paths) {
    PasteboardClip content;
    content.types = {QStringLiteral("text/uri-list"), QStringLiteral("x-special/gnome-copied-files")};
    for (const QString& path : paths) {
        if (!path.isEmpty())
            content.filePaths << path;
    }
    record({Write::Kind::FilePaths, paths, {}, {}}, content);
}

void FakePasteboard::writePng(const QByteArray& png) {
    PasteboardClip content;
    content.types = {QStringLiteral("image/png")};
    content.png = png;
    record({Write::Kind::Png, {}, png, {}}, content);
}

void FakePasteboard::writeString(const QString& text) {
    PasteboardClip content;
    content.types = {QStringLiteral("UTF8_STRING"), QStringLiteral("text/plain;charset=utf-8")};
    content.string = text;
    record({Write::Kind::String, {}, {}, text}, content);
}

void FakePasteboard::writeRichText(const QByteArray& rtf, const QString& text) {
    PasteboardClip content;
    content.types = {QStringLiteral("text/rtf"), QStringLiteral("UTF8_STRING"),
                     QStringLiteral("text/plain;charset=utf-8")};
    content.string = text;
    content.rtf = rtf;
    record({Write::Kind::RichText, {}, rtf, text}, content);
}

} // namespace Platform
