#pragma once

#include <QObject>

namespace tobimaru {

/// What the playback parts decide on and the window shows in its menus, toolbar and status bar:
/// the subsystems read and change it here, never in a menu check or a toolbar button. Each
/// setter emits its signal only when the value changes. (The quick-path recording rule is the
/// quick paths' own: see QuickPaths.)
class PlaybackState final : public QObject {
    Q_OBJECT

public:
    explicit PlaybackState(QObject* parent = nullptr);

    bool mute() const { return m_mute; }
    void setMute(bool on);
    bool alwaysOnTop() const { return m_alwaysOnTop; }
    void setAlwaysOnTop(bool on);
    /// The option "スライドショーを行う".
    bool slideShow() const { return m_slideShow; }
    void setSlideShow(bool on);
    /// File view: the list shows every file and the playlist rules rest.
    bool fileView() const { return m_fileView; }
    void setFileView(bool on);
    /// The display size 0..4 (fit, 50%, 100%, 200%, full screen); -1 while none is chosen.
    /// Throws Failure(SubscriptOutOfRange) for another value, before anything changes.
    int displaySize() const { return m_displaySize; }
    void setDisplaySize(int index);
    /// Repeat. `fromKey` tells the views that the F9 key asked: only then does the toolbar's
    /// repeat button follow (a click on it or on the menu item leaves it as the user left it).
    bool repeat() const { return m_repeat; }
    void setRepeat(bool on, bool fromKey = false);
    /// Continuous play runs up the list.
    bool reverseOrder() const { return m_reverseOrder; }
    void setReverseOrder(bool on);
    /// The player's speed.
    double playRate() const { return m_playRate; }
    void setPlayRate(double rate);
    /// The player pauses (the play button then shows the pause picture).
    bool paused() const { return m_paused; }
    void setPaused(bool on);

Q_SIGNALS:
    void muteChanged(bool on);
    void alwaysOnTopChanged(bool on);
    void slideShowChanged(bool on);
    void fileViewChanged(bool on);
    void displaySizeChanged(int index);
    void repeatChanged(bool on, bool fromKey);
    void reverseOrderChanged(bool on);
    void playRateChanged(double rate);
    void pausedChanged(bool on);

private:
    bool m_mute = false;
    bool m_alwaysOnTop = false;
    bool m_slideShow = false;
    bool m_fileView = false;
    int m_displaySize = -1;
    bool m_repeat = false;
    bool m_reverseOrder = false;
    double m_playRate = 1.0;
    bool m_paused = false;
};

} // namespace tobimaru
