#include "PasteQueue.h"

#include "PasteService.h"

#include <Platform/GlobalKeyMonitor.h>
#include <Platform/Scheduler.h>

#include <QPointer>

PasteQueue::PasteQueue(PasteService& paste, Platform::GlobalKeyMonitor& keys, Platform::Scheduler& scheduler,
                       QObject* parent)
    : QObject(parent), m_paste(paste), m_keys(keys), m_scheduler(scheduler) {}

PasteQueue::~PasteQueue() {
    if (m_monitoring)
        m_keys.stop();
}

bool PasteQueue::isMonitoring() const {
    return m_monitoring;
}

void PasteQueue::start(const QList<ClipboardItemPtr>& items) {
    stop();
    if (items.isEmpty())
        return;
    m_items = items;
    m_currentIndex = 0;
    m_active = true;
    m_run = std::make_unique<QObject>();
    m_ignoreUntil = m_scheduler.now() + kStartQuietTime;
    // An item that cannot be written is not pasted: the clipboard still holds something else.
    if (m_paste.copyToPasteboard(*m_items.first(), false) && m_paste.autoPasteIfEnabled()) {
        // The automatic Ctrl+V pastes the first item within the quiet time; once it is over the
        // second item goes on the clipboard, so the user's first Ctrl+V does not paste the first
        // item a second time.
        m_scheduler.schedule(kStartQuietTime, m_run.get(), [this] {
            if (m_active && m_currentIndex == 0 && !m_preparingNext)
                advance();
        });
    }
    installMonitor();
    emit changed();
}

void PasteQueue::stop() {
    if (m_monitoring) {
        m_keys.stop();
        m_monitoring = false;
    }
    const bool wasActive = m_active || !m_items.isEmpty();
    m_run.reset();
    m_items.clear();
    m_currentIndex = 0;
    m_active = false;
    m_preparingNext = false;
    if (wasActive)
        emit changed();
}

void PasteQueue::installMonitor() {
    QPointer<PasteQueue> self(this);
    // Releases arrive on this thread's event loop.
    m_monitoring = m_keys.start([self](const Platform::KeyRelease& release) {
        if (self)
            self->handleKeyUp(release);
    });
}

void PasteQueue::handleKeyUp(const Platform::KeyRelease& release) {
    if (!m_active || m_preparingNext || m_scheduler.now() < m_ignoreUntil)
        return;
    if (!release.isPasteChord)
        return;
    advance();
}

void PasteQueue::advance() {
    const int next = m_currentIndex + 1;
    if (next >= m_items.size()) {
        // The Ctrl+V just released pasted the last item.
        stop();
        return;
    }
    m_preparingNext = true;
    m_currentIndex = next;
    emit changed();
    m_scheduler.schedule(kPlaceDelay, m_run.get(), [this] { placeCurrent(); });
}

void PasteQueue::placeCurrent() {
    if (m_active && m_currentIndex >= 0 && m_currentIndex < m_items.size()) {
        m_paste.copyToPasteboard(*m_items.at(m_currentIndex), false);
        m_ignoreUntil = m_scheduler.now() + kPlacedQuietTime;
    }
    m_preparingNext = false;
}

void PasteQueue::pasteAll(const QList<ClipboardItemPtr>& items, const QString& separator) {
    if (items.isEmpty())
        return;
    const bool hasImageOrFile = std::any_of(items.begin(), items.end(), [](const ClipboardItemPtr& item) {
        return item->type() == ItemType::image || item->type() == ItemType::file;
    });
    if (hasImageOrFile) {
        if (m_paste.copyToPasteboard(*items.first(), false))
            m_paste.autoPasteIfEnabled();
        return;
    }
    QStringList texts;
    for (const ClipboardItemPtr& item : items) {
        if (item->plainText())
            texts << *item->plainText();
    }
    m_paste.copyText(texts.join(separator));
    m_paste.autoPasteIfEnabled();
}
