#pragma once

#include "playback/PlayerTypes.h"

#include <QObject>
#include <QString>
#include <optional>

class QAbstractItemModel;

namespace tobimaru {

class MediaPlayer;
class PlaybackState;
class SpeedControl;

/// What a remote control (the desktop's media controls) shows of the player and may set on it:
/// the play status, the file and its length, the position, speed and volume, and whether the
/// list gives anything to play. Starting, stepping and stopping rows are not here: remote
/// controls run those through the window's command table, as the keys do, so that the marks,
/// quick paths, continuous play and the slideshow follow them the same way.
class NowPlaying final : public QObject {
    Q_OBJECT

public:
    enum class Status { Stopped, Paused, Playing };
    struct Track {
        /// Counts the files opened; 0 before the first and while nothing is loaded.
        quint64 serial = 0;
        /// The file's path; empty while nothing is loaded.
        QString path;
        /// Seconds; 0 while unknown.
        double length = 0;
    };

    static constexpr double kMinimumRate = 0.1;
    static constexpr double kMaximumRate = 4.0;

    /// All references must outlive this object; `rows` is the file list's model.
    NowPlaying(MediaPlayer& player, PlaybackState& state, SpeedControl& speed, const QAbstractItemModel& rows,
               QObject* parent = nullptr);

    Status status() const;
    Track track() const;
    /// Seconds from the file's start.
    double position() const;
    double rate() const;
    /// 0..1.
    double volume() const;
    /// The list has rows: play, pause, next and previous have something to act on.
    bool hasRows() const { return m_hasRows; }

    /// Goes to `seconds` in the loaded file (nothing without one).
    void setPosition(double seconds);
    /// Through the speed slider, so the slider and the status bar follow; kept within
    /// kMinimumRate..kMaximumRate.
    void setRate(double rate);
    /// The player's volume, 0..1.
    void setVolume(double volume);

Q_SIGNALS:
    void statusChanged();
    /// Another file, its length now known, or nothing loaded any more.
    void trackChanged();
    void rateChanged();
    void volumeChanged();
    /// hasRows() changed.
    void rowsChanged();
    /// The position jumped (a seek, a stop's return to the start), to `seconds`.
    void seeked(double seconds);

private:
    void onPlayStateChange(PlayerState oldState, PlayerState newState);
    void onNewStream();
    void onRestarted();
    void checkRows();

    MediaPlayer& m_player;
    SpeedControl& m_speed;
    const QAbstractItemModel& m_rows;
    quint64 m_serial = 0;
    QString m_path;
    bool m_hasRows = false;
    /// The first restart of a file is its start, not a jump.
    bool m_freshFile = false;
    std::optional<double> m_seekTarget;
};

} // namespace tobimaru
