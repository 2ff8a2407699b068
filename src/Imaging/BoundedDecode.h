#pragma once

#include <QImage>
#include <QSize>

class QImageReader;

// Decoding a picture without letting its declared size decide how much memory is taken.
//
// Qt's allocation limit cannot serve here: it is one setting for the whole process, so a reader
// that lowers it lowers it for every other reader on every thread.
namespace BoundedDecode {

// Decodes `reader`'s picture at `size` (its own size when invalid). The decode is refused, and a
// null image returned, when it would hold more than `maxBytes`: the picture at `size` for JPEG,
// which decodes scaled, the whole picture for every other format. Large PNG files are better read with
// PngThumbnailReader, which streams them.
QImage read(QImageReader& reader, QSize size, qint64 maxBytes);

// The bytes a decoded picture of `size` takes (four per pixel).
qint64 decodedBytes(QSize size);

} // namespace BoundedDecode
