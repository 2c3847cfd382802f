#include "platform/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace tobimaru {

namespace {

QDBusInterface Service() {
    return QDBusInterface(QStringLiteral("org.freedesktop.ScreenSaver"),
                          QStringLiteral("/org/freedesktop/ScreenSaver"),
                          QStringLiteral("org.freedesktop.ScreenSaver"), QDBusConnection::sessionBus());
}

} // namespace

DBusScreenSaver::~DBusScreenSaver() {
    // The inhibition dies with our bus connection anyway; releasing it is only tidy.
    if (m_inhibited)
        setActive(true);
}

bool DBusScreenSaver::setActive(bool active) {
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    QDBusInterface iface = Service();
    if (!iface.isValid())
        return false;
    iface.setTimeout(2000);
    if (!active) {
        if (m_inhibited)
            return true;
        QDBusReply<uint> reply = iface.call(QStringLiteral("Inhibit"), QStringLiteral("TobimaruMe"),
                                            QStringLiteral("メディア再生中"));
        if (!reply.isValid())
            return false;
        m_cookie = reply.value();
        m_inhibited = true;
        return true;
    }
    if (!m_inhibited)
        return true;
    QDBusReply<void> reply = iface.call(QStringLiteral("UnInhibit"), m_cookie);
    if (!reply.isValid())
        return false;
    m_inhibited = false;
    return true;
}

} // namespace tobimaru
