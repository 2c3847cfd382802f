#include "playback/PlayerControlBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <cmath>

namespace tobimaru {

namespace {

// The seek slider counts tenths of a second: fine enough to scrub, and an int holds days.
constexpr int kTicksPerSecond = 10;

QToolButton* MakeButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

PlayerControlBar::PlayerControlBar(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("PlayerControlBar"));
    m_playPause = MakeButton(this, "playPauseButton", QStyle::SP_MediaPlay, QStringLiteral("再生"));
    m_stop = MakeButton(this, "stopButton", QStyle::SP_MediaStop, QStringLiteral("停止"));

    m_seek = new QSlider(Qt::Horizontal, this);
    m_seek->setObjectName(QStringLiteral("seekSlider"));
    m_seek->setToolTip(QStringLiteral("再生位置"));
    m_seek->setFocusPolicy(Qt::NoFocus);
    m_seek->setRange(0, 0);

    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("timeLabel"));

    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volumeSlider"));
    m_volume->setToolTip(QStringLiteral("音量"));
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setMaximumWidth(100);

    m_mute = MakeButton(this, "muteButton", QStyle::SP_MediaVolume, QStringLiteral("ミュート"));
    m_mute->setCheckable(true);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    row->addWidget(m_playPause);
    row->addWidget(m_stop);
    row->addWidget(m_seek, 1);
    row->addWidget(m_time);
    row->addWidget(m_mute);
    row->addWidget(m_volume);

    connect(m_playPause, &QToolButton::clicked, this, &PlayerControlBar::playPauseRequested);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControlBar::stopRequested);
    connect(m_seek, &QSlider::valueChanged, this, &PlayerControlBar::onSeekSliderChanged);
    connect(m_seek, &QSlider::sliderReleased, this,
            [this] { Q_EMIT seekRequested(double(m_seek->value()) / kTicksPerSecond, true); });
    connect(m_volume, &QSlider::valueChanged, this, [this](int v) {
        if (!m_updating)
            Q_EMIT volumeRequested(v);
    });
    connect(m_mute, &QToolButton::toggled, this, [this](bool on) {
        m_mute->setIcon(style()->standardIcon(on ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        if (!m_updating)
            Q_EMIT muteRequested(on);
    });
    showTimes(true);
    updateTrackerEnabled();
}

void PlayerControlBar::onSeekSliderChanged(int value) {
    if (m_updating)
        return;
    // While dragging, keyframe seeks keep up with the hand; the release sends the exact one.
    Q_EMIT seekRequested(double(value) / kTicksPerSecond, !m_seek->isSliderDown());
}

void PlayerControlBar::setPlayState(PlayerState state) {
    m_state = state;
    const bool playing = state == PlayerState::Playing;
    m_playPause->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(playing ? QStringLiteral("一時停止") : QStringLiteral("再生"));
    if (state == PlayerState::Closed) {
        m_position = 0;
        m_duration = 0;
    }
    updateTrackerEnabled();
    showTimes(true);
}

void PlayerControlBar::setPosition(double seconds) {
    m_position = std::isfinite(seconds) ? seconds : 0;
    if (m_seek->isSliderDown())
        return;
    showTimes(false);
}

void PlayerControlBar::setDuration(double seconds) {
    m_duration = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
    updateTrackerEnabled();
    showTimes(true);
}

void PlayerControlBar::setVolume(int volume) {
    m_updating = true;
    m_volume->setValue(volume);
    m_updating = false;
}

void PlayerControlBar::setMuted(bool muted) {
    m_updating = true;
    m_mute->setChecked(muted);
    m_updating = false;
}

void PlayerControlBar::setTransportVisible(bool on) {
    m_playPause->setVisible(on);
    m_stop->setVisible(on);
}

void PlayerControlBar::setTrackerVisible(bool on) {
    m_seek->setVisible(on);
    m_time->setVisible(on);
}

void PlayerControlBar::setTrackerEnabled(bool on) {
    m_trackerEnabled = on;
    updateTrackerEnabled();
}

void PlayerControlBar::setAudioControlsVisible(bool on) {
    m_volume->setVisible(on);
    m_mute->setVisible(on);
}

void PlayerControlBar::updateTrackerEnabled() {
    m_seek->setEnabled(m_trackerEnabled && m_duration > 0 && m_state != PlayerState::Closed);
}

void PlayerControlBar::showTimes(bool now) {
    // mpv reports the position for every frame; the slider moves a few times a second and the
    // label only when the second it shows changes, so playing repaints little of the window.
    // A jump (a seek, another file) shows at once.
    const bool jumped = std::abs(m_position - m_seekShown) >= 1.0;
    if (now || jumped || !m_seekClock.isValid() || m_seekClock.elapsed() >= kSeekUpdateMs) {
        m_seekClock.start();
        m_seekShown = m_position;
        m_updating = true;
        m_seek->setRange(0, int(std::lround(m_duration * kTicksPerSecond)));
        m_seek->setValue(int(std::lround(m_position * kTicksPerSecond)));
        m_updating = false;
    }
    const QString text = FormatTime(m_position) + QStringLiteral(" / ") + FormatTime(m_duration);
    if (text != m_time->text())
        m_time->setText(text);
}

QString PlayerControlBar::FormatTime(double seconds) {
    const long long total = std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
    const long long h = total / 3600;
    const long long m = total / 60 % 60;
    const long long s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(h)
            .arg(m, 2, 10, QLatin1Char('0'))
            .arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

} // namespace tobimaru
