#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Fetches the bytes of a picture from the web for RemoteImageLoader. The fetcher over Qt Network
// lives in the web images module, opened when the first remote picture is to be shown, so that a
// start loads neither Qt Network nor its TLS and Kerberos libraries.
class WebImageFetcher {
public:
    struct Limits {
        qint64 maxBytes = 0;
        int timeoutMs = 0;
        int maxRedirects = 0;
    };

    virtual ~WebImageFetcher() = default;

    // Fetches `url` (http or https). Redirects stay on the web and never go from https down to
    // http; a body larger than `maxBytes`, or one not complete within `timeoutMs`, is given up.
    // `done` runs once, on the calling thread, with the body or nothing for any failure, and not at
    // all once the fetcher is gone.
    virtual void fetch(const QUrl& url, const Limits& limits, std::function<void(std::optional<QByteArray>)> done) = 0;
};

// The schemes pictures are fetched over (given in lower case): http and https, nothing else.
inline bool isWebScheme(const QString& scheme) {
    return scheme == u"http" || scheme == u"https";
}

// The web images module, and what it exports.
inline constexpr char kWebImagesModule[] = "quillstack-web-images.so";
inline constexpr char kWebImagesEntry[] = "quillstack_make_web_image_fetcher";
// Makes the module's fetcher, to be used on the calling thread; the caller owns it.
using MakeWebImageFetcher = WebImageFetcher* (*)();
