// The main window's command wiring: menus, toolbar, keys and list events reach the command table,
// where each subsystem registered what it owns; the window adds the few commands of its own.
#include "app/Form1.h"

#include "base/CommandMap.h"
#include "base/CommandTable.h"
#include "base/ErrorBox.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "browse/FolderTree.h"
#include "browse/ListGrid.h"
#include "browse/Navigation.h"
#include "browse/QuickPaths.h"
#include "fileops/FileOpsSubsystem.h"
#include "input/KeyPreview.h"
#include "playback/PlaybackCommands.h"
#include "playback/PlaybackState.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"
#include "ui/CommandSources.h"
#include "ui/Form2.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QApplication>
#include <QMenu>
#include <QTreeView>
#include <QTreeWidget>

namespace tobimaru {

void Form1::registerWindowCommands() {
    CommandTable& t = *m_commands;
    t.add(cmd::WindowQuit, [this] {
        Unload();
        QCoreApplication::quit();
    });
    t.add(cmd::ListGrid, [this] { applyChecksToControls(); });
    t.add(cmd::TreeLines, [this] { applyChecksToControls(); });
    // A hidden item: it holds its check and does nothing else.
    t.add(cmd::TreeIcons, [] {});
    t.add(cmd::ListIcons, [this] { listCurrentFolder(); });
    // The button has flipped the file view of the playback state already.
    t.add(cmd::ListFileView, [this] { listCurrentFolder(); });
    t.add(cmd::TreeFocus, [this] { m_tree->setFocus(); });
}

void Form1::connectCommands() {
    registerWindowCommands();
    m_nav->registerCommands(*m_commands);
    m_quick->registerCommands(*m_commands);
    m_fileOps->registerCommands(*m_commands);
    ConnectCommandSources(*m_menus, *m_toolbar, *m_commands,
                          [this] { m_playback->commands().OnAnyToolbarClick(); });
    // Keys became a KeyCommand in the key table; the same map as the menus gives their command.
    connect(m_keys.get(), &KeyPreview::command, this, [this](KeyCommand c) {
        if (const auto id = CommandForKey(c))
            m_commands->execute(*id);
    });
    connect(m_fileList.get(), &FileListView::listStatusChanged, this,
            [this](const QString& text) { m_status->setText(1, text); });
    connect(m_list, &QTreeView::doubleClicked, this, &Form1::onListDoubleClick);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showListMenu(m_list->viewport()->mapToGlobal(pos)); });
    connect(m_status, &StatusPanels::rightClicked, this, [this](const QPoint& pos) {
        // The slideshow waits while the option menu is open.
        m_playback->slideShow().Disable();
        m_menus->menu(QStringLiteral("DspOption"))->exec(pos);
        m_playback->slideShow().Enable();
    });
}

void Form1::onListDoubleClick() {
    const QModelIndex current = m_list->currentIndex();
    if (m_playback->commands().OnListDoubleClick(current))
        return;
    RunCommand(*m_ctx.prompts, [&] {
        if (m_fileList->model()->rowCount() == 0 || !current.isValid())
            return;
        const QString key = m_fileList->model()->key(current.row());
        if (ExistsFolder(key)) {
            m_nav->GoToPath(key, true);
            m_list->setFocus();
        }
    });
}

void Form1::showListMenu(const QPoint& globalPos) {
    AdjustListPopup(*m_menus, m_fileList->model()->rowCount() > 0, m_playback->state().fileView());
    m_playback->slideShow().Disable();
    m_menus->menu(QStringLiteral("MnuPlayOpt"))->exec(globalPos);
    m_playback->slideShow().Enable();
}

void Form1::applyChecksToControls() {
    if (auto* grid = qobject_cast<ListGridDelegate*>(m_list->itemDelegate()))
        grid->setGridLines(m_menus->isChecked(QStringLiteral("MnuGrid")));
    m_list->viewport()->update();
    m_folderTree->ApplyTreeLines(m_menus->isChecked(QStringLiteral("TreeViewLine")));
}

QString Form1::currentFolder() const {
    return m_folderTree->GetTreeViewKey();
}

void Form1::listFolder(const QString& folder) {
    m_fileList->ListFolder(folder, m_menus->isChecked(QStringLiteral("MnuIconSet")),
                           MakeListOptions(m_settings, m_playback->state().fileView()));
}

void Form1::listCurrentFolder() {
    listFolder(currentFolder());
}

void Form1::showOptionsDialog() {
    Form2Context ctx;
    ctx.iniPath = m_ctx.iniPath;
    ctx.prompts = m_ctx.prompts;
    ctx.shell = m_ctx.shell;
    ctx.settings = &m_settings;
    ctx.topmost = m_playback->state().alwaysOnTop();
    ctx.relist = [this] { listCurrentFolder(); };
    Form2 dialog(ctx, this);
    dialog.exec();
}

void Form1::goToPath(const QString& folder) {
    m_nav->GoToPath(folder, true);
}

void Form1::StartupSelectTree() {
    RunCommand(*m_ctx.prompts,
               [this] { m_folderTree->SelectTreePath(m_settings.StartDrive, m_settings.StartFolder, true); });
}

} // namespace tobimaru
