#include "StorageTestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QtEndian>

#include <zlib.h>

#include <vector>

namespace StorageTestSupport {

QString dedupeKey(const QString& prefix, const QByteArray& bytes) {
    return prefix + QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

NewClipboardItem textItem(const QString& text) {
    NewClipboardItem item;
    item.type = ItemType::text;
    item.plainText = text;
    item.dedupeKey = dedupeKey(QStringLiteral("txt:"), text.toUtf8());
    return item;
}

QByteArray pngBytes(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

namespace {

void writeChunk(QFile& file, const char type[4], const QByteArray& data) {
    quint32 length = qToBigEndian(static_cast<quint32>(data.size()));
    file.write(reinterpret_cast<const char*>(&length), 4);
    QByteArray typed(type, 4);
    typed += data;
    file.write(typed);
    quint32 crc = qToBigEndian(static_cast<quint32>(
        ::crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), static_cast<uInt>(typed.size()))));
    file.write(reinterpret_cast<const char*>(&crc), 4);
}

} // namespace

bool writeHugeGreyPng(const QString& path, int width, int height) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(static_cast<quint32>(width), header.data());
    qToBigEndian(static_cast<quint32>(height), header.data() + 4);
    header[8] = 8; // bit depth
    header[9] = 0; // greyscale
    writeChunk(file, "IHDR", header);

    z_stream stream{};
    deflateInit(&stream, Z_BEST_SPEED);
    std::vector<unsigned char> row(static_cast<size_t>(width) + 1, 0xFF);
    row[0] = 0; // filter: none
    std::vector<unsigned char> out(1 << 16);
    QByteArray compressed;
    for (int y = 0; y < height; ++y) {
        stream.next_in = row.data();
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, flush);
            compressed.append(reinterpret_cast<const char*>(out.data()),
                              static_cast<qsizetype>(out.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    writeChunk(file, "IDAT", compressed);
    writeChunk(file, "IEND", {});
    return file.error() == QFileDevice::NoError;
}

} // namespace StorageTestSupport
