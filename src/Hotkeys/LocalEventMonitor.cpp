#include "Hotkeys/LocalEventMonitor.h"

#include <QCoreApplication>

namespace Hotkeys {

LocalEventMonitor::LocalEventMonitor(QSet<QEvent::Type> events, Callback callback)
    : m_events(std::move(events)), m_callback(std::move(callback)) {}

LocalEventMonitor::~LocalEventMonitor() {
    if (m_started && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

LocalEventMonitor& LocalEventMonitor::start() {
    if (!m_started && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_started = true;
    }
    return *this;
}

bool LocalEventMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (!m_events.contains(event->type()))
        return false;
    return m_callback(watched, event);
}

} // namespace Hotkeys
