#include "mpris/MprisService.h"

#include "platform/Worker.h"
#include "playback/NowPlaying.h"
#include "settings/MediaTypeTable.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMimeDatabase>
#include <QPointer>

namespace tobimaru {

namespace {

// The same limit as the other calls of the program on the session bus.
constexpr int kTimeoutMs = 5000;
// RequestName: fail rather than queue behind another owner; the answers that make it ours.
constexpr uint kDoNotQueue = 0x4;
constexpr uint kPrimaryOwner = 1;
constexpr uint kAlreadyOwner = 4;

QDBusMessage BusCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

} // namespace

QStringList MediaMimeTypes() {
    const QMimeDatabase db;
    QStringList types;
    for (const MediaType& row : MediaTypeRows()) {
        for (const QMimeType& type : db.mimeTypesForFileName(QStringLiteral("a.") + row.extension)) {
            if (!types.contains(type.name()))
                types << type.name();
        }
    }
    types.sort();
    return types;
}

MprisService::MprisService(std::unique_ptr<NowPlaying> now, CommandTable& commands, MprisWindowHooks hooks,
                           QObject* parent)
    : QObject(parent)
    , m_now(std::move(now)) {
    new MprisRootAdaptor(&m_root, std::move(hooks), MediaMimeTypes());
    m_player = new MprisPlayerAdaptor(&m_root, *m_now, commands);
    connect(m_now.get(), &NowPlaying::statusChanged, this,
            [this] { announcePlayer({QStringLiteral("PlaybackStatus")}); });
    connect(m_now.get(), &NowPlaying::trackChanged, this,
            [this] { announcePlayer({QStringLiteral("Metadata")}); });
    connect(m_now.get(), &NowPlaying::rateChanged, this,
            [this] { announcePlayer({QStringLiteral("Rate")}); });
    connect(m_now.get(), &NowPlaying::volumeChanged, this,
            [this] { announcePlayer({QStringLiteral("Volume")}); });
    connect(m_now.get(), &NowPlaying::rowsChanged, this, [this] {
        announcePlayer({QStringLiteral("CanGoNext"), QStringLiteral("CanGoPrevious"),
                        QStringLiteral("CanPlay"), QStringLiteral("CanPause"), QStringLiteral("CanSeek")});
    });
}

MprisService::~MprisService() {
    stop();
}

void MprisService::start() {
    if (m_started || m_stopped)
        return;
    m_started = true;
    // The connection Qt keeps for the process: made on a worker (its handshake waits for the bus),
    // only read afterwards. The answer comes back through the application object, which outlives
    // this service; the pointer tells whether the service is still there to hear it.
    RunAside([self = QPointer<MprisService>(this)] {
        const bool connected = QDBusConnection::sessionBus().isConnected();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, connected] {
                if (self)
                    self->onBusConnected(connected);
            },
            Qt::QueuedConnection);
    });
}

void MprisService::onBusConnected(bool connected) {
    if (m_stopped)
        return;
    if (!connected) {
        qInfo("media controls: no session bus, so the desktop's media keys do not reach the player");
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), &m_root, QDBusConnection::ExportAdaptors)) {
        qWarning("media controls: %s is taken on the session bus", kObjectPath);
        return;
    }
    m_bus = bus;
    requestName();
}

void MprisService::requestName() {
    QDBusMessage message = BusCall(QStringLiteral("RequestName"));
    message << QString::fromLatin1(kServiceName) << kDoNotQueue;
    m_nameRequested = true;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(message, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        const bool owned =
            !reply.isError() && (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner);
        if (reply.isError())
            qWarning("media controls: the bus did not give the name %s: %s", kServiceName,
                     qUtf8Printable(reply.error().message()));
        else if (!owned)
            qInfo("media controls: another program holds %s", kServiceName);
        Q_EMIT nameRequestAnswered(owned);
    });
}

void MprisService::stop() {
    if (m_stopped)
        return;
    m_stopped = true;
    if (!m_bus)
        return;
    m_bus->unregisterObject(QString::fromLatin1(kObjectPath));
    if (m_nameRequested) {
        // The bus handles our messages in order, so this follows a request still on its way.
        QDBusMessage message = BusCall(QStringLiteral("ReleaseName"));
        message << QString::fromLatin1(kServiceName);
        m_bus->send(message);
    }
    m_bus.reset();
}

void MprisService::announcePlayer(const QStringList& properties) {
    QVariantMap changed;
    for (const QString& name : properties)
        changed.insert(name, m_player->property(name.toLatin1().constData()));
    announce("org.mpris.MediaPlayer2.Player", changed);
}

void MprisService::announce(const char* interface, const QVariantMap& changed) {
    if (!m_bus)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(interface) << changed << QStringList();
    m_bus->send(signal);
}

} // namespace tobimaru
