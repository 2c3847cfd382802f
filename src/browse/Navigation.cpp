#include "browse/Navigation.h"

#include "platform/WaitCursor.h"

#include "base/CommandTable.h"
#include "base/ErrorBox.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "browse/AddressBox.h"
#include "browse/BrowseFolder.h"
#include "browse/DirectoryRead.h"
#include "browse/FolderTree.h"
#include "browse/SystemFolders.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <optional>

namespace tobimaru {

namespace {

void Tell(Prompts& prompts, const QString& text, PromptIcon icon) {
    prompts.message(text, AppTitle(), icon, PromptButtons::Ok);
}

QString NoSuchPathText() {
    return QStringLiteral("パスは、存在しません。");
}

} // namespace

Navigation::Navigation(NavigationContext context, QObject* parent)
    : QObject(parent)
    , m_ctx(std::move(context)) {
    connect(m_ctx.address, &QComboBox::activated, this, &Navigation::ImageCombo1_Click);
    if (QLineEdit* edit = m_ctx.address->lineEdit()) {
        // The box hands an unused Return on to its line edit again, so the same press can
        // arrive twice; the second finds the box already showing where it went.
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            QComboBox* box = m_ctx.address;
            if (box->currentText() != box->itemText(box->currentIndex()))
                AddressTyped(box->currentText());
        });
    }
}

DriveModel Navigation::TakeDrives() const {
    return m_ctx.drives ? m_ctx.drives() : DriveModel::FromSystem();
}

void Navigation::StopPlayback() {
    if (m_ctx.stopPlayback)
        m_ctx.stopPlayback();
}

bool Navigation::GoToPath(const QString& path, bool listFlag) {
    return Open(path, listFlag, false);
}

bool Navigation::Open(const QString& path, bool listFlag, bool rescan) {
    Prompts& prompts = *m_ctx.prompts;
    FolderTree& tree = *m_ctx.tree;
    bool opened = false;
    RunCommand(prompts, [&] {
        // Inside the trap, so that the cursor is back before any box is shown.
        std::optional<WaitCursor> busy;
        if (path.isEmpty()) {
            Tell(prompts, QStringLiteral("選択されたパスに移動できません。"), PromptIcon::Warning);
            return;
        }
        const bool absolute = path.startsWith(QLatin1Char('/'));
        const QString target = absolute ? QDir::cleanPath(path) : path;
        tree.state().CurrentFolder = target;
        busy.emplace();

        const DriveModel drives = TakeDrives();
        // One command: the drive check, the tree and its read-ahead wait one limit in all.
        const MountProber::Command command(drives.prober());
        const QString drive = drives.GetDriveName(target);
        if (!drive.isEmpty() && m_ctx.settings && drives.GetDriveType(drive) == DriveType::Remote)
            m_ctx.settings->NetworkShareRoot = drive;
        StopPlayback();

        if (!absolute) {
            // A relative path names no place; it is missing like any folder that is not there.
            busy.reset();
            Tell(prompts, NoSuchPathText(), PromptIcon::Information);
            return;
        }
        if (!CheckDriveReady(drive, drives, prompts)) {
            busy.reset();
            // The box goes back to the drive the tree still shows.
            SelectAddressEntry(m_ctx.address, drives.GetDriveName(tree.GetTreeViewKey()));
            return;
        }
        if (!ExistsFolder(target)) {
            busy.reset();
            Tell(prompts, NoSuchPathText(), PromptIcon::Information);
            return;
        }
        // The nodes already read stay (with their marks); only what is missing is read.
        if (tree.ShowsDrive(drive, drives))
            tree.UseDrives(drives);
        else
            tree.BuildDriveTree(drive, drives);
        SelectAddressEntry(m_ctx.address, drive);
        if (!listFlag) {
            opened = true;
            return;
        }
        opened = tree.SelectTreePath(drive, target, true);
        // A folder the tree could not reach has been reported; the list stays as it was.
        const QString selected = tree.GetTreeViewKey();
        // The node's folder is read again while the list reads it: the two cost one.
        const auto pending = opened && rescan ? tree.BeginRescan(selected) : nullptr;
        if (!selected.isEmpty() && m_ctx.listFolder)
            m_ctx.listFolder(selected);
        tree.FinishRescan(pending);
    });
    return opened;
}

void Navigation::GoDeskTop_Click() {
    const QString desktop = m_ctx.desktopPath ? m_ctx.desktopPath() : ClsGetSpecialFolder().DesktopPath();
    GoToPath(desktop, true);
}

void Navigation::GoMydoc_Click() {
    const QString documents =
        m_ctx.documentsPath ? m_ctx.documentsPath() : ClsGetSpecialFolder().MyDocumentPath();
    GoToPath(documents, true);
}

QString Navigation::AskFolder(const QString& prompt, int root) {
    StopPlayback();
    m_ctx.tree->widget()->setFocus();
    const DriveModel drives = TakeDrives();
    const QString answer = BrowseFolder(*m_ctx.prompts, prompt, m_ctx.tree->GetTreeViewKey(), root, drives);
    // The chooser's answer is tested for a folder only on a drive that answers: a test on a dead
    // mount would hang the window.
    if (answer.isEmpty() || ReachableFolders({answer}, drives).isEmpty() || !ExistsFolder(answer))
        return {};
    return answer;
}

void Navigation::GoNetWtok_Click() {
    RunCommand(*m_ctx.prompts, [&] {
        const QString answer =
            AskFolder(QStringLiteral("ネットワークを指定してください。"), kBrowseRootNetwork);
        if (!answer.isEmpty()) {
            ClearAddressText(m_ctx.address);
            GoToPath(answer, true);
        }
    });
}

void Navigation::GoFolder_Click() {
    RunCommand(*m_ctx.prompts, [&] {
        const QString answer = AskFolder(QStringLiteral("フォルダーを選択してください"), kBrowseRootDesktop);
        if (!answer.isEmpty())
            GoToPath(answer, true);
    });
}

void Navigation::GoUpOneLevel() {
    const QString parent = GetUpPath(m_ctx.tree->GetTreeViewKey());
    if (!parent.isEmpty())
        GoToPath(parent, true);
}

void Navigation::FollowRootCaption() {
    // A drive's entry takes the root's caption (a new disc, a new label); the caption of a
    // folder below the root is no name for a drive.
    QComboBox* box = m_ctx.address;
    const QTreeWidgetItem* node = m_ctx.tree->SelectedNode();
    const int index = box->currentIndex();
    if (!node || index < 0 || AddressEntryKey(box, index) != FolderTree::NodeKey(node))
        return;
    if (box->itemText(index) != node->text(0)) {
        box->setItemText(index, node->text(0));
        if (box->isEditable())
            box->setEditText(node->text(0));
    }
}

void Navigation::ImageCombo1_Click(int index) {
    RunCommand(*m_ctx.prompts, [&] {
        const QString key = AddressEntryKey(m_ctx.address, index);
        if (key == DesktopEntryKey()) {
            GoDeskTop_Click();
        } else if (key == DocumentsEntryKey()) {
            GoMydoc_Click();
        } else if (!key.isEmpty()) {
            GoToPath(key, true);
            FollowRootCaption();
        }
    });
}

void Navigation::AddressTyped(const QString& text) {
    RunCommand(*m_ctx.prompts, [&] {
        QString typed = text.trimmed();
        const int entry = typed.isEmpty() ? -1 : m_ctx.address->findText(typed, Qt::MatchExactly);
        if (entry >= 0) {
            m_ctx.address->setCurrentIndex(entry);
            ImageCombo1_Click(entry);
            return;
        }
        if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
            typed = QDir::homePath() + typed.mid(1);
        GoToPath(typed, true);
    });
}

void Navigation::Listkousin_Click() {
    RunCommand(*m_ctx.prompts, [&] {
        // GoToPath shows the hourglass while it works and takes it down for its boxes.
        StopPlayback();
        // A refresh asks a share afresh: nothing the reads just before learned is trusted.
        FolderMemo::ForgetAll();
        Open(m_ctx.tree->GetTreeViewKey(), true, true);
        FollowRootCaption();
        if (m_ctx.window)
            m_ctx.window->repaint();
        if (m_ctx.rearmPlayback)
            m_ctx.rearmPlayback();
    });
}

void Navigation::RefreshCurrentFolder() {
    StopPlayback();
    // The folder was just changed by a command: what reads of it learned before is out of date.
    FolderMemo::ForgetAll();
    Open(m_ctx.tree->GetTreeViewKey(), true, true);
    if (m_ctx.window)
        m_ctx.window->repaint();
    if (m_ctx.rearmPlayback)
        m_ctx.rearmPlayback();
}

void Navigation::registerCommands(CommandTable& table) {
    table.add(cmd::GoDesktop, [this] { GoDeskTop_Click(); });
    table.add(cmd::GoDocuments, [this] { GoMydoc_Click(); });
    table.add(cmd::GoNetwork, [this] { GoNetWtok_Click(); });
    table.add(cmd::GoChooseFolder, [this] { GoFolder_Click(); });
    table.add(cmd::GoUp, [this] { GoUpOneLevel(); });
    table.add(cmd::ListRefresh, [this] { Listkousin_Click(); });
}

} // namespace tobimaru
