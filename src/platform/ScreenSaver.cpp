#include "platform/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace tobimaru {

namespace {

QDBusMessage ServiceCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                          QStringLiteral("/org/freedesktop/ScreenSaver"),
                                          QStringLiteral("org.freedesktop.ScreenSaver"), method);
}

// Answers from the event loop, as a D-Bus reply would, so callers see one order of events.
void ReplyLater(QObject* context, ScreenSaver::Reply reply, bool done) {
    if (!reply || !context)
        return;
    QTimer::singleShot(0, context, [reply = std::move(reply), done] { reply(done); });
}

// Sends `message` and hands its answer to `then` on the calls' owner's thread; `then` gets the
// finished call, or none when no bus is there to send it on.
void Call(QObject* owner, const QDBusMessage& message, int timeoutMs,
          std::function<void(const QDBusPendingCall*)> then) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, owner, [then = std::move(then)] { then(nullptr); });
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, timeoutMs), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [then = std::move(then)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         then(w);
                     });
}

} // namespace

DBusScreenSaver::DBusScreenSaver(int timeoutMs)
    : m_timeoutMs(timeoutMs)
    , m_calls(std::make_unique<QObject>()) {}

DBusScreenSaver::~DBusScreenSaver() {
    // The inhibition dies with our bus connection anyway; releasing it is only tidy, so the
    // message goes without waiting for its answer.
    if (m_inhibited && QDBusConnection::sessionBus().isConnected()) {
        QDBusMessage message = ServiceCall(QStringLiteral("UnInhibit"));
        message << m_cookie;
        QDBusConnection::sessionBus().send(message);
    }
}

void DBusScreenSaver::setActive(bool active, QObject* context, Reply reply) {
    if (active)
        release(context, std::move(reply));
    else
        inhibit(context, std::move(reply));
}

void DBusScreenSaver::inhibit(QObject* context, Reply reply) {
    m_releaseWhenInhibited = false;
    if (m_inhibited || m_inhibiting) {
        ReplyLater(context, std::move(reply), true);
        return;
    }
    QDBusMessage message = ServiceCall(QStringLiteral("Inhibit"));
    message << QStringLiteral("TobimaruMe") << QStringLiteral("メディア再生中");
    m_inhibiting = true;
    Call(
        m_calls.get(), message, m_timeoutMs,
        [this, context = QPointer<QObject>(context), reply = std::move(reply)](const QDBusPendingCall* call) {
            m_inhibiting = false;
            const bool done = call && !call->isError();
            if (done) {
                m_cookie = QDBusPendingReply<uint>(*call).value();
                m_inhibited = true;
                if (m_releaseWhenInhibited) {
                    m_releaseWhenInhibited = false;
                    release(nullptr, {});
                }
            }
            if (reply && context)
                reply(done);
        });
}

void DBusScreenSaver::release(QObject* context, Reply reply) {
    if (m_inhibiting) {
        // The cookie is not known yet: the release follows the inhibition's answer.
        m_releaseWhenInhibited = true;
        ReplyLater(context, std::move(reply), true);
        return;
    }
    if (!m_inhibited) {
        ReplyLater(context, std::move(reply), true);
        return;
    }
    QDBusMessage message = ServiceCall(QStringLiteral("UnInhibit"));
    message << m_cookie;
    Call(
        m_calls.get(), message, m_timeoutMs,
        [this, context = QPointer<QObject>(context), reply = std::move(reply)](const QDBusPendingCall* call) {
            const bool done = call && !call->isError();
            if (done)
                m_inhibited = false;
            if (reply && context)
                reply(done);
        });
}

} // namespace tobimaru
