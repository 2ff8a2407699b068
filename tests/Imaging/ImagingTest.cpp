#include "Imaging/BoundedDecode.h"
#include "Imaging/PngThumbnailReader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

// What a decode may hold is the picture at the size asked for where the format decodes scaled
// (JPEG), and the whole picture where it does not (BMP, PNG): a small target never lets a huge
// picture of such a format through.
TEST(BoundedDecode, RefusesWhatWouldHoldMoreThanTheBound) {
    constexpr qint64 kMegabyte = 1024 * 1024;
    struct Case {
        const char* format;
        QSize size;
        QSize target;
        qint64 bound;
        bool decoded;
    };
    const Case cases[] = {
        {"jpeg", {2000, 1500}, {200, 150}, kMegabyte, true},
        {"bmp", {2000, 1500}, {200, 150}, kMegabyte, false},
        {"png", {2000, 1500}, {200, 150}, kMegabyte, false},
        {"png", {2000, 1500}, {200, 150}, 12 * kMegabyte, true},
        {"png", {400, 300}, {}, kMegabyte, true},
        {"jpeg", {2000, 1500}, {}, kMegabyte, false},
    };
    const int limit = QImageReader::allocationLimit();
    for (const Case& c : cases) {
        QByteArray bytes = encoded(c.size, c.format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, c.format);
        const QImage image = BoundedDecode::read(reader, c.target, c.bound);
        const QString what = QStringLiteral("%1 %2x%3").arg(c.format).arg(c.size.width()).arg(c.size.height());
        EXPECT_EQ(!image.isNull(), c.decoded) << qPrintable(what);
        if (c.decoded) {
            EXPECT_EQ(image.size(), c.target.isValid() ? c.target : c.size) << qPrintable(what);
        }
    }
    EXPECT_EQ(QImageReader::allocationLimit(), limit) << "the process-wide limit is never touched";
}

// The streamed reader gives the same picture as Qt's reader for the common PNG kinds.
TEST(PngThumbnailReader, AveragesLikeAScaledImage) {
    QTemporaryDir dir;
    QImage image(400, 200, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 255));
    const QString path = dir.filePath(QStringLiteral("half.png"));
    ASSERT_TRUE(image.save(path, "PNG"));
    const QImage thumbnail = PngThumbnailReader::read(path, 40);
    ASSERT_EQ(thumbnail.size(), QSize(40, 20));
    EXPECT_EQ(thumbnail.pixelColor(5, 10), QColor(0, 0, 255));
    EXPECT_EQ(thumbnail.pixelColor(35, 10).alpha(), 0);
    EXPECT_EQ(PngThumbnailReader::read(path, 1000).size(), QSize(400, 200));

    const QString palette = dir.filePath(QStringLiteral("palette.png"));
    ASSERT_TRUE(image.convertToFormat(QImage::Format_Indexed8).save(palette, "PNG"));
    EXPECT_EQ(PngThumbnailReader::read(palette, 40).pixelColor(5, 10), QColor(0, 0, 255));
    EXPECT_TRUE(PngThumbnailReader::read(dir.filePath(QStringLiteral("missing.png")), 40).isNull());
}

} // namespace
