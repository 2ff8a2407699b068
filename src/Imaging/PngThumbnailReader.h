#pragma once

#include <QImage>
#include <QString>

// Reads a downscaled copy of a PNG file one row at a time, averaging each source pixel into its
// place in the small picture, so that memory stays at one source row plus the result however
// large the picture is. Qt's own PNG reader decodes the whole picture before scaling it.
namespace PngThumbnailReader {

// The picture at `path` scaled so that its larger side is at most `maxSide` pixels (never
// enlarged). A null image when the file is not a readable, non-interlaced PNG (interlaced pictures
// deliver their rows in passes and cannot be streamed this way).
QImage read(const QString& path, int maxSide);

} // namespace PngThumbnailReader
