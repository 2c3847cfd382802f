// The main window's command wiring: menus, toolbar, keys and list events reach the subsystem
// that decides; nothing here holds a rule of its own.
#include "app/Form1.h"

#include "app/ErrorBox.h"
#include "app/Menus.h"
#include "app/Prompts.h"
#include "app/StatusPanels.h"
#include "app/Toolbar.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "browse/ListGrid.h"
#include "browse/PathQueries.h"
#include "browse/QuickPaths.h"
#include "browse/TreeNodeRoles.h"
#include "input/KeyPreview.h"
#include "playback/MediaPlayer.h"

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
    connect(m_player, &MediaPlayer::fullScreenRequested, this, &Form1::setPlayerFullScreen);
    connect(m_keys, &KeyPreview::command, this, &Form1::onKeyCommand);
    connect(m_fileList, &FileListView::listStatusChanged, this,
            [this](const QString& text) { m_status->setText(1, text); });
    connect(m_list, &QTreeView::doubleClicked, this, &Form1::onListDoubleClick);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showListMenu(m_list->viewport()->mapToGlobal(pos)); });
    connect(m_status, &StatusPanels::rightClicked, this, [this](const QPoint& pos) {
        // The slideshow waits while the option menu is open.
        const bool running = m_timer1->isActive();
        m_timer1->stop();
        m_menus->menu(QStringLiteral("DspOption"))->exec(pos);
        if (running)
            m_timer1->start();
    });
}

void Form1::onMenuCommand(const QString& group, int index) {
    RunCommand(*m_ctx.prompts, [&] {
        if (group == QLatin1String("ExitTobimaru")) {
            Unload();
            QCoreApplication::quit();
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
        } else if (group == QLatin1String("MnuIconSet") || group == QLatin1String("Listkousin")) {
            listCurrentFolder();
        } else if (group == QLatin1String("Opt") && index == 2) {
            setAlwaysOnTop(m_menus->isChecked(QStringLiteral("Opt(2)")));
        } else if (group == QLatin1String("Opt") && index == 1) {
            m_status->setText(5, m_menus->isChecked(QStringLiteral("Opt(1)"))
                                     ? QStringLiteral("ミュートON")
                                     : QStringLiteral("ミュートOFF"));
        }
    });
}

void Form1::onToolbarButton(const QString& key) {
    m_timer1->stop();
    RunCommand(*m_ctx.prompts, [&] {
        if (key == QLatin1String("最新更新")) {
            listCurrentFolder();
        } else if (key == QLatin1String("ファイルビュー")) {
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
        case KeyCommand::Refresh:
            listCurrentFolder();
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
    RunCommand(*m_ctx.prompts, [&] {
        const QModelIndex current = m_list->currentIndex();
        if (m_fileList->model()->rowCount() == 0 || !current.isValid())
            return;
        const QString key = m_fileList->model()->key(current.row());
        if (ExistsFolder(key)) {
            listFolder(key);
            m_list->setFocus();
        }
    });
}

void Form1::showListMenu(const QPoint& globalPos) {
    AdjustListPopup(*m_menus, m_fileList->model()->rowCount() > 0, m_toolbar->fileViewPressed());
    const bool running = m_timer1->isActive();
    m_timer1->stop();
    m_menus->menu(QStringLiteral("MnuPlayOpt"))->exec(globalPos);
    if (running)
        m_timer1->start();
}

void Form1::applyChecksToControls() {
    if (auto* grid = qobject_cast<ListGridDelegate*>(m_list->itemDelegate()))
        grid->setGridLines(m_menus->isChecked(QStringLiteral("MnuGrid")));
    m_list->viewport()->update();
    // Branch lines come from the classic style; without them the tree keeps the desktop's style.
    const bool lines = m_menus->isChecked(QStringLiteral("TreeViewLine"));
    if (lines) {
        QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"));
        if (classic) {
            classic->setParent(m_tree);
            m_tree->setStyle(classic);
        }
    } else {
        m_tree->setStyle(QApplication::style());
    }
}

void Form1::setAlwaysOnTop(bool on) {
    m_status->setText(6, on ? QStringLiteral("常に最前面ON") : QStringLiteral("常に最前面OFF"));
    if (on == bool(windowFlags() & Qt::WindowStaysOnTopHint))
        return;
    // Changing a window flag re-creates the native window: keep where and how big it is.
    const QRect geometry = this->geometry();
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(geometry);
    if (shown)
        show();
}

QString Form1::currentFolder() const {
    if (const QTreeWidgetItem* item = m_tree->currentItem())
        return item->data(0, NodeKeyRole).toString();
    return m_settings.StartFolder;
}

void Form1::listFolder(const QString& folder) {
    m_fileList->ListFolder(folder, m_menus->isChecked(QStringLiteral("MnuIconSet")),
                           MakeListOptions(m_settings, m_toolbar->fileViewPressed()));
}

void Form1::listCurrentFolder() {
    listFolder(currentFolder());
}

void Form1::goToPath(const QString& folder) {
    listFolder(folder);
}

void Form1::StartupSelectTree() {}

} // namespace tobimaru
