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
    // A format that cannot decode scaled holds the whole picture before Qt scales it.
    const QSize held = scaled && reader.supportsOption(QImageIOHandler::ScaledSize) ? size : original;
    if (decodedBytes(held) > maxBytes)
        return {};
    if (scaled)
        reader.setScaledSize(size);
    return reader.read();
}

} // namespace BoundedDecode
