#include "playback/PlaybackState.h"

#include "base/ErrorTable.h"

namespace tobimaru {

namespace {

template <typename T, typename Signal> void Assign(PlaybackState* self, T& field, T value, Signal signal) {
    if (field == value)
        return;
    field = value;
    Q_EMIT(self->*signal)(value);
}

void CheckIndex(int value, int last, const char* what) {
    if (value < -1 || value > last)
        throw Failure(ErrorCode::SubscriptOutOfRange, what);
}

} // namespace

PlaybackState::PlaybackState(QObject* parent)
    : QObject(parent) {}

void PlaybackState::setMute(bool on) {
    Assign(this, m_mute, on, &PlaybackState::muteChanged);
}

void PlaybackState::setAlwaysOnTop(bool on) {
    Assign(this, m_alwaysOnTop, on, &PlaybackState::alwaysOnTopChanged);
}

void PlaybackState::setSlideShow(bool on) {
    Assign(this, m_slideShow, on, &PlaybackState::slideShowChanged);
}

void PlaybackState::setFileView(bool on) {
    Assign(this, m_fileView, on, &PlaybackState::fileViewChanged);
}

void PlaybackState::setDisplaySize(int index) {
    CheckIndex(index, 4, "Dspsize");
    Assign(this, m_displaySize, index, &PlaybackState::displaySizeChanged);
}

void PlaybackState::setRepeat(bool on, bool fromKey) {
    if (m_repeat == on && !fromKey)
        return;
    m_repeat = on;
    Q_EMIT repeatChanged(on, fromKey);
}

void PlaybackState::setReverseOrder(bool on) {
    Assign(this, m_reverseOrder, on, &PlaybackState::reverseOrderChanged);
}

void PlaybackState::setPlayRate(double rate) {
    Assign(this, m_playRate, rate, &PlaybackState::playRateChanged);
}

void PlaybackState::setPaused(bool on) {
    Assign(this, m_paused, on, &PlaybackState::pausedChanged);
}

} // namespace tobimaru
