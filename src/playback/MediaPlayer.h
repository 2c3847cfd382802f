#pragma once

#include "playback/PlayerTypes.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <map>
#include <memory>

class QLabel;

namespace tobimaru {

class PlayerControlBar;
class MpvSession;
class MpvVideoWindow;
class PictureOutput;

enum class PlayerOutput {
    Automatic,     ///< Video, except on the offscreen platform, which can show none (NoVideo)
    Video,         ///< a picture, drawn the way that costs least here (MpvVideoWindow::ChooseBackend)
    OpenGLVideo,   ///< a picture drawn with GL, whatever GL there is
    SoftwareVideo, ///< a picture converted and scaled on the processor
    NoVideo,       ///< decode and time the picture but show nothing (vo=null)
};

/// How the player pane's mpv core is set up.
struct PlayerOptions {
    PlayerOutput output = PlayerOutput::Automatic;
    /// mpv's audio output; empty for mpv's choice, "null" for none.
    QByteArray audioOutput;
    /// Further mpv options set before the core starts (name, value).
    QList<QPair<QByteArray, QByteArray>> mpvOptions;
    /// False makes a pane without a player core, as when libmpv cannot start: every start
    /// then fails the way such a machine would.
    bool startCore = true;
    /// True leaves the core to StartCore(): the main window makes it after its first paint,
    /// so that start-up shows the window before libmpv and its GL output are set up.
    bool deferCore = false;
};

/// The player pane `MediaPlayer1`: the members and events the rest of the program has always
/// driven a media player component through, over an mpv session (MpvSession) and its video
/// view. Calls and events happen on the GUI thread only.
///
/// PlayState: 0 stopped (file kept, at its start), 1 paused, 2 playing, 6 closed (nothing
/// loaded). DisplaySize: 0 the video's own size centred, 1 half, 2 double, 3 full screen,
/// 4 fit the pane keeping the aspect; the fixed sizes shrink to fit a pane too small for them.
class MediaPlayer final : public QWidget {
    Q_OBJECT

public:
    using State = PlayerState;
    static constexpr State Stopped = State::Stopped;
    static constexpr State Paused = State::Paused;
    static constexpr State Playing = State::Playing;
    static constexpr State Closed = State::Closed;
    using Size = PlayerSize;
    static constexpr Size Normal = Size::Normal;
    static constexpr Size Half = Size::Half;
    static constexpr Size Double = Size::Double;
    static constexpr Size FullScreen = Size::FullScreen;
    static constexpr Size Fit = Size::Fit;

    /// What the numbered display flags switch. Ids that are not in this table are refused.
    ///
    /// | Id   | Part of the pane                                   | Initial |
    /// |------|----------------------------------------------------|---------|
    /// | 1013 | the whole control bar                              | on      |
    /// | 1014 | the volume slider and the mute button              | on      |
    /// | 1021 | the pane's right-button menu (off while gestures   | on      |
    /// |      | use the right button)                              |         |
    /// | 1045 | the status line: file name and play state          | off     |
    /// | 1056 | the seek slider with elapsed and total time        | on      |
    /// | 1063 | seeking with that slider (off: it only shows)      | on      |
    /// | 1086 | the play/pause and stop buttons                    | on      |
    /// | 1107 | KeyDown events for keys pressed in the pane        | on      |
    struct DisplayFlagInfo {
        PlayerFlag id;
        bool initial;
    };
    static constexpr std::array<DisplayFlagInfo, 8> kDisplayFlags{{{PlayerFlag::ControlBar, true},
                                                                   {PlayerFlag::AudioControls, true},
                                                                   {PlayerFlag::ContextMenu, true},
                                                                   {PlayerFlag::StatusLine, false},
                                                                   {PlayerFlag::Tracker, true},
                                                                   {PlayerFlag::TrackerEnabled, true},
                                                                   {PlayerFlag::Transport, true},
                                                                   {PlayerFlag::KeyEvents, true}}};

    using Output = PlayerOutput;
    using Options = PlayerOptions;

    /// Starts an idle mpv core, unless the options defer it. If mpv cannot be started the pane
    /// still exists, every start fails with ErrorCode/ErrorDescription set.
    explicit MediaPlayer(QWidget* parent = nullptr, const Options& options = Options());
    ~MediaPlayer() override;

    /// Makes the deferred core and its picture output, with the volume, mute and rate set on
    /// the pane meanwhile, then opens the file asked for meanwhile (paused or stopped if it was
    /// told so). Does nothing when the core was made or tried already. A file that was waiting
    /// for a core that cannot start fails as every start on such a machine does, through
    /// Warning.
    void StartCore();
    /// True while the core is deferred and StartCore has not run: every member still works,
    /// and what reaches mpv waits for the core.
    bool isCorePending() const { return m_corePending; }
    /// False when the mpv core does not exist (not made yet, or it could not start).
    bool isReady() const;

    /// The file asked for last, "" when closed.
    QString FileName() const { return m_fileName; }
    /// Opens and plays a file (any previous one is replaced); "" closes (state 6). Throws
    /// Failure when the player cannot take a file at all.
    void setFileName(const QString& path);

    State PlayState() const { return m_state; }
    /// Resumes a paused or stopped file; in state 6 reopens FileName if there is one.
    void Play();
    /// Pauses a playing file; no effect in any other state.
    void Pause();
    /// Pauses and goes back to the start, keeping the file loaded (state 0).
    void Stop();

    Size DisplaySize() const { return m_displaySize; }
    /// 0..4 as above; other values throw Failure. Entering and leaving 3 emits
    /// fullScreenRequested.
    void setDisplaySize(Size size);

    double Rate() const { return m_rate; }
    /// The speed factor with pitch correction, kept from file to file; 0.01..100, others throw.
    void setRate(double rate);

    bool Mute() const { return m_mute; }
    void setMute(bool mute);

    /// 0..100, the control bar's volume.
    int Volume() const { return m_volume; }
    void setVolume(int volume);

    /// The last failure: mpv's error number (negative), 0 when the last open went well.
    long ErrorCode() const { return m_errorCode; }
    QString ErrorDescription() const { return m_errorDescription; }

    bool AutoSize() const { return m_autoSize; }
    /// When on, the pane asks the layout for the video's own size.
    void setAutoSize(bool on);

    /// The pane's own visibility flag (not whether its window is on screen).
    bool Visible() const { return !isHidden(); }

    /// A display flag of the table; false for ids not in it.
    bool DisplayFlag(PlayerFlag id) const;
    /// Sets a display flag of the table; returns false (and changes nothing) for other ids.
    bool setDisplayFlag(PlayerFlag id, bool on);

    /// Where the picture goes in a pane of `pane` for a video of `video` at a display size.
    static QRect VideoRect(const QSize& pane, const QSize& video, Size displaySize);

    /// The picture's own size (after aspect correction); empty while none is known.
    QSize videoSize() const { return m_videoSize; }
    double position() const { return m_position; }
    double duration() const { return m_duration; }
    /// Goes to `seconds` from the file's start (exactly, not to a key frame); nothing without a
    /// file. The control bar's slider does the same.
    void seek(double seconds);
    /// mpv's hwdec choice as mpv reports it ("auto-safe" with a GL output that takes decoded
    /// frames as they are, "auto-copy-safe" otherwise).
    QString hardwareDecoding() const { return m_hardwareDecoding; }
    /// The decoder of the file's video as mpv reports it: a hardware one's name, "no" for
    /// software; empty while no video is decoded.
    QString hardwareDecoder() const { return m_hardwareDecoder; }
    /// The widget the picture is drawn into: the container of the picture's own window, or a
    /// plain black widget while there is no GL output (yet).
    QWidget* videoWidget() const { return m_video; }
    /// The picture's own window; null while there is no GL output (yet), and on Wayland,
    /// where the picture is a GL widget.
    MpvVideoWindow* videoWindow() const { return m_glWindow; }
    PlayerControlBar* controlBar() const { return m_bar; }

    QSize sizeHint() const override;

Q_SIGNALS:
    /// The file played to its end (argument always 0).
    void EndOfStream(long result);
    void PlayStateChange(tobimaru::PlayerState oldState, tobimaru::PlayerState newState);
    /// A file was opened and is about to show.
    void NewStream();
    /// A file could not be played: type 1, param = ErrorCode, mpv's text.
    void Warning(long type, long param, const QString& description);
    /// A key pressed in the pane: Qt key code, shift state 1 Shift, 2 Ctrl, 4 Alt.
    void KeyDown(int key, int shift);
    /// The pane wants the main window full screen with every other pane hidden (true), or back
    /// (false). The window does it; the pane is never taken out of its place, since the
    /// picture's native window and its GL context would have to be made again elsewhere.
    void fullScreenRequested(bool on);
    /// The first picture (or sound) of a file or after a seek is out.
    void playbackRestarted();
    /// The file's length became known (0 while unknown).
    void durationChanged(double seconds);
    /// The volume changed, 0..100, whoever changed it.
    void volumeChanged(int volume);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectSession();
    void makeVideoOutput();
    void placeVideo(QWidget* video);
    void startLoad();
    int issueLoad(bool paused);
    void failWith(int error);
    void onRenderInitialized(bool ok);
    void setState(State state);
    void onEndOfFile();
    void onVideoSize(const QSize& size);
    void takeDuration(double seconds);
    void applyFlags();
    void layoutVideo();
    void updateStatusLine();
    void togglePlay();
    void seekTo(double seconds, bool exact);
    void leaveFullScreen();

    std::unique_ptr<MpvSession> m_session;
    PlayerOptions m_options;
    Output m_output = Output::NoVideo; // resolved: never Automatic
    bool m_corePending = false;
    MpvVideoWindow* m_glWindow = nullptr; // owned by its container, m_video
    PictureOutput* m_picture = nullptr;   // m_glWindow, or the GL widget that is m_video
    QWidget* m_stage = nullptr;
    QWidget* m_video = nullptr;
    QLabel* m_statusLine = nullptr;
    PlayerControlBar* m_bar = nullptr;

    QString m_fileName;
    State m_state = Closed;
    bool m_deferredLoad = false; // waiting for the core or its GL output before the first file
    bool m_slowTempo = false;    // our own tempo filter is in place for rates under 0.25
    Size m_displaySize = Fit;
    Size m_sizeBeforeFullScreen = Fit;
    double m_rate = 1.0;
    bool m_mute = false;
    int m_volume = 100;
    long m_errorCode = 0;
    QString m_errorDescription;
    bool m_autoSize = false;
    std::map<PlayerFlag, bool> m_flags;
    QSize m_videoSize;
    double m_position = 0;
    double m_duration = 0;
    double m_mpvDuration = 0; // mpv's last report, which may belong to the file before
    QString m_hardwareDecoding;
    QString m_hardwareDecoder;
};

} // namespace tobimaru
