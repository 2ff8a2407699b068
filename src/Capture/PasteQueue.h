#pragma once

#include <Storage/ClipboardItem.h>

#include <QList>
#include <QObject>

#include <chrono>
#include <memory>

class PasteService;
namespace Platform {
class GlobalKeyMonitor;
class Scheduler;
struct KeyRelease;
} // namespace Platform

// Pastes several items one after another: the first at once, then one more after each Ctrl+V the
// user types in the application in front, watched through key releases of the whole session.
class PasteQueue : public QObject {
    Q_OBJECT
public:
    using Duration = std::chrono::milliseconds;
    // Releases within this time of the start are ignored (they include the automatic paste's own).
    static constexpr Duration kStartQuietTime{550};
    // And within this time of placing the next item.
    static constexpr Duration kPlacedQuietTime{200};
    // How long after a Ctrl+V release the next item is placed.
    static constexpr Duration kPlaceDelay{50};

    PasteQueue(PasteService& paste, Platform::GlobalKeyMonitor& keys, Platform::Scheduler& scheduler,
               QObject* parent = nullptr);
    ~PasteQueue() override;

    void start(const QList<ClipboardItemPtr>& items);
    void stop();

    // Pastes every item at once as one text joined with `separator`; a list holding an image or a
    // file pastes only its first item.
    void pasteAll(const QList<ClipboardItemPtr>& items, const QString& separator);

    const QList<ClipboardItemPtr>& items() const { return m_items; }
    int currentIndex() const { return m_currentIndex; }
    bool isActive() const { return m_active; }
    bool isMonitoring() const;

signals:
    // items, currentIndex or isActive changed.
    void changed();

private:
    void installMonitor();
    void handleKeyUp(const Platform::KeyRelease& release);
    // The item on the clipboard has been pasted: put the next one there, or end the run.
    void advance();
    void placeCurrent();

    PasteService& m_paste;
    Platform::GlobalKeyMonitor& m_keys;
    Platform::Scheduler& m_scheduler;
    QList<ClipboardItemPtr> m_items;
    int m_currentIndex = 0;
    bool m_active = false;
    bool m_monitoring = false;
    bool m_preparingNext = false;
    Duration m_ignoreUntil = Duration::min();
    // The context of the current run's delayed steps: destroyed by stop(), so they never reach a
    // later run.
    std::unique_ptr<QObject> m_run;
};
