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

std::optional<Platform::InstanceCommand> LaunchRequest::commandNeedingAnInstance() const {
    for (const Platform::InstanceCommand command : commands) {
        if (Platform::needsRunningInstance(command))
            return command;
    }
    return std::nullopt;
}

LaunchRequest parseCommandLine(const QStringList& arguments) {
    LaunchRequest request;
    QList<Platform::InstanceCommand> given;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (const auto command = Platform::instanceCommandOfFlag(argument.toStdString())) {
            given.append(*command);
        } else if (argument == QLatin1String("--show-history")) {
            request.showHistory = true;
        } else if (argument == QLatin1String(Platform::Relauncher::relaunchFlag)) {
            request.relaunched = true;
        } else if (!argument.startsWith(QLatin1Char('-'))) {
            const QUrl url(argument, QUrl::StrictMode);
            if (url.isValid() && !url.scheme().isEmpty())
                request.urls.append(url);
        }
    }
    for (const Platform::InstanceCommandFlag& entry : Platform::instanceCommandFlags) {
        if (given.contains(entry.command))
            request.commands.append(entry.command);
    }
    return request;
}

} // namespace App
