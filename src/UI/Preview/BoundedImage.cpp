#include "BoundedImage.h"

#include <Analysis/FutureDelivery.h>
#include <Storage/ImageStore.h>

#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

namespace BoundedImage {

QSize decodeSize(QSize original, QSize box) {
    if (original.isEmpty())
        return {};
    double scale = 1.0;
    if (box.width() > 0)
        scale = std::min(scale, static_cast<double>(box.width()) / original.width());
    if (box.height() > 0)
        scale = std::min(scale, static_cast<double>(box.height()) / original.height());
    scale = std::min(scale, static_cast<double>(kMaxSide) / std::max(original.width(), original.height()));
    return {std::max(1, static_cast<int>(std::lround(original.width() * scale))),
            std::max(1, static_cast<int>(std::lround(original.height() * scale)))};
}

Loaded read(ImageStore& store, const QString& filename, QSize box) {
    if (!store.exists(filename))
        return {};
    // The header alone: the size the file declares, turned as the picture will be shown.
    QImageReader reader(store.path(filename));
    reader.setAutoTransform(true);
    QSize original = reader.size();
    if (!original.isValid() || original.isEmpty())
        return {};
    if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
        original.transpose();
    const QSize target = decodeSize(original, box);
    // The store's downsampled read keeps memory at the small size, streaming large PNG files row
    // by row; its bound is twice the dimension asked for.
    const QImage image = store.thumbnail(filename, std::max(target.width(), target.height()) / 2.0);
    if (image.isNull())
        return {};
    return {image, original};
}

void load(ImageStore& store, const QString& filename, QSize box, QObject* context,
          std::function<void(const Loaded&)> done) {
    QFuture<Loaded> future =
        QtConcurrent::run([&store, filename, box] { return read(store, filename, box); });
    deliverOnContextThread(future, context, std::move(done));
}

} // namespace BoundedImage
