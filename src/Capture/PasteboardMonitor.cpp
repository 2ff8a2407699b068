#include "PasteboardMonitor.h"

#include "ClipboardItemFactory.h"

#include <Capture/DefaultSettings.h>
#include <Platform/Pasteboard.h>
#include <Platform/Scheduler.h>
#include <Platform/UserDefaults.h>
#include <Storage/HistoryStore.h>
#include <Storage/ImageStore.h>

#include <QPointer>

using namespace std::chrono_literals;

PasteboardMonitor::PasteboardMonitor(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)), m_lastChangeCount(m_deps.pasteboard.changeCount()) {
    m_worker.setMaxThreadCount(1);
    m_worker.setObjectName(QStringLiteral("clip capture"));
}

PasteboardMonitor::~PasteboardMonitor() {
    m_stopped = true;
    m_worker.waitForDone();
}

void PasteboardMonitor::start() {
    if (m_running)
        return;
    m_running = true;
    // Clips copied before capture (re)started are not taken.
    m_lastChangeCount = m_deps.pasteboard.changeCount();
    m_stopped = false;
    // Polled only where changes are not announced: an idle program should not wake up.
    if (!m_deps.pasteboard.announcesChanges())
        m_timer = m_deps.scheduler.repeat(300ms, 100ms, [this] { check(false); });
    connect(&m_deps.pasteboard, &Platform::Pasteboard::changed, this,
            [this] { m_deps.scheduler.schedule(0ms, this, [this] { check(false); }); });
}

void PasteboardMonitor::stop() {
    m_stopped = true;
    m_running = false;
    if (m_timer) {
        m_timer->stop();
        m_timer.reset();
    }
    disconnect(&m_deps.pasteboard, nullptr, this, nullptr);
}

void PasteboardMonitor::waitForPendingClips() {
    m_worker.waitForDone();
}

bool PasteboardMonitor::isIgnored(const std::optional<Platform::RunningApplication>& application) const {
    if (!application || application->desktopId.isEmpty())
        return false;
    const QStringList ignored =
        m_deps.defaults.stringList(App::SettingsKeys::ignoredBundleIDs).value_or(QStringList{});
    return ignored.contains(application->desktopId);
}

std::optional<Platform::RunningApplication> PasteboardMonitor::runningVesk() {
    for (const Platform::RunningApplication& application : m_deps.workspace.runningApplications()) {
        if (application.desktopId == veskBundleID)
            return application;
    }
    return std::nullopt;
}

void PasteboardMonitor::check(bool force) {
    if (m_stopped)
        return;
    const qint64 count = m_deps.pasteboard.changeCount();
    if (!force && count == m_lastChangeCount)
        return;
    // Consumed before the pause test: a copy made while paused is never captured later.
    m_lastChangeCount = count;
    if (m_paused)
        return;

    const std::optional<Platform::RunningApplication> frontmost = m_deps.workspace.frontmostApplication();
    std::optional<Platform::RunningApplication> source = frontmost;
    if (force) {
        if (std::optional<Platform::RunningApplication> vesk = runningVesk())
            source = std::move(vesk);
    }
    // Content copied in an ignored application is not even read.
    if (isIgnored(frontmost) || isIgnored(source))
        return;

    // The clip is already on its way; the pasteboard would hand both requests one shared read.
    if (m_pendingReadCount == count)
        return;
    m_pendingReadCount = count;

    const bool ignoreConcealed = m_deps.defaults.boolValue(App::SettingsKeys::ignoreConcealed, true);
    ImageStore* images = &m_deps.images;
    m_deps.pasteboard.read()
        .then(&m_worker,
              [ignoreConcealed, source, images](const Platform::PasteboardClip& clip) -> ClipboardItemPtr {
                  if (ignoreConcealed && (clip.concealed || clip.transient))
                      return nullptr;
                  ClipboardItemPtr item = ClipboardItemFactory::make(clip, source, *images);
                  // Tagging grows with the text, so it happens here rather than in the store.
                  if (item)
                      HistoryStore::classify(*item);
                  return item;
              })
        .then(this, [this, count](const ClipboardItemPtr& item) {
            if (m_pendingReadCount == count)
                m_pendingReadCount.reset();
            deliver(item);
        });
}

void PasteboardMonitor::deliver(const ClipboardItemPtr& item) {
    if (!item)
        return;
    if (m_stopped) {
        if (item->imageFilename())
            m_deps.images.remove(*item->imageFilename());
        return;
    }
    m_deps.store(item);
}
