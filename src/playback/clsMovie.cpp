#include "playback/clsMovie.h"

#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "playback/MediaPlayer.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>
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
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (m_on)
            QGuiApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

int CodeOf(const std::exception& e) {
    if (const auto* f = dynamic_cast<const Failure*>(&e))
        return f->code();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return ErrorCode::OutOfMemory;
    return ErrorCode::Internal;
}

} // namespace

bool SystemDesktopOpener::openWithDefault(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

clsMovie::clsMovie(MediaPlayer& player, Prompts& prompts, DesktopOpener& opener,
                   std::function<void()> stopSlideTimer)
    : m_player(player)
    , m_prompts(prompts)
    , m_opener(opener)
    , m_stopSlideTimer(std::move(stopSlideTimer)) {
    m_player.setDisplayFlag(MediaPlayer::StatusLineFlag, false);
    m_player.setDisplayFlag(MediaPlayer::TrackerFlag, true);
    m_player.setAutoSize(false);
    m_player.setDisplaySize(MediaPlayer::Fit);
    m_player.setDisplayFlag(MediaPlayer::AudioControlsFlag, true);
    m_player.setDisplayFlag(MediaPlayer::TransportFlag, true);
    m_player.setDisplayFlag(MediaPlayer::KeyEventsFlag, true);
    m_player.setDisplayFlag(MediaPlayer::TrackerEnabledFlag, true);
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

int clsMovie::DisplaySizeFor(int dspIndex) {
    switch (dspIndex) {
    case 0:
        return MediaPlayer::Fit;
    case 1:
        return MediaPlayer::Half;
    case 2:
        return MediaPlayer::Normal;
    case 3:
        return MediaPlayer::Double;
    default:
        return MediaPlayer::FullScreen;
    }
}

int clsMovie::DspIndexFor(int displaySize) {
    switch (displaySize) {
    case MediaPlayer::Fit:
        return 0;
    case MediaPlayer::Half:
        return 1;
    case MediaPlayer::Normal:
        return 2;
    case MediaPlayer::Double:
        return 3;
    default:
        return 4;
    }
}

void clsMovie::stopSlideTimer() const {
    if (m_stopSlideTimer)
        m_stopSlideTimer();
}

void clsMovie::PlayStart(const QString& FileName, const QString& Kakuchousi, int /*DspIndex*/) {
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
            m_player.setDisplayFlag(MediaPlayer::TransportFlag, true);
            m_player.setDisplayFlag(MediaPlayer::StatusLineFlag, false);
            m_player.setDisplayFlag(MediaPlayer::TrackerFlag, true);
            m_player.setAutoSize(false);
            m_player.setDisplayFlag(MediaPlayer::AudioControlsFlag, true);
            m_player.setDisplayFlag(MediaPlayer::TransportFlag, true);
            m_player.setDisplayFlag(MediaPlayer::KeyEventsFlag, true);
            m_player.setDisplayFlag(MediaPlayer::TrackerEnabledFlag, true);
            // The pane keeps its file between calls: that is what lets a paused file resume.
            if (m_player.FileName() != FileName || m_player.PlayState() == MediaPlayer::Stopped)
                m_player.setFileName(FileName);
            m_player.Play();
        } else if (!extension.isEmpty()) {
            if (!m_opener.openWithDefault(FileName)) {
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

void clsMovie::showPlayerError(const QString& extension, int code) {
    QString text;
    if (IsMediaExtension(extension)) {
        const QChar cr = QLatin1Char('\r');
        text = QStringLiteral("(MediaPlayerエラー番号):  ") + QString::number(m_player.ErrorCode()) + cr +
               QStringLiteral("(エラー内容):  ") + m_player.ErrorDescription() + cr +
               QStringLiteral("(VBエラー番号):  ") + QString::number(code) + cr +
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
    m_player.setDisplayFlag(MediaPlayer::TransportFlag, true);
    m_player.setDisplayFlag(MediaPlayer::KeyEventsFlag, true);
}

void clsMovie::PlayPause() {
    if (m_player.PlayState() == MediaPlayer::Playing)
        m_player.Pause();
}

void clsMovie::PlayScreenChange(int DspIndex, const QString& /*FileName*/, const QString& Kakuchousi) {
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

int16_t clsMovie::GetPlayState() const {
    if (!m_player.Visible())
        return 0;
    switch (m_player.PlayState()) {
    case MediaPlayer::Playing:
        return 1;
    case MediaPlayer::Paused:
        return 2;
    default:
        return 0;
    }
}

} // namespace tobimaru
