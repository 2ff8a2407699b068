#pragma once

#include "Storage/ClipboardItem.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// Helpers shared by the storage tests, the crash writer and the benchmarks.
namespace StorageTestSupport {

// "txt:" / "img:" / "file:" followed by the lowercase SHA-256 of `bytes`, as captures key items.
QString dedupeKey(const QString& prefix, const QByteArray& bytes);

NewClipboardItem textItem(const QString& text);
// A PNG of the given size and colour, encoded.
QByteArray pngBytes(QSize size, QColor color = Qt::red);

// Writes a valid 8-bit greyscale PNG of width × height pixels without ever holding the picture
// in memory (rows are deflated as a stream), so huge images can be made cheaply.
bool writeHugeGreyPng(const QString& path, int width, int height);

// The history limit of the crash writer's "queued" mode.
constexpr int kQueuedCrashHistoryLimit = 12;

} // namespace StorageTestSupport
