#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace tobimaru {

/// Switches the desktop's screen saver off and on again, through the freedesktop
/// `org.freedesktop.ScreenSaver` service (an inhibition held while the program runs).
class ScreenSaver {
public:
    /// Called on the caller's thread once the service has answered: false when it refused or
    /// did not answer within the time limit.
    using Reply = std::function<void(bool done)>;

    virtual ~ScreenSaver() = default;
    /// Switches the screen saver on (`active`) or off. `reply` runs later from the event loop,
    /// and not at all once `context` is gone. Never waits for the service.
    virtual void setActive(bool active, QObject* context, Reply reply) = 0;
};

/// The D-Bus implementation on the session bus, asynchronous like the file manager's calls: a
/// service that does not answer within the time limit counts as one that refused, and without
/// a session bus every switch fails the same way.
class DBusScreenSaver final : public ScreenSaver {
public:
    explicit DBusScreenSaver(int timeoutMs = 5000);
    ~DBusScreenSaver() override;
    Q_DISABLE_COPY(DBusScreenSaver)

    void setActive(bool active, QObject* context, Reply reply) override;

private:
    void inhibit(QObject* context, Reply reply);
    void release(QObject* context, Reply reply);

    int m_timeoutMs = 5000;
    /// Owns the calls in flight: an answer that comes after this object is gone is dropped.
    std::unique_ptr<QObject> m_calls;
    uint32_t m_cookie = 0;
    bool m_inhibited = false;
    bool m_inhibiting = false;
    /// The screen saver was switched on again while the inhibition was still on its way.
    bool m_releaseWhenInhibited = false;
};

} // namespace tobimaru
