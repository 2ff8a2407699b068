#include "OCRService.h"

#include "Platform/TextRecognizer.h"

#include <QImageReader>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace OCRService {

namespace {

QThreadPool& recognitionPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qBound(1, QThread::idealThreadCount() / 2, 2));
        // Threads (and with them their engines) are released after a quiet minute.
        p->setExpiryTimeout(60'000);
        return p;
    }();
    return *pool;
}

QImage loadImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    const qint64 pixels = static_cast<qint64>(size.width()) * size.height();
    if (pixels > kMaxPixels) {
        const double scale = std::sqrt(static_cast<double>(kMaxPixels) / static_cast<double>(pixels));
        reader.setScaledSize(QSize(qMax(1, static_cast<int>(size.width() * scale)),
                                   qMax(1, static_cast<int>(size.height() * scale))));
    }
    return reader.read();
}

std::optional<QString> recognizeFile(const QString& path, Platform::TextRecognizer* recognizer) {
    if (!recognizer)
        return std::nullopt;
    const QImage image = loadImage(path);
    if (image.isNull())
        return std::nullopt;
    const QString text = recognizer->recognizeLines(image).join(u'\n').trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

QFuture<std::optional<QString>> recognize(const QString& imagePath, Platform::TextRecognizer* recognizer) {
    if (!recognizer)
        recognizer = Platform::TextRecognizer::standard();
    return QtConcurrent::run(&recognitionPool(), recognizeFile, imagePath, recognizer);
}

} // namespace OCRService
