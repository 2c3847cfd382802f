#pragma once

#include "mpris/MprisAdaptors.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

namespace tobimaru {

class CommandTable;
class NowPlaying;

/// The extensions of the media type table as MIME types, for the desktop to know what the
/// player opens; each type once, in name order.
QStringList MediaMimeTypes();

/// The player on the session bus as an MPRIS 2 media player
/// (`org.mpris.MediaPlayer2.tobimarume`, object `/org/mpris/MediaPlayer2`), for the desktop's
/// media keys and sound menu. Nothing here waits for the bus on the calling thread: the first
/// connection to the session bus is made on a worker, since Qt makes it with a blocking
/// handshake, and the name is asked for with an asynchronous RequestName rather than
/// registerService, which waits for the bus's answer. Without a session bus the player simply
/// stays off the bus, with a line in the log.
class MprisService final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.tobimarume";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    /// `now` is owned from here on; `commands` must outlive this object.
    MprisService(std::unique_ptr<NowPlaying> now, CommandTable& commands, MprisWindowHooks hooks,
                 QObject* parent = nullptr);
    /// Leaves the bus (stop()).
    ~MprisService() override;

    /// Goes on the bus; returns at once. A second call does nothing.
    void start();
    /// Leaves the bus: the object goes at once, the name with a message that is not waited for.
    /// The service cannot be started again.
    void stop();

Q_SIGNALS:
    /// The bus answered the request for the name: true when the name is ours.
    void nameRequestAnswered(bool owned);

private:
    void onBusConnected(bool connected);
    void requestName();
    void announce(const char* interface, const QVariantMap& changed);
    void announcePlayer(const QStringList& properties);

    std::unique_ptr<NowPlaying> m_now;
    QObject m_root; ///< the object at kObjectPath, holding the adaptors
    MprisPlayerAdaptor* m_player = nullptr;
    std::optional<QDBusConnection> m_bus;
    bool m_started = false;
    bool m_stopped = false;
    bool m_nameRequested = false;
};

} // namespace tobimaru
