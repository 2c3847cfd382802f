#include "playback/SpeedControl.h"

#include "platform/WaveVolume.h"
#include "playback/ContinuousRules.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackState.h"
#include "playback/SlideShow.h"

#include <QCursor>
#include <QSlider>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace tobimaru {

namespace {

constexpr int kNormalPosition = 10;

} // namespace

SpeedControl::SpeedControl(QSlider* Slider1, MediaPlayer& player, PlaybackState& state, SlideShow& slideShow,
                           WaveVolumeAccess volume, QObject* parent)
    : QObject(parent)
    , m_slider(Slider1)
    , m_player(player)
    , m_state(state)
    , m_slideShow(slideShow)
    , m_volume(std::move(volume)) {
    if (!m_volume.get)
        m_volume.get = [](bool* found) { return GetWaveVolume(found); };
    if (!m_volume.set)
        m_volume.set = [](uint32_t v) { return SetWaveVolume(v); };
    m_slider->setRange(1, 40);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(5);
    m_slider->setTickInterval(5);
    // Without tracking a drag reports only sliderMoved; the value changes on release.
    m_slider->setTracking(false);
    connect(m_slider, &QSlider::sliderMoved, this, &SpeedControl::SliderScroll);
    connect(m_slider, &QSlider::valueChanged, this, &SpeedControl::SliderChange);
}

void SpeedControl::ReadWaveVolume() {
    bool found = false;
    m_waveVol = m_volume.get(&found);
    m_waveFound = found;
}

double SpeedControl::TakeStartRate() {
    m_startRate = m_player.Rate();
    return m_startRate;
}

void SpeedControl::ResetRate() {
    m_playRate = 1.0;
    m_player.setRate(m_playRate);
    m_slider->setValue(kNormalPosition);
    showRate();
}

void SpeedControl::RestoreStartRate() {
    m_player.setRate(m_startRate);
}

void SpeedControl::RestoreWaveVolume() {
    // A 0 read from no output at all must not silence an output that appeared meanwhile.
    if (m_waveFound)
        m_volume.set(m_waveVol);
}

void SpeedControl::RateOne() {
    m_playRate = 1.0;
    m_player.setRate(m_playRate);
    m_slider->setValue(kNormalPosition);
    showRate();
    m_slideShow.Enable();
}

void SpeedControl::SliderScroll(int position) {
    m_playRate = RateOfPosition(position);
    m_dragTip = RateText(m_playRate);
    if (m_slider->isVisible())
        QToolTip::showText(QCursor::pos(), m_dragTip, m_slider);
}

void SpeedControl::SliderChange(int position) {
    m_slideShow.Disable();
    m_playRate = RateOfPosition(position);
    m_player.setRate(m_playRate);
    showRate();
    m_slideShow.Enable();
}

void SpeedControl::SetRate(double rate) {
    const int position =
        std::clamp(int(std::lround(rate * kNormalPosition)), m_slider->minimum(), m_slider->maximum());
    m_slider->setValue(position);
}

void SpeedControl::showRate() {
    m_dragTip = RateText(m_playRate);
    m_slider->setToolTip(m_dragTip);
    m_state.setPlayRate(m_playRate);
}

} // namespace tobimaru
