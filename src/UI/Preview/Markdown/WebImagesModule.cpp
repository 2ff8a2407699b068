// The web images module: the picture fetches of RemoteImageLoader over Qt Network, opened when the
// first remote picture is to be shown.
#include "WebImageFetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>
#include <type_traits>

namespace {

class NetworkImageFetcher final : public WebImageFetcher {
public:
    NetworkImageFetcher() { m_network.setAutoDeleteReplies(true); }

    void fetch(const QUrl& url, const Limits& limits, std::function<void(std::optional<QByteArray>)> done) override {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::UserVerifiedRedirectPolicy);
        request.setMaximumRedirectsAllowed(limits.maxRedirects);
        request.setTransferTimeout(limits.timeoutMs);
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        QNetworkReply* reply = m_network.get(request);

        auto body = std::make_shared<QByteArray>();
        auto failed = std::make_shared<bool>(false);
        const auto fail = [reply, failed] {
            *failed = true;
            reply->abort();
        };
        // Redirects stay on the web, and never go from https down to http.
        QObject::connect(reply, &QNetworkReply::redirected, reply, [reply, fail, from = url](const QUrl& to) {
            const QString scheme = to.scheme().toLower();
            if (!isWebScheme(scheme) || (from.scheme().toLower() == u"https" && scheme == u"http"))
                fail();
            else
                emit reply->redirectAllowed();
        });
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, fail, limits] {
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            if (length.isValid() && length.toLongLong() > limits.maxBytes)
                fail();
        });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body, fail, limits] {
            body->append(reply->readAll());
            if (body->size() > limits.maxBytes)
                fail();
        });
        // The transfer timeout ends a silent server; this ends one that trickles.
        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, fail);
        deadline->start(limits.timeoutMs);

        QObject::connect(reply, &QNetworkReply::finished, reply,
                         [reply, body, failed, limits, done = std::move(done)] {
                             if (*failed || reply->error() != QNetworkReply::NoError) {
                                 done(std::nullopt);
                                 return;
                             }
                             body->append(reply->readAll());
                             if (body->size() > limits.maxBytes)
                                 done(std::nullopt);
                             else
                                 done(std::move(*body));
                         });
    }

private:
    QNetworkAccessManager m_network;
};

} // namespace

QS_MODULE_ENTRY WebImageFetcher* quillstack_make_web_image_fetcher() {
    return new NetworkImageFetcher();
}

static_assert(std::is_same_v<decltype(&quillstack_make_web_image_fetcher), MakeWebImageFetcher>);
