#pragma once

#include "Platform/Workspace.h"

#include <QHash>

namespace Platform {

// A scripted desktop: tests choose the frontmost and running applications and the installed desktop
// files; activations and openings are recorded.
class FakeWorkspace : public Workspace {
public:
    struct OpenedFiles {
        QStringList paths;
        QString desktopId;
    };

    std::optional<RunningApplication> frontmost;
    QList<RunningApplication> running;
    QHash<QString, DesktopApplication> installed;
    // What activate/openUrl/openFiles answer (openFiles also needs the application installed).
    bool succeeds = true;

    QList<RunningApplication> activated;
    QList<QUrl> openedUrls;
    QList<OpenedFiles> openedFiles;

    std::optional<RunningApplication> frontmostApplication() override { return frontmost; }
    QList<RunningApplication> runningApplications() override { return running; }
    bool activate(const RunningApplication& application) override {
        activated << application;
        return succeeds;
    }
    bool openUrl(const QUrl& url) override {
        openedUrls << url;
        return succeeds;
    }
    bool openFiles(const QStringList& paths, const QString& desktopId) override {
        if (!installed.contains(desktopId))
            return false;
        openedFiles << OpenedFiles{paths, desktopId};
        return succeeds;
    }
    std::optional<DesktopApplication> application(const QString& desktopId) override {
        const auto it = installed.constFind(desktopId);
        return it == installed.constEnd() ? std::nullopt : std::optional(*it);
    }
};

} // namespace Platform
