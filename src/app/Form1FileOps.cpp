// The file operations and what the window hands them: the panes, navigation, the desktop's
// services, and the playback stop the file commands begin with.
#include "app/Form1.h"

#include "browse/FolderTreeInput.h"
#include "fileops/FileOpsSubsystem.h"
#include "playback/ContinuousPlay.h"
#include "playback/PlaybackState.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"

namespace tobimaru {

void Form1::buildFileOps() {
    FileOpsContext c;
    c.window = this;
    c.tree = m_folderTree.get();
    c.list = m_fileList.get();
    c.nav = m_nav.get();
    c.prompts = m_ctx.prompts;
    c.trash = m_ctx.trash;
    c.fileManager = m_ctx.fileManager;
    c.searchTool = m_ctx.searchTool;
    c.opener = m_ctx.shell;
    c.keys = m_keys.get();
    c.hoverTimer = m_timer2;
    c.stopPlayback = [this] { m_playback->play().StopPlay(); };
    c.stopSlideTimer = [this] { m_playback->slideShow().Disable(); };
    c.listFolder = [this](const QString& folder) { listFolder(folder); };
    c.fileView = [this] { return m_playback->state().fileView(); };
    m_fileOps = std::make_unique<FileOpsSubsystem>(c, m_treeInput.get());
}

} // namespace tobimaru
