#include "RemoteImageLoader.h"

#include "../BoundedImage.h"
#include "Imaging/BoundedDecode.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

namespace {

bool isWebScheme(const QString& scheme) {
    return scheme == u"http" || scheme == u"https";
}

} // namespace

RemoteImageLoader::RemoteImageLoader(QObject* parent) : QObject(parent) {}

RemoteImageLoader::~RemoteImageLoader() = default;

std::optional<QUrl> RemoteImageLoader::fetchableUrl(const QString& source) {
    const QUrl url(source.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty() || !isWebScheme(url.scheme().toLower()))
        return std::nullopt;
    return url;
}

QNetworkAccessManager* RemoteImageLoader::network() {
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setAutoDeleteReplies(true);
    }
    return m_network;
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
    if (!isWebScheme(url.scheme().toLower())) {
        QTimer::singleShot(0, this, [finish] { (*finish)({}); });
        return;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits.maxRedirects);
    request.setTransferTimeout(limits.timeoutMs);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    QNetworkReply* reply = network()->get(request);

    auto body = std::make_shared<QByteArray>();
    auto failed = std::make_shared<bool>(false);
    const auto fail = [reply, failed] {
        *failed = true;
        reply->abort();
    };
    // Redirects stay on the web, and never go from https down to http.
    connect(reply, &QNetworkReply::redirected, reply, [reply, fail, from = url](const QUrl& to) {
        const QString scheme = to.scheme().toLower();
        if (!isWebScheme(scheme) || (from.scheme().toLower() == u"https" && scheme == u"http"))
            fail();
        else
            emit reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, fail, limits] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.maxBytes)
            fail();
    });
    connect(reply, &QNetworkReply::readyRead, reply, [reply, body, fail, limits] {
        body->append(reply->readAll());
        if (body->size() > limits.maxBytes)
            fail();
    });
    // The transfer timeout ends a silent server; this ends one that trickles.
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, fail);
    deadline->start(limits.timeoutMs);

    connect(reply, &QNetworkReply::finished, this, [reply, body, failed, finish, box, limits] {
        if (*failed || reply->error() != QNetworkReply::NoError) {
            (*finish)({});
            return;
        }
        body->append(reply->readAll());
        if (body->size() > limits.maxBytes) {
            (*finish)({});
            return;
        }
        // Decoding untrusted bytes is work for a worker; the picture comes back to the GUI thread,
        // where `finish` checks that its receiver is still there.
        QThreadPool::globalInstance()->start([body, finish, box, limits] {
            const QImage image = decode(*body, box, limits.maxDecodeMegabytes);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [finish, image] { (*finish)(image); }, Qt::QueuedConnection);
        });
    });
}
