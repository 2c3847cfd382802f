#include "playback/SlideShow.h"

#include "base/RuntimeSettings.h"
#include "playback/ContinuousRules.h"
#include "playback/PlaybackState.h"

#include <QTimer>

namespace tobimaru {

SlideShow::SlideShow(QTimer& timer1, const RuntimeSettings& settings, PlaybackState& state)
    : m_timer(timer1)
    , m_settings(settings)
    , m_state(state) {
    m_timer.setSingleShot(false);
    m_timer.stop();
}

void SlideShow::Disable() {
    m_enabled = false;
    m_timer.stop();
}

void SlideShow::Enable() {
    m_enabled = true;
    // A QTimer with interval 0 would fire on every pass of the event loop; ours never ticks.
    if (m_interval > 0 && !m_timer.isActive())
        m_timer.start(m_interval);
}

void SlideShow::ArmSlideTimer(const QString& Kakuchousi) {
    if (!m_state.slideShow() || !SlideAppliesTo(m_settings.SlideKind, Kakuchousi))
        return;
    Disable();
    m_interval = SlideInterval(m_settings.SlideSeconds);
    Enable();
}

void SlideShow::SetSlideShowOn(bool on) {
    if (on)
        Enable();
    else
        Disable();
    m_state.setSlideShow(on);
}

} // namespace tobimaru
