#pragma once

#include <Capture/PasteboardMonitorInterface.h>
#include <Platform/Workspace.h>
#include <Storage/ClipboardItem.h>

#include <QObject>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

class ImageStore;
namespace Platform {
class Pasteboard;
class RepeatingTimer;
class Scheduler;
class UserDefaults;
} // namespace Platform

// The capture engine: watches the clipboard, decides whether a change is recorded (pause, concealed
// and transient content, ignored applications), names the application in front as the source and
// hands the item the clip factory makes to `store`.
//
// Every owner change the X server announces runs a check on the next turn of the event loop, so the
// source application is read while it is still in front; only a clipboard that announces nothing is
// polled, by a 0.3 s timer comparing the change count. Reading the clip, building the item and
// tagging its text (HistoryStore::classify) happen off the GUI thread, one clip after the other in
// the order of the changes; items come back to the GUI thread for the store.
class PasteboardMonitor : public QObject, public App::PasteboardMonitor {
    Q_OBJECT
public:
    // The editor a forced check names as the source while it runs.
    static inline const QString veskBundleID = QStringLiteral("dev.zuvidevozadode.vesk");

    struct Dependencies {
        Platform::Pasteboard& pasteboard;
        Platform::Workspace& workspace;
        Platform::UserDefaults& defaults;
        Platform::Scheduler& scheduler;
        ImageStore& images;
        // Files a captured item (HistoryStore::add in the application).
        std::function<void(const ClipboardItemPtr&)> store;
    };

    explicit PasteboardMonitor(Dependencies dependencies, QObject* parent = nullptr);
    ~PasteboardMonitor() override;

    void start() override;
    // Forced checks skip only the change-count comparison and attribute the clip to the editor while
    // it runs; pause, concealed content and the ignore list hold for them as for the timer.
    void check(bool force) override;
    bool isPaused() const override { return m_paused; }
    void setPaused(bool paused) override { m_paused = paused; }

    // Ends capture until the next start(): no further checks, and clips still being read are
    // dropped (with any image file already written for them).
    void stop();
    bool isStopped() const { return m_stopped; }

    // Blocks until clips already being read have been turned into items (their hand-off to the
    // store still comes through the event loop). For tests and orderly shutdown.
    void waitForPendingClips();

private:
    bool isIgnored(const std::optional<Platform::RunningApplication>& application) const;
    std::optional<Platform::RunningApplication> runningVesk();
    void deliver(const ClipboardItemPtr& item);

    Dependencies m_deps;
    bool m_paused = false;
    bool m_stopped = false;
    bool m_running = false;
    qint64 m_lastChangeCount = 0;
    // The change count of the clip being read, while a read is under way.
    std::optional<qint64> m_pendingReadCount;
    std::unique_ptr<Platform::RepeatingTimer> m_timer;
    // One worker, so clips become items in the order they were copied.
    QThreadPool m_worker;
};
