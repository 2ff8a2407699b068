#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace App {

// Turns SIGTERM (a session manager at logout, `kill`) and SIGINT (Ctrl+C in a terminal) into a
// call of `quit` on the GUI thread, so they end the program the way its Quit command does. The
// handler only writes a byte to a pipe; everything else happens in the event loop. One instance at
// a time; the default actions come back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> quit, QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe or the handlers could not be set up; the signals then end the process
    // at once, as before.
    bool isInstalled() const { return m_installed; }

private:
    std::function<void()> m_quit;
    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
};

} // namespace App
