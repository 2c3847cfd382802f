// The browsing subsystem's parts: the folder tree, its input and navigation.
#include "app/Form1.h"

#include "base/ErrorBox.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/FolderTreeInput.h"
#include "browse/Navigation.h"
#include "browse/SystemFolders.h"
#include "playback/ContinuousPlay.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"
#include "ui/Menus.h"

#include <QApplication>
#include <QMenu>
#include <QTreeView>

namespace tobimaru {

void Form1::buildBrowsing() {
    FolderTreeContext tc;
    tc.tree = m_tree;
    tc.address = m_address;
    tc.icons = m_icons.get();
    tc.iconSet = m_ctx.iconSet;
    tc.prompts = m_ctx.prompts;
    tc.settings = &m_settings;
    tc.listFolder = [this](const QString& folder) { listFolder(folder); };
    tc.hoverTimer = m_timer2;
    m_folderTree = std::make_unique<FolderTree>(tc);
    m_treeInput = std::make_unique<FolderTreeInput>(*m_folderTree, *m_ctx.prompts);
    // A click on another folder while a listing is still read asks for that folder instead: the
    // user does not wait for the rest of a listing nobody wants any more.
    m_fileList->setAbandonOn([input = m_treeInput.get()](QObject* receiver, const QEvent& event) {
        return input->ClicksAnotherNode(receiver, event);
    });
    // Folder rows of the list show the same pictures as the tree.
    m_fileList->setFolderImageKeys(
        [set = m_ctx.iconSet](FolderImage image) { return FolderImageKey(set, image); });

    NavigationContext nc;
    nc.tree = m_folderTree.get();
    nc.address = m_address;
    nc.prompts = m_ctx.prompts;
    nc.settings = &m_settings;
    nc.listFolder = tc.listFolder;
    // Navigation is built before playback; the calls come later, when both exist.
    nc.stopPlayback = [this] { m_playback->play().StopPlay(); };
    nc.rearmPlayback = [this] { m_playback->play().setAutoPlayArmed(true); };
    nc.window = this;
    m_nav = std::make_unique<Navigation>(nc);

    // Which pane had the focus last decides where some commands act.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && (now == m_list || m_list->isAncestorOf(now)))
            m_folderTree->state().FocusPane = 1;
    });
    connect(m_treeInput.get(), &FolderTreeInput::quickMenuRequested, this, [this](const QPoint& pos) {
        m_playback->slideShow().Disable();
        m_menus->menu(QStringLiteral("quickAccess"))->exec(pos);
    });
}

} // namespace tobimaru
