// The playback subsystem and how the window hands it its controls.
#include "app/Form1.h"

#include "base/CommandTable.h"
#include "browse/FileIcons.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/QuickPaths.h"
#include "playback/ContinuousPlay.h"
#include "playback/PlaybackSubsystem.h"
#include "ui/Toolbar.h"
#include "ui/ViewBindings.h"

namespace tobimaru {

namespace {

class QuickPathAdapter final : public QuickPathRecorder {
public:
    explicit QuickPathAdapter(QuickPaths& paths)
        : m_paths(paths) {}
    void RecordQuickPath(const QString& folder) override { m_paths.UpdateFileMenu(folder); }
    int QuickPathMode() const override { return m_paths.checkedMode(); }

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
    m_quickRecorder = std::make_unique<QuickPathAdapter>(*m_quick);
    m_folderMarker = std::make_unique<TreeMarkAdapter>(*m_folderTree);

    PlaybackWiring wiring;
    wiring.ListView1 = m_list;
    wiring.model = m_fileList->model();
    wiring.player = m_player;
    wiring.window = this;
    wiring.caption = m_caption.get();
    wiring.timer1 = m_timer1;
    wiring.speedSlider = m_toolbar->slider();
    wiring.icons = m_icons.get();
    wiring.prompts = m_ctx.prompts;
    wiring.opener = m_ctx.shell;
    wiring.settings = &m_settings;
    wiring.folderMarker = m_folderMarker.get();
    wiring.quickPaths = m_quickRecorder.get();
    wiring.setFullScreen = [this](bool on) { setPlayerFullScreen(on); };
    wiring.showOptionsDialog = [this] { showOptionsDialog(); };
    m_playback = std::make_unique<PlaybackSubsystem>(wiring);
    m_playback->registerCommands(*m_commands);
    BindPlaybackViews(m_playback->state(), *m_menus, *m_toolbar, *m_status);
    BindQuickPathMenu(*m_quick, *m_menus);
}

} // namespace tobimaru
