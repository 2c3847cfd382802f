// The main window's load and unload sequences: the order matters, since later steps read what
// earlier ones set (the settings load fills the menus that the status texts are taken from).
#include "app/Form1.h"

#include "app/Form1Settings.h"
#include "base/ErrorBox.h"
#include "base/Prompts.h"
#include "base/WindowCaption.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/Navigation.h"
#include "browse/QuickPaths.h"
#include "input/MouseGestures.h"
#include "platform/WaitCursor.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackState.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SpeedControl.h"
#include "playback/clsMovie.h"
#include "settings/SettingsSchema.h"
#include "ui/Menus.h"
#include "ui/PaneLayout.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "ui/frmSplash.h"

#include <QApplication>
#include <QLayout>
#include <QProgressBar>
#include <QSlider>
#include <QTimer>
#include <QTreeView>

namespace tobimaru {

void Form1::Load(frmSplash* splash) {
    SpeedControl& speed = m_playback->speed();
    speed.ReadWaveVolume();
    m_playback->play().ResetRunFlags();
    m_timer2->stop();

    // The player's starting state: visible, no automatic resizing, fitted to the pane.
    m_player->setVisible(true);
    m_player->setDisplayFlag(PlayerFlag::StatusLine, false);
    for (PlayerFlag flag : {PlayerFlag::Tracker, PlayerFlag::AudioControls, PlayerFlag::ControlBar,
                            PlayerFlag::Transport, PlayerFlag::KeyEvents})
        m_player->setDisplayFlag(flag, true);
    m_player->setAutoSize(false);
    m_player->setDisplaySize(MediaPlayer::Fit);
    const double startRate = speed.TakeStartRate();
    if (splash)
        splash->setSpeedText(QStringLiteral("MediaPlayer Play Speed:") + QString::number(startRate));
    speed.ResetRate();

    m_fileList->model()->sort(0, Qt::AscendingOrder);

    m_caption->setBase(AppTitle() + QStringLiteral(" Ver%1.%2.%3")
                                        .arg(TOBIMARU_VERSION_MAJOR)
                                        .arg(TOBIMARU_VERSION_MINOR)
                                        .arg(TOBIMARU_VERSION_PATCH));

    {
        Form1Settings host(*this);
        LoadSettings(m_ctx.iniPath, host, *m_ctx.prompts, m_settings);
    }
    if (m_settings.GesturesOn) {
        m_gestures = std::make_unique<MouseGestures>(
            *m_commands, [this] { return m_fileList->model()->rowCount() > 0; }, *m_player);
        m_gestures->Install(this);
    }

    // The panes are laid out against the window's real client area, not a default one.
    if (QLayout* l = layout())
        l->activate();
    m_layout->ApplySplitter();
    m_layout->ApplySplitter2();

    m_quick->QuickPathSet_Click(m_settings.QuickPathMode);
    m_playback->state().setRepeat(false);
    m_progress->hide();
    applyChecksToControls();
    m_playback->display().ShowOptionStates();

    m_folderTree->FillAddressCombo();
    // GoToPath lists the folder it opens; only a start folder it could not open is listed here.
    if (!m_nav->GoToPath(m_settings.StartFolder, true))
        listFolder(m_settings.StartFolder);
    m_playback->play().setAutoPlayArmed(true);
    startMediaControls();
}

void Form1::Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    stopMediaControls();
    const WaitCursor busy;
    RunQuietly([this] { m_playback->movie().PlayStop(); });
    {
        Form1Settings host(*this);
        SaveSettings(m_ctx.iniPath, host, *m_ctx.prompts);
    }
    if (m_settings.ScreenSaverOff) {
        Form1Settings host(*this);
        host.setScreenSaverActive(true);
    }
    RunQuietly([this] { m_playback->speed().RestoreStartRate(); });
    RunQuietly([this] { m_playback->speed().RestoreWaveVolume(); });
    if (m_gestures) {
        m_gestures->Remove();
        m_gestures.reset();
    }
}

} // namespace tobimaru
