#include "PrivateSessionBus.h"

#include <QDeadlineTimer>

PrivateSessionBus::PrivateSessionBus() {
    m_daemon.setProgram(QStringLiteral("dbus-daemon"));
    m_daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--nosyslog"), QStringLiteral("--print-address=1")});
    m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
    m_daemon.start();
    if (!m_daemon.waitForStarted(5000))
        return;
    const QDeadlineTimer deadline(5000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateSessionBus::~PrivateSessionBus() {
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000)) {
        m_daemon.kill();
        m_daemon.waitForFinished(1000);
    }
}

QProcessEnvironment PrivateSessionBus::environment(QProcessEnvironment base) const {
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return base;
}
