#include "playback/clsMovie.h"

#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "platform/ShellOpen.h"
#include "playback/MediaPlayer.h"

#include <QGuiApplication>
#include <array>
#include <new>

namespace tobimaru {

namespace {

// Fixed on purpose: the user's list of file types decides what is listed, not what the pane
// can play. After the classic 29 come the formats people have today and png, which the pane shows
// like any other picture: handed to the desktop it opened a viewer window at every slideshow turn.
constexpr std::array<const char*, 43> kMediaExtensions{
    "m1v",  "mp2",  "mp3", "mpa",  "mpe",  "au",   "mid", "rmi", "qt",   "aif", "aifc",
    "aiff", "asf",  "asx", "mpeg", "mpg",  "wmv",  "wma", "wax", "dat",  "avi", "bmp",
    "wav",  "jpeg", "jpg", "gif",  "tiff", "tif",  "vob", "mp4", "m4v",  "mkv", "webm",
    "mov",  "ogv",  "ts",  "flac", "ogg",  "opus", "m4a", "aac", "webp", "png"};

QString PlayerErrorCaption() {
    return QStringLiteral("プレイヤーエラー");
}

/// The hourglass for the length of a start, taken down on every way out.
class WaitCursor final {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    Q_DISABLE_COPY(WaitCursor)
    void restore() {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

ErrorCode CodeOf(const std::exception& e) {
    if (const auto* f = dynamic_cast<const Failure*>(&e))
        return f->code();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return ErrorCode::OutOfMemory;
    return ErrorCode::Internal;
}

} // namespace

clsMovie::clsMovie(MediaPlayer& player, Prompts& prompts, ShellOpener& opener,
                   std::function<void()> stopSlideTimer)
    : m_player(player)
    , m_prompts(prompts)
    , m_opener(opener)
    , m_stopSlideTimer(std::move(stopSlideTimer)) {
    m_player.setDisplayFlag(PlayerFlag::StatusLine, false);
    m_player.setDisplayFlag(PlayerFlag::Tracker, true);
    m_player.setAutoSize(false);
    m_player.setDisplaySize(MediaPlayer::Fit);
    m_player.setDisplayFlag(PlayerFlag::AudioControls, true);
    m_player.setDisplayFlag(PlayerFlag::Transport, true);
    m_player.setDisplayFlag(PlayerFlag::KeyEvents, true);
    m_player.setDisplayFlag(PlayerFlag::TrackerEnabled, true);
}

QStringList clsMovie::MediaExtensions() {
    QStringList list;
    for (const char* e : kMediaExtensions)
        list << QString::fromLatin1(e);
    return list;
}

bool clsMovie::IsMediaExtension(const QString& extension) {
    const QString lower = extension.toLower();
    for (const char* e : kMediaExtensions) {
        if (lower == QLatin1String(e))
            return true;
    }
    return false;
}

PlayerSize clsMovie::DisplaySizeFor(SizeMenuIndex dspIndex) {
    switch (dspIndex) {
    case SizeMenuIndex::Fit:
        return PlayerSize::Fit;
    case SizeMenuIndex::Half:
        return PlayerSize::Half;
    case SizeMenuIndex::Actual:
        return PlayerSize::Normal;
    case SizeMenuIndex::Double:
        return PlayerSize::Double;
    default:
        return PlayerSize::FullScreen;
    }
}

SizeMenuIndex clsMovie::DspIndexFor(PlayerSize displaySize) {
    switch (displaySize) {
    case PlayerSize::Fit:
        return SizeMenuIndex::Fit;
    case PlayerSize::Half:
        return SizeMenuIndex::Half;
    case PlayerSize::Normal:
        return SizeMenuIndex::Actual;
    case PlayerSize::Double:
        return SizeMenuIndex::Double;
    default:
        return SizeMenuIndex::FullScreen;
    }
}

void clsMovie::stopSlideTimer() const {
    if (m_stopSlideTimer)
        m_stopSlideTimer();
}

void clsMovie::PlayStart(const QString& FileName, const QString& Kakuchousi, SizeMenuIndex /*DspIndex*/) {
    WaitCursor wait;
    stopSlideTimer();
    const QString extension = Kakuchousi.toLower();
    try {
        if (!ExistsFile(FileName)) {
            wait.restore(); // an hourglass over the box's button would say the wrong thing
            m_prompts.message(FileName + QStringLiteral("は、存在しないため再生できません。"),
                              PlayerErrorCaption(), PromptIcon::Critical, PromptButtons::Ok);
            return;
        }
        if (IsMediaExtension(extension)) {
            if (!m_player.Visible())
                m_player.setVisible(true);
            m_player.setDisplayFlag(PlayerFlag::Transport, true);
            m_player.setDisplayFlag(PlayerFlag::StatusLine, false);
            m_player.setDisplayFlag(PlayerFlag::Tracker, true);
            m_player.setAutoSize(false);
            m_player.setDisplayFlag(PlayerFlag::AudioControls, true);
            m_player.setDisplayFlag(PlayerFlag::Transport, true);
            m_player.setDisplayFlag(PlayerFlag::KeyEvents, true);
            m_player.setDisplayFlag(PlayerFlag::TrackerEnabled, true);
            // The pane keeps its file between calls: that is what lets a paused file resume.
            if (m_player.FileName() != FileName || m_player.PlayState() == MediaPlayer::Stopped)
                m_player.setFileName(FileName);
            m_player.Play();
        } else if (!extension.isEmpty()) {
            if (m_opener.ShellOpenFile(nullptr, FileName, kShowNormal) != 0) {
                // Nothing on Linux reports this for us, unlike the shell the box was left to.
                wait.restore();
                m_prompts.message(FileName + QStringLiteral("を開くアプリケーションがありません。"),
                                  PlayerErrorCaption(), PromptIcon::Critical, PromptButtons::Ok);
            }
        }
    } catch (const std::exception& e) {
        wait.restore();
        showPlayerError(extension, CodeOf(e));
    } catch (...) {
        wait.restore();
        showPlayerError(extension, ErrorCode::Internal);
    }
}

void clsMovie::showPlayerError(const QString& extension, ErrorCode code) {
    QString text;
    if (IsMediaExtension(extension)) {
        const QChar cr = QLatin1Char('\r');
        text = QStringLiteral("(MediaPlayerエラー番号):  ") + QString::number(m_player.ErrorCode()) + cr +
               QStringLiteral("(エラー内容):  ") + m_player.ErrorDescription() + cr +
               QStringLiteral("(VBエラー番号):  ") + QString::number(ErrorNumber(code)) + cr +
               QStringLiteral("(エラー内容):  ") + ErrorText(code);
    }
    m_prompts.message(text, PlayerErrorCaption(), PromptIcon::Critical, PromptButtons::Ok);
    m_prompts.beep();
}

void clsMovie::PlayStop() {
    stopSlideTimer();
    if (m_player.PlayState() == MediaPlayer::Closed)
        return;
    m_player.Stop();
    m_player.setFileName(QString());
    m_player.setDisplayFlag(PlayerFlag::Transport, true);
    m_player.setDisplayFlag(PlayerFlag::KeyEvents, true);
}

void clsMovie::PlayPause() {
    if (m_player.PlayState() == MediaPlayer::Playing)
        m_player.Pause();
}

void clsMovie::PlayScreenChange(SizeMenuIndex DspIndex, const QString& /*FileName*/,
                                const QString& Kakuchousi) {
    if (!IsMediaExtension(Kakuchousi))
        return;
    // Hidden while the size changes, so the pane is never drawn half resized.
    m_player.setVisible(false);
    m_player.setDisplaySize(DisplaySizeFor(DspIndex));
    m_player.setVisible(true);
}

void clsMovie::SetPlayMute(bool mute, const QString& /*FileName*/, const QString& Kakuchousi) {
    if (IsMediaExtension(Kakuchousi))
        m_player.setMute(mute);
}

MovieState clsMovie::GetPlayState() const {
    if (!m_player.Visible())
        return MovieState::Idle;
    switch (m_player.PlayState()) {
    case PlayerState::Playing:
        return MovieState::Playing;
    case PlayerState::Paused:
        return MovieState::Paused;
    default:
        return MovieState::Idle;
    }
}

} // namespace tobimaru
