#include "mpris/MprisAdaptors.h"

#include "base/CommandTable.h"
#include "playback/NowPlaying.h"

#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace tobimaru {

namespace {

constexpr double kMicroseconds = 1e6;

qlonglong ToMicroseconds(double seconds) {
    return qlonglong(std::llround(seconds * kMicroseconds));
}

} // namespace

MprisRootAdaptor::MprisRootAdaptor(QObject* root, MprisWindowHooks hooks, QStringList mimeTypes)
    : QDBusAbstractAdaptor(root)
    , m_hooks(std::move(hooks))
    , m_mimeTypes(std::move(mimeTypes)) {}

QString MprisRootAdaptor::identity() const {
    return QStringLiteral("TobimaruMe");
}

QString MprisRootAdaptor::desktopEntry() const {
    return QStringLiteral(TOBIMARU_APP_ID);
}

void MprisRootAdaptor::Raise() {
    if (m_hooks.raise)
        m_hooks.raise();
}

void MprisRootAdaptor::Quit() {
    if (m_hooks.quit)
        m_hooks.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* root, NowPlaying& now, CommandTable& commands)
    : QDBusAbstractAdaptor(root)
    , m_now(now)
    , m_commands(commands) {
    connect(&m_now, &NowPlaying::seeked, this,
            [this](double seconds) { Q_EMIT Seeked(ToMicroseconds(seconds)); });
}

QDBusObjectPath MprisPlayerAdaptor::TrackId(quint64 serial) {
    if (serial == 0)
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/io/github/tobimarume/TobimaruMe/track/%1").arg(serial));
}

QString MprisPlayerAdaptor::playbackStatus() const {
    switch (m_now.status()) {
    case NowPlaying::Status::Playing:
        return QStringLiteral("Playing");
    case NowPlaying::Status::Paused:
        return QStringLiteral("Paused");
    default:
        return QStringLiteral("Stopped");
    }
}

double MprisPlayerAdaptor::rate() const {
    return m_now.rate();
}

void MprisPlayerAdaptor::setRate(double rate) {
    // Clients are told not to ask for 0; one that does means pause.
    if (rate <= 0) {
        Pause();
        return;
    }
    m_now.setRate(rate);
}

double MprisPlayerAdaptor::minimumRate() const {
    return NowPlaying::kMinimumRate;
}

double MprisPlayerAdaptor::maximumRate() const {
    return NowPlaying::kMaximumRate;
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    const NowPlaying::Track track = m_now.track();
    if (track.path.isEmpty())
        return {};
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId(track.serial)));
    map.insert(QStringLiteral("xesam:title"), QFileInfo(track.path).fileName());
    map.insert(QStringLiteral("xesam:url"), QString::fromUtf8(QUrl::fromLocalFile(track.path).toEncoded()));
    if (track.length > 0)
        map.insert(QStringLiteral("mpris:length"), ToMicroseconds(track.length));
    return map;
}

double MprisPlayerAdaptor::volume() const {
    return m_now.volume();
}

void MprisPlayerAdaptor::setVolume(double volume) {
    m_now.setVolume(volume);
}

qlonglong MprisPlayerAdaptor::position() const {
    return ToMicroseconds(m_now.position());
}

bool MprisPlayerAdaptor::canAct() const {
    return m_now.hasRows();
}

// The media keys run what the keyboard's keys run: Ctrl+Down, Ctrl+Up, Space, Shift+Space.
void MprisPlayerAdaptor::Next() {
    m_commands.execute(cmd::Next);
}

void MprisPlayerAdaptor::Previous() {
    m_commands.execute(cmd::Previous);
}

void MprisPlayerAdaptor::Pause() {
    // Space pauses what plays; on anything else it would start a row.
    if (m_now.status() == NowPlaying::Status::Playing)
        m_commands.execute(cmd::PlayOrPauseIfListed);
}

void MprisPlayerAdaptor::PlayPause() {
    m_commands.execute(cmd::PlayOrPauseIfListed);
}

void MprisPlayerAdaptor::Stop() {
    m_commands.execute(cmd::Stop);
}

void MprisPlayerAdaptor::Play() {
    // The same as Space, as PlayPause: the desktop's play key must do what the keyboard's does.
    m_commands.execute(cmd::PlayOrPauseIfListed);
}

void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    const NowPlaying::Track track = m_now.track();
    if (track.path.isEmpty())
        return;
    const double target = m_now.position() + double(Offset) / kMicroseconds;
    // Past the end counts as the next file, as the end of a file does.
    if (track.length > 0 && target > track.length) {
        Next();
        return;
    }
    m_now.setPosition(std::max(0.0, target));
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    const NowPlaying::Track track = m_now.track();
    // A position meant for a file that is gone, or outside this one, is ignored.
    if (track.path.isEmpty() || TrackId != MprisPlayerAdaptor::TrackId(track.serial) || Position < 0)
        return;
    if (track.length > 0 && Position > ToMicroseconds(track.length))
        return;
    m_now.setPosition(double(Position) / kMicroseconds);
}

void MprisPlayerAdaptor::OpenUri(const QString&) {}

} // namespace tobimaru
