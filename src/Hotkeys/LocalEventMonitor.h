#pragma once

#include <QEvent>
#include <QObject>
#include <QSet>

#include <functional>

namespace Hotkeys {

// Watches events of the given types on their way to any object of the application. The callback
// answers true to swallow an event (it goes no further) and false to let it through. Nothing is
// watched before start(); destroying the monitor stops it.
class LocalEventMonitor : public QObject {
public:
    using Callback = std::function<bool(QObject* receiver, QEvent* event)>;

    LocalEventMonitor(QSet<QEvent::Type> events, Callback callback);
    ~LocalEventMonitor() override;

    LocalEventMonitor& start();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QEvent::Type> m_events;
    Callback m_callback;
    bool m_started = false;
};

} // namespace Hotkeys
