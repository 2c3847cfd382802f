#pragma once

#include <QString>

class QTimer;

namespace tobimaru {

class PlaybackState;
struct RuntimeSettings;

/// The slideshow timer `Timer1` with the switching rules of the program: many commands disable
/// it, a few enable it again, and only the start of a file sets its interval. An enabled timer
/// whose interval was never set does not tick, so enabling it before the first arming is
/// harmless. What a tick does belongs to continuous play.
class SlideShow final {
public:
    /// `timer1`, `settings` (SlideSeconds, SlideKind) and `state` (the option itself) must
    /// outlive this object.
    SlideShow(QTimer& timer1, const RuntimeSettings& settings, PlaybackState& state);

    /// Stops the countdown.
    void Disable();
    /// Lets the timer run with the interval last set; an already running countdown goes on.
    void Enable();
    /// True between Enable and Disable (it ticks only once an interval is set).
    bool isEnabled() const { return m_enabled; }
    /// The interval last set in milliseconds, 0 before the first arming.
    int interval() const { return m_interval; }

    /// After each start: when the slideshow is on and its kind takes this extension (without
    /// the dot, any case), the countdown starts again from SlideSeconds + 1 seconds.
    void ArmSlideTimer(const QString& Kakuchousi);
    /// The option "スライドショーを行う" switched: the timer follows, then the option.
    void SetSlideShowOn(bool on);

    QTimer& timer() const { return m_timer; }

private:
    QTimer& m_timer;
    const RuntimeSettings& m_settings;
    PlaybackState& m_state;
    bool m_enabled = false;
    int m_interval = 0;
};

} // namespace tobimaru
