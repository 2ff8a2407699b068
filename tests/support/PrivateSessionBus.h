#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// A session D-Bus of the test's own, so tests that claim the application's bus name never meet
// each other on the shared test-session bus. The daemon ends with the object.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    // `base` with DBUS_SESSION_BUS_ADDRESS pointing at this bus.
    QProcessEnvironment
    environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

private:
    QProcess m_daemon;
    QString m_address;
};
