#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

namespace tobimaru::test {

/// A session bus of the test's own: a dbus-daemon started for it, named in
/// DBUS_SESSION_BUS_ADDRESS for as long as the object lives, so nothing reaches the desktop's
/// bus. Qt keeps the first session bus connection of a process, so a test that uses one starts
/// its bus before anything in the process has asked for the session bus.
class PrivateBus {
public:
    /// Starts the daemon; address() is empty when it could not be started.
    PrivateBus();
    /// Stops the daemon and gives the process its former address back.
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    /// True when dbus-daemon can be run (scripts/packages.txt installs it).
    static bool available();
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
    QByteArray m_previous;
    bool m_hadPrevious = false;
};

} // namespace tobimaru::test
