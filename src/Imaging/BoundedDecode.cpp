#include "BoundedDecode.h"

#include <QImageReader>

namespace BoundedDecode {

qint64 decodedBytes(QSize size) {
    return static_cast<qint64>(qMax(0, size.width())) * qMax(0, size.height()) * 4;
}

QImage read(QImageReader& reader, QSize size, qint64 maxBytes) {
    const QSize original = reader.size();
    if (!original.isValid() || original.isEmpty())
        return {};
    const bool scaled = size.isValid() && size != original;
    // Only JPEG decodes at a smaller size; every other format (PNG among them, though its reader
    // takes a scaled size) holds the whole picture before it is scaled.
    const QByteArray format = reader.format();
    const bool decodesScaled = format == "jpeg" || format == "jpg";
    const QSize held = scaled && decodesScaled ? size : original;
    if (decodedBytes(held) > maxBytes)
        return {};
    if (scaled)
        reader.setScaledSize(size);
    return reader.read();
}

} // namespace BoundedDecode
