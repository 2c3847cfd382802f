#pragma once

#include "playback/PlayerTypes.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace tobimaru {

/// The player pane's own controls: play/pause, stop, a seek slider with elapsed and total
/// time, a volume slider and a mute button. It only shows what it is told and emits what the
/// user asks for; the pane decides what happens.
class PlayerControlBar final : public QWidget {
    Q_OBJECT

public:
    explicit PlayerControlBar(QWidget* parent = nullptr);

    /// The play state of the pane (0 stopped, 1 paused, 2 playing, 6 closed).
    void setPlayState(PlayerState state);
    /// Elapsed seconds; ignored while the user holds the seek slider.
    void setPosition(double seconds);
    /// Total seconds; 0 when unknown (the seek slider is then disabled).
    void setDuration(double seconds);
    void setVolume(int volume);
    void setMuted(bool muted);

    void setTransportVisible(bool on);
    void setTrackerVisible(bool on);
    /// Off: the seek slider shows the position but cannot be moved.
    void setTrackerEnabled(bool on);
    void setAudioControlsVisible(bool on);

    /// "m:ss", or "h:mm:ss" from an hour on; negative and unknown times show as 0:00.
    static QString FormatTime(double seconds);

Q_SIGNALS:
    void playPauseRequested();
    void stopRequested();
    /// `exact` is false while the slider is being dragged (a fast, keyframe seek).
    void seekRequested(double seconds, bool exact);
    void volumeRequested(int volume);
    void muteRequested(bool muted);

private:
    void updateTrackerEnabled();
    /// The time label and the seek slider; `now` moves the slider even between its updates.
    void showTimes(bool now);
    void onSeekSliderChanged(int value);

    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QSlider* m_seek = nullptr;
    QLabel* m_time = nullptr;
    QSlider* m_volume = nullptr;
    QToolButton* m_mute = nullptr;
    PlayerState m_state = PlayerState::Closed;
    QElapsedTimer m_seekClock;
    static constexpr qint64 kSeekUpdateMs = 250;
    double m_seekShown = 0; ///< the position the slider stands at
    double m_position = 0;
    double m_duration = 0;
    bool m_trackerEnabled = true;
    bool m_updating = false; // set while the program, not the user, moves a slider
};

} // namespace tobimaru
