// The desktop's media controls: the player offered on the session bus from the load to the
// unload. The bus runs the same key commands as the keyboard, through the command table.
#include "app/Form1.h"

#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "mpris/MprisService.h"
#include "playback/NowPlaying.h"
#include "playback/PlaybackSubsystem.h"

namespace tobimaru {

void Form1::startMediaControls() {
    if (!m_ctx.mediaControls || m_mpris)
        return;
    auto now = std::make_unique<NowPlaying>(*m_player, m_playback->state(), m_playback->speed(),
                                            *m_fileList->model());
    MprisWindowHooks hooks;
    // After the bus's call has been answered: the close unloads, and the unload leaves the bus.
    hooks.quit = [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); };
    hooks.raise = [this] {
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
    };
    m_mpris = std::make_unique<MprisService>(std::move(now), *m_commands, std::move(hooks));
    m_mpris->start();
}

void Form1::stopMediaControls() {
    if (m_mpris)
        m_mpris->stop();
}

} // namespace tobimaru
