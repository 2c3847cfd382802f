// The main window's command wiring: menus, toolbar, keys and list events reach the subsystem
// that decides; nothing here holds a rule of its own.
#include "app/Form1.h"

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
#include "browse/TreeNodeRoles.h"
#include "input/KeyPreview.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackCommands.h"
#include "playback/SlideShow.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

namespace tobimaru {

void Form1::connectCommands() {
    connect(m_menus, &Menus::command, this, &Form1::onMenuCommand);
    connect(m_toolbar, &Toolbar::buttonClicked, this, &Form1::onToolbarButton);
    connect(m_keys, &KeyPreview::command, this, &Form1::onKeyCommand);
    connect(m_fileList, &FileListView::listStatusChanged, this,
            [this](const QString& text) { m_status->setText(1, text); });
    connect(m_list, &QTreeView::doubleClicked, this, &Form1::onListDoubleClick);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showListMenu(m_list->viewport()->mapToGlobal(pos)); });
    connect(m_status, &StatusPanels::rightClicked, this, [this](const QPoint& pos) {
        // The slideshow waits while the option menu is open.
        m_slideShow->Disable();
        m_menus->menu(QStringLiteral("DspOption"))->exec(pos);
        m_slideShow->Enable();
    });
}

void Form1::onMenuCommand(const QString& group, int index) {
    if (m_commands->OnMenuCommand(group, index))
        return;
    RunCommand(*m_ctx.prompts, [&] {
        if (group == QLatin1String("ExitTobimaru")) {
            Unload();
            QCoreApplication::quit();
        } else if (group == QLatin1String("GoMydoc")) {
            m_nav->GoMydoc_Click();
        } else if (group == QLatin1String("GoDeskTop")) {
            m_nav->GoDeskTop_Click();
        } else if (group == QLatin1String("GoNetWtok")) {
            m_nav->GoNetWtok_Click();
        } else if (group == QLatin1String("GoFolder")) {
            m_nav->GoFolder_Click();
        } else if (group == QLatin1String("Listkousin")) {
            m_nav->Listkousin_Click();
        } else if (group == QLatin1String("QuickPathSet")) {
            m_quick->QuickPathSet_Click(index);
        } else if (group == QLatin1String("QuickPathAdd")) {
            m_quick->QuickPathAdd_Click();
        } else if (group == QLatin1String("QuickPathClear")) {
            m_quick->QuickPathClear_Click();
        } else if (group == QLatin1String("pass")) {
            m_quick->pass_Click(index);
        } else if (group == QLatin1String("MnuGrid") || group == QLatin1String("TreeViewLine")) {
            applyChecksToControls();
        } else if (group == QLatin1String("MnuIconSet")) {
            listCurrentFolder();
        }
    });
}

void Form1::onToolbarButton(const QString& key) {
    if (m_commands->OnToolbarButton(key))
        return;
    RunCommand(*m_ctx.prompts, [&] {
        if (key == QStringLiteral("デスクトップ")) {
            m_nav->GoDeskTop_Click();
        } else if (key == QStringLiteral("マイドキュメント")) {
            m_nav->GoMydoc_Click();
        } else if (key == QStringLiteral("ネットワーク")) {
            m_nav->GoNetWtok_Click();
        } else if (key == QStringLiteral("1つ上に")) {
            m_nav->GoUpOneLevel();
        } else if (key == QStringLiteral("最新更新")) {
            m_nav->Listkousin_Click();
        } else if (key == QStringLiteral("ファイルビュー")) {
            const bool on = m_toolbar->fileViewPressed();
            m_toolbar->button(QStringLiteral("解凍"))->setVisible(on);
            m_toolbar->button(QStringLiteral("選択解凍"))->setVisible(on);
            listCurrentFolder();
        }
    });
}

void Form1::onKeyCommand(KeyCommand command) {
    RunCommand(*m_ctx.prompts, [&] {
        switch (command) {
        case KeyCommand::PlayOrPause:
            m_commands->OnWindowKeyRelease(Qt::Key_Space, Qt::NoModifier);
            break;
        case KeyCommand::Stop:
            m_commands->StopCommand();
            break;
        case KeyCommand::ToggleRepeat:
            m_commands->OnWindowKeyRelease(Qt::Key_F9, Qt::NoModifier);
            break;
        case KeyCommand::DisplayFit:
            m_commands->OnWindowKeyRelease(Qt::Key_F11, Qt::NoModifier);
            break;
        case KeyCommand::DisplayFull:
            m_commands->OnWindowKeyRelease(Qt::Key_F12, Qt::NoModifier);
            break;
        case KeyCommand::PlayPrevious:
            m_commands->PreviousCommand();
            break;
        case KeyCommand::PlayNext:
            m_commands->NextCommand();
            break;
        case KeyCommand::Refresh:
            m_nav->Listkousin_Click();
            break;
        case KeyCommand::SelectAll:
            m_list->selectAll();
            m_list->setFocus();
            break;
        case KeyCommand::FocusTree:
            m_tree->setFocus();
            break;
        default:
            break;
        }
    });
}

void Form1::onListDoubleClick() {
    const QModelIndex current = m_list->currentIndex();
    if (m_commands->OnListDoubleClick(current))
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
    AdjustListPopup(*m_menus, m_fileList->model()->rowCount() > 0, m_toolbar->fileViewPressed());
    m_slideShow->Disable();
    m_menus->menu(QStringLiteral("MnuPlayOpt"))->exec(globalPos);
    m_slideShow->Enable();
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
                           MakeListOptions(m_settings, m_toolbar->fileViewPressed()));
}

void Form1::listCurrentFolder() {
    listFolder(currentFolder());
}

void Form1::goToPath(const QString& folder) {
    m_nav->GoToPath(folder, true);
}

void Form1::StartupSelectTree() {
    RunCommand(*m_ctx.prompts,
               [this] { m_folderTree->SelectTreePath(m_settings.StartDrive, m_settings.StartFolder, true); });
}

} // namespace tobimaru
