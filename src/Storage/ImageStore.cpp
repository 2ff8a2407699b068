#include "ImageStore.h"

#include "Analysis/FutureDelivery.h"
#include "Imaging/BoundedDecode.h"
#include "Imaging/PngThumbnailReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

constexpr QFileDevice::Permissions kOwnerOnlyDirectory =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// A thumbnail never needs more than this; a reader that cannot decode at the smaller size gives up
// on a huge image rather than holding it whole.
constexpr qint64 kThumbnailDecodeLimit = 64 * 1024 * 1024;

// Names come from the store's own records; anything that could reach outside the directory is
// refused rather than resolved.
bool isPlainName(const QString& filename) {
    return !filename.isEmpty() && filename != u"." && filename != u".." && !filename.contains(u'/') &&
           !filename.contains(QChar(0));
}

int thumbnailPixels(double maxDimension) {
    if (!std::isfinite(maxDimension) || maxDimension <= 0)
        return 0;
    return static_cast<int>(qMin(maxDimension * 2.0, 1.0e9));
}

} // namespace

ImageStore::ImageStore(QString directory) : m_directory(QDir::cleanPath(directory)) {
    ensureDirectory();
}

ImageStore& ImageStore::shared() {
    static ImageStore store(defaultDirectory());
    return store;
}

QString ImageStore::defaultDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillstack/Images");
}

void ImageStore::ensureDirectory() const {
    if (QFileInfo(m_directory).isDir())
        return;
    QDir().mkpath(m_directory);
    QFile::setPermissions(m_directory, kOwnerOnlyDirectory);
    // The application's own data folder ("Quillstack") is private as well.
    const QString parent = QFileInfo(m_directory).absolutePath();
    if (QFileInfo(parent).fileName() == QStringLiteral("Quillstack"))
        QFile::setPermissions(parent, kOwnerOnlyDirectory);
}

QString ImageStore::path(const QString& filename) const {
    return m_directory + u'/' + filename;
}

QString ImageStore::thumbnailKey(const QString& filename, double maxDimension) {
    return filename + u'-' + QString::number(thumbnailPixels(maxDimension));
}

qint64 ImageStore::thumbnailCost(const QImage& image) {
    return static_cast<qint64>(image.bytesPerLine()) * image.height();
}

qint64 ImageStore::fullImageCost(const QImage& image) {
    return qMax<qint64>(1, static_cast<qint64>(image.width()) * image.height() * 4);
}

QImage ImageStore::readThumbnail(const QString& filename, int pixels) const {
    if (pixels <= 0 || !isPlainName(filename))
        return {};
    QImageReader reader(path(filename));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    // Qt decodes a PNG whole before scaling it; a large one is streamed instead.
    if (reader.format() == "png" && BoundedDecode::decodedBytes(size) > kThumbnailDecodeLimit)
        return PngThumbnailReader::read(path(filename), pixels);
    QSize target = size;
    const int larger = qMax(size.width(), size.height());
    if (larger > pixels) {
        const double scale = static_cast<double>(pixels) / larger;
        target = QSize(qMax(1, qRound(size.width() * scale)), qMax(1, qRound(size.height() * scale)));
    }
    return BoundedDecode::read(reader, target, kThumbnailDecodeLimit);
}

QImage ImageStore::readImage(const QString& filename) const {
    if (!isPlainName(filename))
        return {};
    QImageReader reader(path(filename));
    reader.setAutoTransform(true);
    return reader.read();
}

QImage ImageStore::thumbnail(const QString& filename, double maxDimension) {
    const int pixels = thumbnailPixels(maxDimension);
    const QString key = thumbnailKey(filename, maxDimension);
    if (auto cached = m_thumbnails.find(key))
        return *cached;
    const QImage image = readThumbnail(filename, pixels);
    if (!image.isNull())
        m_thumbnails.insert(key, image, thumbnailCost(image));
    return image;
}

QImage ImageStore::image(const QString& filename) {
    if (auto cached = m_fullImages.find(filename))
        return *cached;
    const QImage image = readImage(filename);
    if (!image.isNull())
        m_fullImages.insert(filename, image, fullImageCost(image));
    return image;
}

void ImageStore::imageAsync(const QString& filename, QObject* context, std::function<void(QImage)> done) {
    if (auto cached = m_fullImages.find(filename)) {
        QMetaObject::invokeMethod(
            context, [done = std::move(done), image = *cached] { done(image); }, Qt::QueuedConnection);
        return;
    }
    QFuture<QImage> load = QtConcurrent::run([this, filename] { return readImage(filename); });
    deliverOnContextThread(load, context, [this, filename, done = std::move(done)](const QImage& image) {
        if (!image.isNull())
            m_fullImages.insert(filename, image, fullImageCost(image));
        done(image);
    });
}

void ImageStore::thumbnailAsync(const QString& filename, double maxDimension, QObject* context,
                                std::function<void(QImage)> done) {
    const QString key = thumbnailKey(filename, maxDimension);
    if (auto cached = m_thumbnails.find(key)) {
        QMetaObject::invokeMethod(
            context, [done = std::move(done), image = *cached] { done(image); }, Qt::QueuedConnection);
        return;
    }
    const int pixels = thumbnailPixels(maxDimension);
    QFuture<QImage> load =
        QtConcurrent::run([this, filename, pixels] { return readThumbnail(filename, pixels); });
    deliverOnContextThread(load, context, [this, key, done = std::move(done)](const QImage& image) {
        if (!image.isNull())
            m_thumbnails.insert(key, image, thumbnailCost(image));
        done(image);
    });
}

bool ImageStore::write(const QString& filename, const QByteArray& png) {
    if (!isPlainName(filename))
        return false;
    ensureDirectory();
    QSaveFile file(path(filename));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(kOwnerOnlyFile);
    if (file.write(png) != png.size())
        return false;
    return file.commit();
}

bool ImageStore::exists(const QString& filename) const {
    return isPlainName(filename) && QFileInfo::exists(path(filename));
}

void ImageStore::remove(const QString& filename) {
    if (isPlainName(filename))
        QFile::remove(path(filename));
    // Thumbnails of every size the views asked for.
    m_thumbnails.removeWithPrefix(filename + u'-');
    m_fullImages.remove(filename);
}

bool ImageStore::removeDirectory() {
    m_thumbnails.clear();
    m_fullImages.clear();
    return QDir(m_directory).removeRecursively();
}
