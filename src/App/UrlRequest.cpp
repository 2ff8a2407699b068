#include "UrlRequest.h"

#include <Platform/Relauncher.h>

namespace App {

namespace {
QString trimSlashes(QString text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char('/'))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char('/'))
        --end;
    return text.mid(start, end - start);
}
} // namespace

std::optional<QString> quillstackAction(const QUrl& url) {
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    if (url.scheme().toLower() != QLatin1String("quillstack"))
        return std::nullopt;
    const QString host = url.host();
    const QString raw = host.isEmpty() ? url.path() : host;
    return trimSlashes(raw).toLower();
}

LaunchRequest parseCommandLine(const QStringList& arguments) {
    LaunchRequest request;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--show-history")) {
            request.showHistory = true;
        } else if (argument == QLatin1String(Platform::Relauncher::relaunchFlag)) {
            request.relaunched = true;
        } else if (!argument.startsWith(QLatin1Char('-'))) {
            const QUrl url(argument, QUrl::StrictMode);
            if (url.isValid() && !url.scheme().isEmpty())
                request.urls.append(url);
        }
    }
    return request;
}

} // namespace App
