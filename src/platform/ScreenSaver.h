#pragma once

#include <QString>
#include <cstdint>

namespace tobimaru {

/// Switches the desktop's screen saver off and on again, through the freedesktop
/// `org.freedesktop.ScreenSaver` service (an inhibition held while the program runs).
class ScreenSaver {
public:
    virtual ~ScreenSaver() = default;
    /// False when the service did not answer or refused.
    virtual bool setActive(bool active) = 0;
};

/// The D-Bus implementation on the session bus.
class DBusScreenSaver final : public ScreenSaver {
public:
    DBusScreenSaver() = default;
    ~DBusScreenSaver() override;
    DBusScreenSaver(const DBusScreenSaver&) = delete;
    DBusScreenSaver& operator=(const DBusScreenSaver&) = delete;

    bool setActive(bool active) override;

private:
    uint32_t m_cookie = 0;
    bool m_inhibited = false;
};

} // namespace tobimaru
