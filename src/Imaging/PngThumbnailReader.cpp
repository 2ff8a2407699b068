#include "PngThumbnailReader.h"

#include <QFile>

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace PngThumbnailReader {

namespace {

struct Geometry {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int targetWidth = 0;
    int targetHeight = 0;
};

// Buffers owned by read(); the decoding below only writes into them and creates nothing that needs
// destroying, because libpng reports errors with longjmp, which must not skip destructors.
struct Buffers {
    std::vector<png_byte> row;
    std::vector<int> columnOf;
    // Premultiplied red, green, blue and alpha per pixel of the one target row being filled: source
    // rows arrive in order, so a target row is finished once the next one starts.
    std::vector<quint64> sums;
    std::vector<quint64> columnCount;
    std::vector<quint64> rowCount;
    QImage image;
};

// Writes the averages of target row `ty` into the picture and clears the sums for the next one.
void finishRow(Buffers& b, int ty) {
    uchar* out = b.image.scanLine(ty);
    quint64* in = b.sums.data();
    const quint64 rows = b.rowCount[static_cast<size_t>(ty)];
    for (int tx = 0; tx < b.image.width(); ++tx, in += 4, out += 4) {
        const quint64 count = b.columnCount[static_cast<size_t>(tx)] * rows;
        const quint64 weight = qMax<quint64>(1, count * 255);
        out[0] = static_cast<uchar>(in[0] / weight);
        out[1] = static_cast<uchar>(in[1] / weight);
        out[2] = static_cast<uchar>(in[2] / weight);
        out[3] = static_cast<uchar>(in[3] / qMax<quint64>(1, count));
    }
    std::fill(b.sums.begin(), b.sums.end(), 0);
}

void accumulateRows(png_structp png, const Geometry& g, Buffers& b) {
    png_byte* row = b.row.data();
    const int* columnOf = b.columnOf.data();
    int current = 0;
    for (png_uint_32 y = 0; y < g.height; ++y) {
        png_read_row(png, row, nullptr);
        const int ty = static_cast<int>(static_cast<quint64>(y) * g.targetHeight / g.height);
        if (ty != current) {
            finishRow(b, current);
            current = ty;
        }
        quint64* line = b.sums.data();
        const png_byte* pixel = row;
        for (png_uint_32 x = 0; x < g.width; ++x, pixel += 4) {
            quint64* target = line + columnOf[x] * 4;
            const quint64 alpha = pixel[3];
            target[0] += pixel[0] * alpha;
            target[1] += pixel[1] * alpha;
            target[2] += pixel[2] * alpha;
            target[3] += alpha;
        }
    }
    finishRow(b, current);
}

} // namespace

QImage read(const QString& path, int maxSide) {
    if (maxSide <= 0)
        return {};
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    Buffers buffers;
    Geometry g;
    bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        g.width = png_get_image_width(png, info);
        g.height = png_get_image_height(png, info);
        const int colorType = png_get_color_type(png, info);
        if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE && g.width > 0 && g.height > 0) {
            // Every kind of PNG becomes 8-bit RGBA rows.
            png_set_expand(png);
            png_set_strip_16(png);
            if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
                png_set_gray_to_rgb(png);
            if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
                png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
            png_read_update_info(png, info);

            const double larger = static_cast<double>(qMax(g.width, g.height));
            const double scale = larger > maxSide ? maxSide / larger : 1.0;
            g.targetWidth = qMax(1, qRound(g.width * scale));
            g.targetHeight = qMax(1, qRound(g.height * scale));
            if (png_get_rowbytes(png, info) == static_cast<size_t>(g.width) * 4) {
                buffers.row.resize(static_cast<size_t>(g.width) * 4);
                buffers.columnOf.resize(g.width);
                buffers.columnCount.assign(static_cast<size_t>(g.targetWidth), 0);
                buffers.rowCount.assign(static_cast<size_t>(g.targetHeight), 0);
                for (png_uint_32 x = 0; x < g.width; ++x) {
                    buffers.columnOf[x] = static_cast<int>(static_cast<quint64>(x) * g.targetWidth / g.width);
                    ++buffers.columnCount[static_cast<size_t>(buffers.columnOf[x])];
                }
                for (png_uint_32 y = 0; y < g.height; ++y)
                    ++buffers
                          .rowCount[static_cast<size_t>(static_cast<quint64>(y) * g.targetHeight / g.height)];
                buffers.sums.assign(static_cast<size_t>(g.targetWidth) * 4, 0);
                buffers.image = QImage(g.targetWidth, g.targetHeight, QImage::Format_RGBA8888_Premultiplied);
                if (!buffers.image.isNull()) {
                    accumulateRows(png, g, buffers);
                    ok = true;
                }
            }
        }
    }
    png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
    std::fclose(file);
    if (!ok)
        return {};
    return std::move(buffers.image);
}

} // namespace PngThumbnailReader
