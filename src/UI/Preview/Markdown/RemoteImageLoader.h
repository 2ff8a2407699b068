#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class WebImageFetcher;

// Pictures named by a Markdown text, fetched from the web with care: only http and https, nothing
// followed to another scheme or from https down to http, at most a few megabytes, given up after a
// deadline, and decoded off the GUI thread no larger than the place that shows them. A picture that
// cannot be had this way is simply not shown; no other request is ever made. The fetching itself is
// done by the web images module (WebImageFetcher.h), opened by the first picture fetched.
class RemoteImageLoader : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBytes = 5 * 1024 * 1024;
        int timeoutMs = 10000;
        int maxRedirects = 5;
        // Decoding refuses pictures that would need more memory than this.
        int maxDecodeMegabytes = 64;
    };

    explicit RemoteImageLoader(QObject* parent = nullptr);
    ~RemoteImageLoader() override;

    void setLimits(const Limits& limits) { m_limits = limits; }
    const Limits& limits() const { return m_limits; }

    // The address a Markdown image source is fetched from: an absolute http or https URL with a
    // host. Nothing for any other source (relative paths, file: and data: URLs, other schemes).
    static std::optional<QUrl> fetchableUrl(const QString& source);

    // Fetches `url` and decodes it to fit `box` (device pixels; 0 leaves a side unbounded). `done`
    // runs on this object's thread with the picture, or a null image when it could not be had, and
    // not at all once `context` is gone.
    void load(const QUrl& url, QSize box, QObject* context, std::function<void(const QImage&)> done);

    // Decodes image bytes to fit `box`, refusing what would take more than `maxMegabytes`.
    static QImage decode(const QByteArray& bytes, QSize box, int maxMegabytes);

private:
    // The module's fetcher, made on the first call; null when the module cannot be had.
    WebImageFetcher* fetcher();

    Limits m_limits;
    bool m_fetcherMade = false;
    std::unique_ptr<WebImageFetcher> m_fetcher;
};
