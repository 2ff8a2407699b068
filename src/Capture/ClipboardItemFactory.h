#pragma once

#include <Platform/Pasteboard.h>
#include <Platform/Workspace.h>
#include <Storage/ClipboardItem.h>

#include <QByteArray>
#include <QString>

#include <optional>

class ImageStore;

// Turns one clip read from the clipboard into a new, not yet stored history item. Stateless; safe to
// call off the GUI thread (it hashes the content and writes an image's PNG file).
namespace ClipboardItemFactory {

// The item for `clip`, or null when the clip holds nothing usable or an image's file could not be
// written. The first representation present wins: file paths, PNG, string (with its RTF beside it).
ClipboardItemPtr make(const Platform::PasteboardClip& clip,
                      const std::optional<Platform::RunningApplication>& sourceApp, ImageStore& images);

// An http or https address with a host, at most 2,047 characters, without spaces or line feeds.
bool isWebURL(const QString& text);

// The 64 lower-case hexadecimal digits of the SHA-256 digest.
QString sha256(const QByteArray& data);

// The dedupe key of text content. A link is keyed by the trimmed text it is pasted back as, so
// pasting it back never creates a second item.
QString textDedupeKey(const QString& text);

} // namespace ClipboardItemFactory
