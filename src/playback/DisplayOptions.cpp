#include "playback/DisplayOptions.h"

#include "base/ErrorTable.h"
#include "base/RuntimeSettings.h"
#include "browse/FileListModel.h"
#include "playback/MediaPlayer.h"
#include "playback/SlideShow.h"
#include "playback/clsMovie.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"

#include <QAction>
#include <QTreeView>
#include <QWidget>
#include <QWindow>

namespace tobimaru {

namespace {

constexpr int kSizeCount = 5;

QString SizeItem(int index) {
    return QStringLiteral("Dspsize(%1)").arg(index);
}

QString OptItem(int index) {
    return QStringLiteral("Opt(%1)").arg(index);
}

} // namespace

DisplayOptions::DisplayOptions(const DisplayOptionsParts& parts, QObject* parent)
    : QObject(parent)
    , m_parts(parts) {
    if (!parts.menus || !parts.status || !parts.movie || !parts.player || !parts.slideShow ||
        !parts.settings || !parts.ListView1 || !parts.model || !parts.window)
        throw Failure(ErrorCode::ObjectNotSet, "DisplayOptions");
    connect(parts.player, &MediaPlayer::fullScreenRequested, this, [this](bool on) {
        if (m_parts.setFullScreen)
            m_parts.setFullScreen(on);
    });
}

int DisplayOptions::selectedRow() const {
    const QModelIndex current = m_parts.ListView1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

int DisplayOptions::checkedDisplaySize() const {
    for (int i = 0; i < kSizeCount; ++i) {
        if (m_parts.menus->isChecked(SizeItem(i)))
            return i;
    }
    return -1;
}

void DisplayOptions::setSizePanel(int index) {
    m_parts.status->setText(4, index >= 0 ? m_parts.menus->item(SizeItem(index))->text() : QString());
}

void DisplayOptions::setMutePanel(bool on) {
    m_parts.status->setText(5, on ? QStringLiteral("ミュートON") : QStringLiteral("ミュートOFF"));
}

void DisplayOptions::setTopmostPanel(bool on) {
    m_parts.status->setText(6, on ? QStringLiteral("常に最前面ON") : QStringLiteral("常に最前面OFF"));
}

void DisplayOptions::DspsizeClick(int index) {
    m_parts.slideShow->Disable();
    // Refuses an index without an item before anything changes.
    m_parts.menus->item(SizeItem(index));
    for (int i = 0; i < kSizeCount; ++i)
        m_parts.menus->setChecked(SizeItem(i), i == index);
    setSizePanel(index);
    m_parts.settings->DisplaySizeIndex = int16_t(index);

    const int row = selectedRow();
    if (m_parts.model->rowCount() > 0 && row >= 0) {
        const ListRow& listed = m_parts.model->row(row);
        const QString key = listed.key;
        const QString extension = listed.extension;
        m_parts.window->setWindowTitle(m_parts.BaseCaption + QStringLiteral(" - ") + key);
        m_parts.movie->PlayScreenChange(index, key, extension);
    }
}

void DisplayOptions::OptClick(int index) {
    m_parts.slideShow->Disable();
    if (index == 6) {
        if (m_parts.showOptionsDialog)
            m_parts.showOptionsDialog();
        return;
    }
    const bool on = m_parts.menus->isChecked(OptItem(index));
    switch (index) {
    case 1:
        setMutePanel(on);
        break;
    case 2:
        setTopmostPanel(on);
        break;
    case 3:
        m_parts.slideShow->SetSlideShowOn(on);
        break;
    default:
        break;
    }

    const int row = selectedRow();
    if (m_parts.model->rowCount() == 0 || row < 0)
        return;
    const ListRow& listed = m_parts.model->row(row);
    const QString key = listed.key;
    const QString extension = listed.extension;
    m_parts.window->setWindowTitle(m_parts.BaseCaption + QStringLiteral(" - ") + key);
    if (index == 1)
        m_parts.movie->SetPlayMute(on, key, extension);
    else if (index == 2)
        SetWindowTopmost(m_parts.window, on);
}

void DisplayOptions::ShowOptionStates() {
    setSizePanel(checkedDisplaySize());
    const bool mute = m_parts.menus->isChecked(OptItem(1));
    setMutePanel(mute);
    const bool topmost = m_parts.menus->isChecked(OptItem(2));
    setTopmostPanel(topmost);
    SetWindowTopmost(m_parts.window, topmost);
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
