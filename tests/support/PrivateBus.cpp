#include "support/PrivateBus.h"

#include <QStandardPaths>

namespace tobimaru::test {

PrivateBus::PrivateBus()
    : m_previous(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
    , m_hadPrevious(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(10000))
        return;
    // The daemon prints its address once it listens.
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (!m_address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
}

PrivateBus::~PrivateBus() {
    if (m_hadPrevious)
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_previous);
    else
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }
}

bool PrivateBus::available() {
    return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
}

} // namespace tobimaru::test
