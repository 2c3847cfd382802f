#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QSlider;

namespace tobimaru {

class MediaPlayer;
class PlaybackState;
class SlideShow;

/// Reading and writing the desktop's output volume (by default the platform's WaveVolume).
struct WaveVolumeAccess {
    /// The packed volume; `found` tells whether there was an output to read.
    std::function<uint32_t(bool* found)> get;
    /// Writes a packed volume back.
    std::function<bool(uint32_t volume)> set;
};

/// The speed slider `Slider1` (positions 1..40, speed = position / 10), the "RateOne" button,
/// the speed in the playback state (status panel 7 shows it), and what the program puts back at exit: the
/// player's speed and the output volume found at start.
class SpeedControl final : public QObject {
    Q_OBJECT

public:
    /// Takes over the slider's signals: a drag only moves the tip, a release, a key or a
    /// position set by the program applies the speed. All references must outlive this object;
    /// an empty `volume` uses the platform's.
    SpeedControl(QSlider* Slider1, MediaPlayer& player, PlaybackState& state, SlideShow& slideShow,
                 WaveVolumeAccess volume = {}, QObject* parent = nullptr);

    double PlayRate() const { return m_playRate; }
    double StartRate() const { return m_startRate; }
    /// The output volume read at start (0 when none was found).
    uint32_t WaveVol() const { return m_waveVol; }
    bool waveVolumeFound() const { return m_waveFound; }
    /// What the tip beside the thumb shows ("1.5").
    const QString& dragTipText() const { return m_dragTip; }

    /// Load: remembers the output volume, to be written back at exit.
    void ReadWaveVolume();
    /// Load: remembers the player's speed as found and returns it (the splash shows it).
    double TakeStartRate();
    /// Load: speed 1.0 on the player and the slider at 10.
    void ResetRate();
    /// Unload: the player's speed found at start.
    void RestoreStartRate();
    /// Unload: the output volume found at start, only when one was found.
    void RestoreWaveVolume();

    /// The toolbar's "RateOne": speed 1.0 again, even when the slider stands at 10 already; the
    /// slideshow timer runs again.
    void RateOne();
    /// While the thumb is dragged: only the tip follows.
    void SliderScroll(int position);
    /// Thumb released, key, or position set: the speed goes to the player and the state.
    void SliderChange(int position);
    /// A speed asked for from outside the window (a desktop's media controls): the slider
    /// moves to the nearest of its positions, 0.1 to 4.0, and the speed follows it as from a
    /// position set by the program.
    void SetRate(double rate);

private:
    void showRate();

    QSlider* m_slider = nullptr;
    MediaPlayer& m_player;
    PlaybackState& m_state;
    SlideShow& m_slideShow;
    WaveVolumeAccess m_volume;
    double m_playRate = 1.0;
    double m_startRate = 1.0;
    uint32_t m_waveVol = 0;
    bool m_waveFound = false;
    QString m_dragTip;
};

} // namespace tobimaru
