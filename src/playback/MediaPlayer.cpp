#include "playback/MediaPlayer.h"

#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "playback/PlayerControlBar.h"
#include "playback/mpv/MpvSession.h"
#include "playback/mpv/MpvVideoView.h"
#include "playback/mpv/MpvVideoWindow.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <mpv/client.h>

namespace tobimaru {

namespace {

// mpv's tempo filter mutes below 0.25x unless told otherwise; the speed slider goes to 0.1x.
constexpr double kSlowTempoLimit = 0.25;
const QByteArray kSlowTempoFilter = QByteArrayLiteral("@slowtempo:scaletempo2=min-speed=0.01");

QString StateText(PlayerState state) {
    switch (state) {
    case MediaPlayer::Playing:
        return QStringLiteral("再生中");
    case MediaPlayer::Paused:
        return QStringLiteral("一時停止");
    case MediaPlayer::Stopped:
        return QStringLiteral("停止");
    default:
        return QString();
    }
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent, const Options& options)
    : QWidget(parent)
    , m_options(options) {
    setObjectName(QStringLiteral("MediaPlayer1"));
    setAccessibleName(QStringLiteral("プレイヤー"));
    setFocusPolicy(Qt::ClickFocus);
    for (const DisplayFlagInfo& f : kDisplayFlags)
        m_flags[f.id] = f.initial;

    m_stage = new QWidget(this);
    m_stage->setObjectName(QStringLiteral("videoStage"));
    m_stage->setAutoFillBackground(true);
    QPalette black = m_stage->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_stage->setPalette(black);
    m_stage->installEventFilter(this);

    m_output = options.output;
    if (m_output == Output::Automatic) {
        // The offscreen platform has no GL and no native windows to show a picture in.
        m_output =
            QGuiApplication::platformName() == QLatin1String("offscreen") ? Output::NoVideo : Output::Video;
    }
    // Until there is a picture output the stage's black stands in for it.
    m_video = new QWidget(m_stage);
    m_video->setObjectName(QStringLiteral("videoView"));

    m_statusLine = new QLabel(this);
    m_statusLine->setObjectName(QStringLiteral("statusLine"));
    m_bar = new PlayerControlBar(this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_stage, 1);
    column->addWidget(m_statusLine);
    column->addWidget(m_bar);

    connect(m_bar, &PlayerControlBar::playPauseRequested, this, &MediaPlayer::togglePlay);
    connect(m_bar, &PlayerControlBar::stopRequested, this, &MediaPlayer::Stop);
    connect(m_bar, &PlayerControlBar::seekRequested, this, &MediaPlayer::seekTo);
    connect(m_bar, &PlayerControlBar::volumeRequested, this, &MediaPlayer::setVolume);
    connect(m_bar, &PlayerControlBar::muteRequested, this, &MediaPlayer::setMute);

    m_bar->setPlayState(m_state);
    applyFlags();
    updateStatusLine();

    m_corePending = options.startCore;
    if (!options.deferCore)
        StartCore();
}

MediaPlayer::~MediaPlayer() {
    // The render context must go while the core still exists; the container takes the
    // picture's window with it.
    delete m_video;
    m_video = nullptr;
    m_glWindow = nullptr;
    m_picture = nullptr;
    m_session.reset();
}

void MediaPlayer::StartCore() {
    if (!m_corePending)
        return;
    m_corePending = false;

    MpvSession::Options session;
    session.videoOut = m_output != Output::NoVideo;
    session.audioOutput = m_options.audioOutput;
    // What was set on the pane meanwhile is where the core starts, so that no later request
    // has to catch up with it and no first report of mpv's defaults undoes it.
    m_slowTempo = m_rate < kSlowTempoLimit;
    session.extra = {
        {"volume", QByteArray::number(m_volume)},
        {"mute", m_mute ? "yes" : "no"},
        {"speed", QByteArray::number(m_rate, 'g', 17)},
    };
    if (m_slowTempo)
        session.extra.append({"af", kSlowTempoFilter});
    session.extra += m_options.mpvOptions;
    m_session = std::make_unique<MpvSession>(session);
    if (!m_session->isReady())
        m_session.reset();
    if (m_session) {
        connectSession();
        if (m_output != Output::NoVideo)
            makeVideoOutput();
    }

    if (!m_deferredLoad)
        return;
    if (!m_session) {
        m_deferredLoad = false;
        failWith(MPV_ERROR_UNINITIALIZED);
    } else if (!m_picture) {
        // Stop or Pause may have come while the file waited.
        if (const int rc = issueLoad(m_state != Playing); rc < 0)
            failWith(rc);
    }
    // With a picture output the file waits on for its render context (onRenderInitialized).
}

void MediaPlayer::connectSession() {
    connect(m_session.get(), &MpvSession::loadFailed, this, &MediaPlayer::failWith);
    connect(m_session.get(), &MpvSession::fileFailed, this, &MediaPlayer::failWith);
    connect(m_session.get(), &MpvSession::fileLoaded, this, [this] {
        if (m_picture)
            m_picture->setBlank(false);
        // mpv tells a change only when it sees one: a file as long as the one before may come
        // with no report of its length at all, and then mpv's last report is its length.
        takeDuration(m_mpvDuration);
        Q_EMIT NewStream();
    });
    connect(m_session.get(), &MpvSession::playbackRestarted, this, &MediaPlayer::playbackRestarted);
    connect(m_session.get(), &MpvSession::endOfFile, this, &MediaPlayer::onEndOfFile);
    connect(m_session.get(), &MpvSession::videoSizeChanged, this, &MediaPlayer::onVideoSize);
    connect(m_session.get(), &MpvSession::positionChanged, this, [this](double seconds) {
        m_position = seconds;
        m_bar->setPosition(seconds);
    });
    connect(m_session.get(), &MpvSession::durationChanged, this, [this](double seconds) {
        m_mpvDuration = seconds;
        takeDuration(seconds);
    });
    connect(m_session.get(), &MpvSession::volumeChanged, this, [this](double volume) {
        const int old = m_volume;
        m_volume = int(std::lround(volume));
        m_bar->setVolume(m_volume);
        if (m_volume != old)
            Q_EMIT volumeChanged(m_volume);
    });
    connect(m_session.get(), &MpvSession::hardwareDecodingChanged, this,
            [this](const QString& mode) { m_hardwareDecoding = mode; });
    connect(m_session.get(), &MpvSession::hardwareDecoderChanged, this, [this](const QString& decoder) {
        m_hardwareDecoder = decoder;
        // Whether a file got a hardware decoder is otherwise invisible: the log says it.
        if (!decoder.isEmpty())
            qInfo("player: %s: video decoded by %s (hwdec=%s)", qUtf8Printable(GetFileNamePart(m_fileName)),
                  decoder == QLatin1String("no") ? "software" : qUtf8Printable(decoder),
                  qUtf8Printable(m_hardwareDecoding));
    });
    connect(m_session.get(), &MpvSession::muteChanged, this, [this](bool on) {
        m_mute = on;
        m_bar->setMuted(on);
    });
}

void MediaPlayer::takeDuration(double seconds) {
    if (seconds == m_duration)
        return;
    m_duration = seconds;
    m_bar->setDuration(seconds);
    Q_EMIT durationChanged(seconds);
}

void MediaPlayer::makeVideoOutput() {
    // Wayland compositors never expose a native window embedded in another one under Qt 6.4,
    // so there the picture is a GL widget, which costs a composed window per frame.
    const bool embeddedWindows = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (!embeddedWindows && m_output != Output::SoftwareVideo) {
        auto* view = new MpvVideoView(m_session->handle(), m_stage);
        connect(view, &MpvVideoView::renderInitialized, this, &MediaPlayer::onRenderInitialized);
        m_picture = view;
        placeVideo(view);
        return;
    }
    MpvVideoWindow::Backend backend = MpvVideoWindow::Backend::Software;
    if (m_output == Output::OpenGLVideo)
        backend = MpvVideoWindow::Backend::OpenGL;
    else if (m_output == Output::Video)
        backend = MpvVideoWindow::ChooseBackend();
    m_glWindow = new MpvVideoWindow(m_session->handle(), backend);
    m_picture = m_glWindow;
    connect(m_glWindow, &MpvVideoWindow::renderInitialized, this, &MediaPlayer::onRenderInitialized);
    QWidget* container = QWidget::createWindowContainer(m_glWindow, m_stage);
    // The pane takes the focus a click gives, as it did before; the container would hand it
    // on to the picture's window, where no key arrives.
    container->setFocusPolicy(Qt::NoFocus);
    // Drags over the picture go to the pane's parents as over any other widget.
    container->setAcceptDrops(false);
    // A native container puts the picture's window inside the pane's own native window, so
    // that the window stacks widgets over the pane (a splitter's drag shadow) above it too.
    container->winId();
    placeVideo(container);
}

void MediaPlayer::placeVideo(QWidget* video) {
    video->setObjectName(QStringLiteral("videoView"));
    delete m_video;
    m_video = video;
    layoutVideo();
    video->show();
}

bool MediaPlayer::isReady() const {
    return m_session != nullptr;
}

void MediaPlayer::failWith(int error) {
    if (m_picture)
        m_picture->setBlank(true);
    m_errorCode = error;
    m_errorDescription = PlayerErrorText(error);
    setState(Closed);
    Q_EMIT Warning(1, m_errorCode, m_errorDescription);
}

void MediaPlayer::onEndOfFile() {
    setState(Stopped);
    Q_EMIT EndOfStream(0);
}

void MediaPlayer::onVideoSize(const QSize& size) {
    m_videoSize = size;
    layoutVideo();
    if (m_autoSize)
        updateGeometry();
}

void MediaPlayer::setFileName(const QString& path) {
    if (path.isEmpty()) {
        if (m_session)
            m_session->close();
        if (m_picture)
            m_picture->setBlank(true);
        m_deferredLoad = false;
        m_fileName.clear();
        m_videoSize = QSize();
        m_position = 0;
        m_duration = 0;
        setState(Closed);
        layoutVideo();
        return;
    }
    m_fileName = path;
    startLoad();
}

void MediaPlayer::startLoad() {
    m_errorCode = 0;
    m_errorDescription.clear();
    m_position = 0;
    m_duration = 0;
    m_bar->setDuration(0);
    m_bar->setPosition(0);
    if (!m_session && m_corePending) {
        // The file waits for the core, as it waits below for the core's picture output.
        m_deferredLoad = true;
        setState(Playing);
        return;
    }
    if (!m_session) {
        m_errorCode = MPV_ERROR_UNINITIALIZED;
        m_errorDescription = PlayerErrorText(MPV_ERROR_UNINITIALIZED);
        setState(Closed);
        throw Failure(ErrorCode::DeviceUnavailable, "MediaPlayer");
    }
    if (m_picture && !m_picture->isRenderReady() && !m_picture->hasRenderFailed()) {
        // A file given to mpv before its picture output exists ends at once with an error.
        m_deferredLoad = true;
        m_session->close();
    } else if (const int rc = issueLoad(false); rc < 0) {
        m_errorCode = rc;
        m_errorDescription = PlayerErrorText(rc);
        setState(Closed);
        throw Failure(ErrorCode::InvalidCall, "MediaPlayer");
    }
    setState(Playing);
}

int MediaPlayer::issueLoad(bool paused) {
    m_deferredLoad = false;
    return m_session->load(m_fileName, paused);
}

void MediaPlayer::onRenderInitialized(bool ok) {
    // Before any file reaches mpv: its requests run in order, so the first file decodes this way.
    if (ok && m_session && m_picture && m_picture->takesGpuFrames())
        m_session->setHardwareDecoding(MpvSession::kDirectDecoding);
    if (!ok && m_session) {
        // No picture output: sound and timing still work, and the stage's black shows.
        m_session->dropVideoOutput();
        if (m_video)
            m_video->hide();
    }
    if (m_deferredLoad && m_session) {
        // Stop or Pause may have come while the file waited.
        if (const int rc = issueLoad(m_state != Playing); rc < 0)
            failWith(rc);
    }
}

void MediaPlayer::Play() {
    switch (m_state) {
    case Playing:
        return;
    case Paused:
        if (m_session)
            m_session->setPause(false);
        setState(Playing);
        return;
    case Stopped:
        if ((m_session && m_session->hasFile()) || m_deferredLoad) {
            if (m_session)
                m_session->setPause(false);
            setState(Playing);
            return;
        }
        [[fallthrough]];
    default:
        // Ended or closed: open the file again from its start.
        if (!m_fileName.isEmpty())
            startLoad();
    }
}

void MediaPlayer::Pause() {
    if (m_state != Playing)
        return;
    if (m_session)
        m_session->setPause(true);
    setState(Paused);
}

void MediaPlayer::Stop() {
    if (m_state == Closed)
        return;
    if (m_session && m_session->hasFile()) {
        m_session->setPause(true);
        m_session->rewind();
    }
    m_position = 0;
    m_bar->setPosition(0);
    setState(Stopped);
}

void MediaPlayer::togglePlay() {
    if (m_state == Playing) {
        Pause();
        return;
    }
    try {
        Play();
    } catch (const Failure&) {
        // The pane's own button has nobody to report to but the pane's listeners.
        Q_EMIT Warning(1, m_errorCode, m_errorDescription);
    }
}

void MediaPlayer::seek(double seconds) {
    seekTo(seconds, true);
}

void MediaPlayer::seekTo(double seconds, bool exact) {
    if (m_session && m_session->hasFile())
        m_session->seek(seconds, exact);
}

void MediaPlayer::setState(State state) {
    if (state == m_state)
        return;
    const State old = m_state;
    m_state = state;
    m_bar->setPlayState(state);
    updateStatusLine();
    Q_EMIT PlayStateChange(old, state);
}

void MediaPlayer::setDisplaySize(Size size) {
    if (size < Normal || size > Fit)
        throw Failure(ErrorCode::InvalidPropertyValue, "DisplaySize");
    const Size old = m_displaySize;
    m_displaySize = size;
    if (size != FullScreen)
        m_sizeBeforeFullScreen = size;
    layoutVideo();
    if (size == FullScreen && isVisible())
        setFocus(Qt::OtherFocusReason); // so that Esc reaches the pane
    if (size == FullScreen && old != FullScreen)
        Q_EMIT fullScreenRequested(true);
    else if (size != FullScreen && old == FullScreen)
        Q_EMIT fullScreenRequested(false);
}

void MediaPlayer::leaveFullScreen() {
    if (m_displaySize == FullScreen)
        setDisplaySize(m_sizeBeforeFullScreen);
}

void MediaPlayer::setRate(double rate) {
    if (!std::isfinite(rate) || rate < 0.01 || rate > 100)
        throw Failure(ErrorCode::InvalidPropertyValue, "Rate");
    m_rate = rate;
    if (!m_session)
        return;
    // Our own filter only where mpv's default one would fall silent, so normal speeds keep
    // mpv's usual chain.
    const bool slow = rate < kSlowTempoLimit;
    if (slow != m_slowTempo) {
        m_slowTempo = slow;
        m_session->setAudioFilter(slow ? kSlowTempoFilter : QByteArray());
    }
    m_session->setSpeed(rate);
}

void MediaPlayer::setMute(bool mute) {
    m_mute = mute;
    m_bar->setMuted(mute);
    if (m_session)
        m_session->setMute(mute);
}

void MediaPlayer::setVolume(int volume) {
    const int old = m_volume;
    m_volume = std::clamp(volume, 0, 100);
    m_bar->setVolume(m_volume);
    if (m_session)
        m_session->setVolume(m_volume);
    if (m_volume != old)
        Q_EMIT volumeChanged(m_volume);
}

void MediaPlayer::setAutoSize(bool on) {
    m_autoSize = on;
    updateGeometry();
}

bool MediaPlayer::DisplayFlag(PlayerFlag id) const {
    const auto it = m_flags.find(id);
    return it != m_flags.end() && it->second;
}

bool MediaPlayer::setDisplayFlag(PlayerFlag id, bool on) {
    const auto it = m_flags.find(id);
    if (it == m_flags.end())
        return false;
    it->second = on;
    applyFlags();
    return true;
}

void MediaPlayer::applyFlags() {
    m_bar->setVisible(DisplayFlag(PlayerFlag::ControlBar));
    m_bar->setAudioControlsVisible(DisplayFlag(PlayerFlag::AudioControls));
    m_bar->setTrackerVisible(DisplayFlag(PlayerFlag::Tracker));
    m_bar->setTrackerEnabled(DisplayFlag(PlayerFlag::TrackerEnabled));
    m_bar->setTransportVisible(DisplayFlag(PlayerFlag::Transport));
    m_statusLine->setVisible(DisplayFlag(PlayerFlag::StatusLine));
}

void MediaPlayer::updateStatusLine() {
    const QString name = GetFileNamePart(m_fileName);
    const QString state = StateText(m_state);
    m_statusLine->setText(name.isEmpty() ? state : name + QStringLiteral("  ") + state);
}

QRect MediaPlayer::VideoRect(const QSize& pane, const QSize& video, Size displaySize) {
    if (pane.isEmpty())
        return QRect();
    if (video.isEmpty())
        return QRect(QPoint(0, 0), pane); // nothing to size by: mpv fills the pane black
    double scale = 1.0;
    switch (displaySize) {
    case Half:
        scale = 0.5;
        break;
    case Double:
        scale = 2.0;
        break;
    case Normal:
        break;
    default: // fit and full screen
        scale = std::min(double(pane.width()) / video.width(), double(pane.height()) / video.height());
        break;
    }
    // A fixed size too big for the pane is shown whole, shrunk to fit, not cut.
    scale = std::min(scale,
                     std::min(double(pane.width()) / video.width(), double(pane.height()) / video.height()));
    const int w = std::max(1, int(std::lround(video.width() * scale)));
    const int h = std::max(1, int(std::lround(video.height() * scale)));
    return QRect((pane.width() - w) / 2, (pane.height() - h) / 2, w, h);
}

void MediaPlayer::layoutVideo() {
    if (m_video)
        m_video->setGeometry(VideoRect(m_stage->size(), m_videoSize, m_displaySize));
}

QSize MediaPlayer::sizeHint() const {
    if (m_autoSize && !m_videoSize.isEmpty()) {
        const int barHeight = m_bar->isVisibleTo(this) ? m_bar->sizeHint().height() : 0;
        return QSize(m_videoSize.width(), m_videoSize.height() + barHeight);
    }
    return QSize(320, 240);
}

bool MediaPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_stage && event->type() == QEvent::Resize)
        layoutVideo();
    return QWidget::eventFilter(watched, event);
}

void MediaPlayer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Hidden while its size changed (the wrapper does that), the pane lost the focus that Esc
    // needs to bring the window back from full screen.
    if (m_displaySize == FullScreen)
        setFocus(Qt::OtherFocusReason);
}

void MediaPlayer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_displaySize == FullScreen) {
        leaveFullScreen();
        return;
    }
    if (DisplayFlag(PlayerFlag::KeyEvents)) {
        const Qt::KeyboardModifiers mods = event->modifiers();
        const int shift = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                          (mods & Qt::AltModifier ? 4 : 0);
        Q_EMIT KeyDown(event->key(), shift);
    }
    QWidget::keyPressEvent(event);
}

void MediaPlayer::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_displaySize == FullScreen && m_stage->geometry().contains(event->position().toPoint())) {
        leaveFullScreen();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void MediaPlayer::contextMenuEvent(QContextMenuEvent* event) {
    if (!DisplayFlag(PlayerFlag::ContextMenu)) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    QAction* play = menu.addAction(m_state == Playing ? QStringLiteral("一時停止") : QStringLiteral("再生"));
    QAction* stop = menu.addAction(QStringLiteral("停止"));
    QAction* mute = menu.addAction(QStringLiteral("ミュート"));
    mute->setCheckable(true);
    mute->setChecked(m_mute);
    play->setEnabled(!m_fileName.isEmpty());
    stop->setEnabled(m_state != Closed);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == play)
        togglePlay();
    else if (chosen == stop)
        Stop();
    else if (chosen == mute)
        setMute(mute->isChecked());
}

} // namespace tobimaru
