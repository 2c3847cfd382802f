#include "playback/NowPlaying.h"

#include "playback/MediaPlayer.h"
#include "playback/PlaybackState.h"
#include "playback/SpeedControl.h"

#include <QAbstractItemModel>
#include <algorithm>
#include <cmath>

namespace tobimaru {

NowPlaying::NowPlaying(MediaPlayer& player, PlaybackState& state, SpeedControl& speed,
                       const QAbstractItemModel& rows, QObject* parent)
    : QObject(parent)
    , m_player(player)
    , m_speed(speed)
    , m_rows(rows)
    , m_hasRows(rows.rowCount() > 0) {
    if (m_player.PlayState() != MediaPlayer::Closed && !m_player.FileName().isEmpty()) {
        m_serial = 1;
        m_path = m_player.FileName();
    }
    connect(&m_player, &MediaPlayer::PlayStateChange, this, &NowPlaying::onPlayStateChange);
    connect(&m_player, &MediaPlayer::NewStream, this, &NowPlaying::onNewStream);
    connect(&m_player, &MediaPlayer::playbackRestarted, this, &NowPlaying::onRestarted);
    connect(&m_player, &MediaPlayer::durationChanged, this, &NowPlaying::trackChanged);
    connect(&m_player, &MediaPlayer::volumeChanged, this, &NowPlaying::volumeChanged);
    connect(&state, &PlaybackState::playRateChanged, this, &NowPlaying::rateChanged);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&m_rows, signal, this, &NowPlaying::checkRows);
    connect(&m_rows, &QAbstractItemModel::modelReset, this, &NowPlaying::checkRows);
    connect(&m_rows, &QAbstractItemModel::layoutChanged, this, &NowPlaying::checkRows);
}

NowPlaying::Status NowPlaying::status() const {
    switch (m_player.PlayState()) {
    case MediaPlayer::Playing:
        return Status::Playing;
    case MediaPlayer::Paused:
        return Status::Paused;
    default:
        return Status::Stopped;
    }
}

NowPlaying::Track NowPlaying::track() const {
    if (m_path.isEmpty())
        return {};
    return {m_serial, m_path, m_player.duration()};
}

double NowPlaying::position() const {
    return m_path.isEmpty() ? 0 : m_player.position();
}

double NowPlaying::rate() const {
    return m_speed.PlayRate();
}

double NowPlaying::volume() const {
    return m_player.Volume() / 100.0;
}

void NowPlaying::setPosition(double seconds) {
    if (m_path.isEmpty())
        return;
    m_seekTarget = std::max(0.0, seconds);
    m_player.seek(*m_seekTarget);
}

void NowPlaying::setRate(double rate) {
    m_speed.SetRate(std::clamp(rate, kMinimumRate, kMaximumRate));
}

void NowPlaying::setVolume(double volume) {
    m_player.setVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

void NowPlaying::onPlayStateChange(PlayerState oldState, PlayerState newState) {
    const auto statusOf = [](PlayerState s) {
        return s == MediaPlayer::Playing  ? Status::Playing
               : s == MediaPlayer::Paused ? Status::Paused
                                          : Status::Stopped;
    };
    if (newState == MediaPlayer::Closed && !m_path.isEmpty()) {
        m_path.clear();
        m_seekTarget.reset();
        Q_EMIT trackChanged();
    }
    if (statusOf(oldState) != statusOf(newState))
        Q_EMIT statusChanged();
}

void NowPlaying::onNewStream() {
    ++m_serial;
    m_path = m_player.FileName();
    m_freshFile = true;
    m_seekTarget.reset();
    Q_EMIT trackChanged();
}

void NowPlaying::onRestarted() {
    if (m_freshFile) {
        m_freshFile = false;
        return;
    }
    if (m_path.isEmpty())
        return;
    // mpv reports the new position after the restart: the target is what the jump went to.
    const double at = m_seekTarget.value_or(m_player.position());
    m_seekTarget.reset();
    Q_EMIT seeked(at);
}

void NowPlaying::checkRows() {
    const bool has = m_rows.rowCount() > 0;
    if (has == m_hasRows)
        return;
    m_hasRows = has;
    Q_EMIT rowsChanged();
}

} // namespace tobimaru
