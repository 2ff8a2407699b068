#pragma once

#include "ImageCache.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>

// The PNG files of image items, one per item, in one directory ($XDG_DATA_HOME/Quillstack/Images,
// mode 0700, files 0600), with two in-memory caches: thumbnails by file name and pixel size, and a
// few full images by file name. All functions take the bare file name.
//
// Nothing here reports an error: an unreadable or missing file gives a null image (and nothing is
// cached), so the next request tries the disk again.
class ImageStore {
public:
    static constexpr qsizetype kThumbnailCountLimit = 400;
    static constexpr qint64 kThumbnailCostLimit = 40LL * 1024 * 1024;
    static constexpr qsizetype kFullImageCountLimit = 12;
    static constexpr qint64 kFullImageCostLimit = 80LL * 1024 * 1024;

    // The store over `directory`, created (with missing parents) when absent.
    explicit ImageStore(QString directory);

    // The application's store over defaultDirectory(); created on first use.
    static ImageStore& shared();
    static QString defaultDirectory();

    const QString& directory() const { return m_directory; }
    QString path(const QString& filename) const;

    // A downsampled image whose larger side has at most 2 × maxDimension pixels, orientation
    // applied. A huge picture is never held whole in memory: large PNG files are read row by row
    // into the small size, formats whose reader scales while decoding (JPEG) are decoded small,
    // and any other picture beyond 64 MB decoded gives no thumbnail.
    QImage thumbnail(const QString& filename, double maxDimension);
    // The whole image; pictures beyond Qt's image allocation limit (256 MB decoded) give none.
    QImage image(const QString& filename);

    // The same loads on a worker thread; `done` runs on the thread of `context` (the GUI thread in
    // practice), and not at all when `context` is gone by then. Results are cached there too. The
    // store must outlive the loads it has started (the application's store lives for the process).
    void imageAsync(const QString& filename, QObject* context, std::function<void(QImage)> done);
    void thumbnailAsync(const QString& filename, double maxDimension, QObject* context,
                        std::function<void(QImage)> done);

    // Writes `png` as the file `filename`, atomically, mode 0600. False when it could not be written.
    bool write(const QString& filename, const QByteArray& png);
    // Whether the file is there.
    bool exists(const QString& filename) const;
    // Removes the file and its cache entries (its thumbnails of every size); a missing file is not
    // an error.
    void remove(const QString& filename);
    // Removes the whole directory with every file in it and empties both caches. The directory is
    // created again on the next write.
    bool removeDirectory();

    static QString thumbnailKey(const QString& filename, double maxDimension);
    // Costs by which the caches count their entries.
    static qint64 thumbnailCost(const QImage& image);
    static qint64 fullImageCost(const QImage& image);

    ImageCache& thumbnailCache() { return m_thumbnails; }
    ImageCache& fullImageCache() { return m_fullImages; }

private:
    void ensureDirectory() const;
    QImage readThumbnail(const QString& filename, int pixels) const;
    QImage readImage(const QString& filename) const;

    QString m_directory;
    ImageCache m_thumbnails{kThumbnailCountLimit, kThumbnailCostLimit};
    ImageCache m_fullImages{kFullImageCountLimit, kFullImageCostLimit};
};
