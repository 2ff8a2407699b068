#include "RemoteImageLoader.h"

#include "../BoundedImage.h"
#include "Imaging/BoundedDecode.h"
#include "WebImageFetcher.h"

#include <Platform/Modules/EngineModules.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

RemoteImageLoader::RemoteImageLoader(QObject* parent) : QObject(parent) {}

RemoteImageLoader::~RemoteImageLoader() = default;

std::optional<QUrl> RemoteImageLoader::fetchableUrl(const QString& source) {
    const QUrl url(source.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty() || !isWebScheme(url.scheme().toLower()))
        return std::nullopt;
    return url;
}

WebImageFetcher* RemoteImageLoader::fetcher() {
    if (!m_fetcherMade) {
        m_fetcherMade = true;
        std::string error;
        const auto make =
            Platform::EngineModules::entryAs<MakeWebImageFetcher>(kWebImagesModule, kWebImagesEntry, error);
        if (make)
            m_fetcher.reset(make());
        else
            Platform::EngineModules::reportUnavailable(kWebImagesModule, error, "remote pictures are not shown.");
    }
    return m_fetcher.get();
}

QImage RemoteImageLoader::decode(const QByteArray& bytes, QSize box, int maxMegabytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize original = reader.size();
    if (!original.isValid() || original.isEmpty())
        return {};
    return BoundedDecode::read(reader, BoundedImage::decodeSize(original, box), qint64(maxMegabytes) * 1024 * 1024);
}

void RemoteImageLoader::load(const QUrl& url, QSize box, QObject* context,
                             std::function<void(const QImage&)> done) {
    QPointer<QObject> guard(context);
    const Limits limits = m_limits;
    // Called once: with the picture, or a null image for any failure.
    auto finish = std::make_shared<std::function<void(const QImage&)>>(
        [guard, done = std::move(done)](const QImage& image) {
            if (guard)
                done(image);
        });
    WebImageFetcher* web = isWebScheme(url.scheme().toLower()) ? fetcher() : nullptr;
    if (!web) {
        QTimer::singleShot(0, this, [finish] { (*finish)({}); });
        return;
    }
    const WebImageFetcher::Limits fetchLimits{limits.maxBytes, limits.timeoutMs, limits.maxRedirects};
    web->fetch(url, fetchLimits, [finish, box, limits](std::optional<QByteArray> body) {
        if (!body) {
            (*finish)({});
            return;
        }
        // Decoding untrusted bytes is work for a worker; the picture comes back to the GUI thread,
        // where `finish` checks that its receiver is still there.
        QThreadPool::globalInstance()->start([body = std::move(*body), finish, box, limits] {
            const QImage image = decode(body, box, limits.maxDecodeMegabytes);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [finish, image] { (*finish)(image); }, Qt::QueuedConnection);
        });
    });
}
