#include "playback/DisplayOptions.h"

#include "base/ErrorTable.h"
#include "base/RuntimeSettings.h"
#include "base/WindowCaption.h"
#include "browse/FileListModel.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackState.h"
#include "playback/SlideShow.h"
#include "playback/clsMovie.h"

#include <QTreeView>
#include <QWidget>
#include <QWindow>

namespace tobimaru {

namespace {

// "フルスクリーン" in the display size menu.
constexpr int kFullScreenIndex = static_cast<int>(SizeMenuIndex::FullScreen);

} // namespace

DisplayOptions::DisplayOptions(const DisplayOptionsParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts) {
    if (!parts.complete())
        throw Failure(ErrorCode::ObjectNotSet, "DisplayOptions");
    connect(parts.player, &MediaPlayer::fullScreenRequested, this, [this](bool on) {
        if (m_parts.setFullScreen)
            m_parts.setFullScreen(on);
        // Esc or a double click took the pane out of full screen by itself: the checked size
        // becomes the one it went back to, or the next file would go full screen again.
        if (!on && m_parts.state->displaySize() == kFullScreenIndex) {
            const int back = static_cast<int>(clsMovie::DspIndexFor(m_parts.player->DisplaySize()));
            m_parts.state->setDisplaySize(back);
        }
    });
}

int DisplayOptions::selectedRow() const {
    const QModelIndex current = m_parts.ListView1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DisplayOptions::DspsizeClick(SizeMenuIndex item) {
    const int index = static_cast<int>(item);
    m_parts.slideShow->Disable();
    // Refuses an index without an item before anything changes.
    if (index < 0)
        throw Failure(ErrorCode::SubscriptOutOfRange, "Dspsize");
    m_parts.state->setDisplaySize(index);

    const int row = selectedRow();
    if (m_parts.model->rowCount() > 0 && row >= 0) {
        const ListRow& listed = m_parts.model->row(row);
        const QString key = m_parts.model->key(row);
        const QString extension = listed.extension;
        m_parts.caption->showDetail(key);
        m_parts.movie->PlayScreenChange(item, key, extension);
    }
}

void DisplayOptions::OptClick(OptionItem index) {
    m_parts.slideShow->Disable();
    if (index == OptionItem::Dialog) {
        if (m_parts.showOptionsDialog)
            m_parts.showOptionsDialog();
        return;
    }
    PlaybackState& state = *m_parts.state;
    bool on = false;
    switch (index) {
    case OptionItem::Mute:
        on = state.mute();
        break;
    case OptionItem::AlwaysOnTop:
        on = state.alwaysOnTop();
        break;
    case OptionItem::SlideShow:
        m_parts.slideShow->SetSlideShowOn(state.slideShow());
        break;
    case OptionItem::Nothing:
        break;
    default:
        throw Failure(ErrorCode::SubscriptOutOfRange, "Opt");
    }

    const int row = selectedRow();
    if (m_parts.model->rowCount() == 0 || row < 0)
        return;
    const ListRow& listed = m_parts.model->row(row);
    const QString key = m_parts.model->key(row);
    const QString extension = listed.extension;
    m_parts.caption->showDetail(key);
    if (index == OptionItem::Mute)
        m_parts.movie->SetPlayMute(on, key, extension);
    else if (index == OptionItem::AlwaysOnTop)
        SetWindowTopmost(m_parts.window, on);
}

void DisplayOptions::ShowOptionStates() {
    SetWindowTopmost(m_parts.window, m_parts.state->alwaysOnTop());
}

void DisplayOptions::SetWindowTopmost(QWidget* window, bool on) {
    if (!window || on == bool(window->windowFlags() & Qt::WindowStaysOnTopHint))
        return;
    // Only the band changes: QWidget::setWindowFlags would make the native window again, which
    // moves it on some desktops and leaves the application without an active window, so that
    // no key acts until the next click. The window system is told on the existing window
    // instead; a window not made yet takes the flag when it is.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window->overrideWindowFlags(flags);
    if (QWindow* handle = window->windowHandle())
        handle->setFlag(Qt::WindowStaysOnTopHint, on);
}

} // namespace tobimaru
