// The playback subsystem's parts and how the window hands them its controls.
#include "app/Form1.h"

#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/QuickPaths.h"
#include "browse/TreeNodeRoles.h"
#include "playback/ContinuousPlay.h"
#include "playback/DisplayOptions.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackCommands.h"
#include "playback/SlideShow.h"
#include "playback/SpeedControl.h"
#include "playback/clsMovie.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QTreeWidget>

namespace tobimaru {

namespace {

class QuickPathAdapter final : public QuickPathRecorder {
public:
    explicit QuickPathAdapter(QuickPaths& paths)
        : m_paths(paths) {}
    void RecordQuickPath(const QString& folder) override { m_paths.UpdateFileMenu(folder); }

private:
    QuickPaths& m_paths;
};

class TreeMarkAdapter final : public PlayedFolderMarker {
public:
    explicit TreeMarkAdapter(FolderTree& tree)
        : m_tree(tree) {}
    // The folder played from is the tree's selected one: rows come from its listing.
    void MarkPlayedFolder(const QString&) override { m_tree.MarkPlayedFolder(); }

private:
    FolderTree& m_tree;
};

} // namespace

void Form1::buildPlayback() {
    m_slideShow = std::make_unique<SlideShow>(*m_timer1, m_settings);
    m_movie = std::make_unique<clsMovie>(*m_player, *m_ctx.prompts, *m_ctx.opener,
                                         [this] { m_slideShow->Disable(); });
    m_quickRecorder = std::make_unique<QuickPathAdapter>(*m_quick);
    m_folderMarker = std::make_unique<TreeMarkAdapter>(*m_folderTree);

    ContinuousPlayParts parts;
    parts.ListView1 = m_list;
    parts.model = m_fileList->model();
    parts.movie = m_movie.get();
    parts.player = m_player;
    parts.menus = m_menus;
    parts.toolbar = m_toolbar;
    parts.status = m_status;
    parts.window = this;
    parts.icons = m_icons.get();
    parts.folderMarker = m_folderMarker.get();
    parts.quickPaths = m_quickRecorder.get();
    parts.prompts = m_ctx.prompts;
    parts.settings = &m_settings;
    parts.slideShow = m_slideShow.get();
    m_play = new ContinuousPlay(parts, this);

    m_speed = new SpeedControl(m_toolbar->slider(), *m_player, *m_status, *m_slideShow, {}, this);

    DisplayOptionsParts display;
    display.menus = m_menus;
    display.status = m_status;
    display.movie = m_movie.get();
    display.player = m_player;
    display.slideShow = m_slideShow.get();
    display.settings = &m_settings;
    display.ListView1 = m_list;
    display.model = m_fileList->model();
    display.window = this;
    display.setFullScreen = [this](bool on) { setPlayerFullScreen(on); };
    m_display = new DisplayOptions(display, this);

    m_commands =
        std::make_unique<PlaybackCommands>(*m_play, *m_speed, *m_display, *m_slideShow, *m_ctx.prompts);
}

} // namespace tobimaru
