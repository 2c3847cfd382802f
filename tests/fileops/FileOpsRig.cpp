#include "FileOpsRig.h"

#include "browse/FolderTree.h"
#include "support/TempDir.h"

#include <QItemSelectionModel>
#include <QLayout>
#include <QTreeWidget>

namespace tobimaru::test {

FileOpsRig::FileOpsRig() {
    tree.settings.ShowFolders = 1;
    view = new QTreeView(&tree.window);
    view->setObjectName(QStringLiteral("ListView1"));
    tree.window.layout()->addWidget(view);
    list = std::make_unique<FileListView>(view, tree.icons, prompts);

    FileOpsContext c;
    c.window = &tree.window;
    c.tree = tree.tree.get();
    c.list = list.get();
    c.nav = tree.nav.get();
    c.prompts = &prompts;
    c.trash = &trash;
    c.fileManager = &fileManager;
    c.searchTool = &searchTool;
    c.hoverTimer = &timer2;
    c.stopPlayback = [this] { ++stops; };
    c.stopSlideTimer = [this] { ++slideStops; };
    c.listFolder = [this](const QString& folder) {
        listedByOps << folder;
        list->ListFolder(folder, false, MakeListOptions(tree.settings, fileView));
    };
    c.fileView = [this] { return fileView; };
    ops = std::make_unique<FileOpsSubsystem>(c, tree.input.get());
}

FileOpsRig::~FileOpsRig() = default;

void FileOpsRig::make(const QStringList& entries) const {
    for (const QString& e : entries) {
        if (e.endsWith(QLatin1Char('/')))
            tree.dir.mkdir(QStringLiteral("drive/") + e.chopped(1));
        else
            tree.dir.write(QStringLiteral("drive/") + e, e.toUtf8());
    }
}

void FileOpsRig::open(const QString& relative) {
    const QString folder = relative.isEmpty() ? tree.drive() : at(relative);
    tree.tree->BuildDriveTree(tree.drive(), tree.drives());
    tree.tree->SelectTreePath(tree.drive(), folder, true);
    relist();
}

void FileOpsRig::relist() {
    list->ListFolder(tree.tree->GetTreeViewKey(), false, MakeListOptions(tree.settings, fileView));
}

void FileOpsRig::select(const QStringList& names) const {
    QItemSelectionModel* selection = view->selectionModel();
    selection->clearSelection();
    for (int r = 0; r < model().rowCount(); ++r) {
        if (names.contains(model().row(r).name))
            selection->select(model().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

QStringList FileOpsRig::rowNames() const {
    QStringList out;
    for (int r = 0; r < model().rowCount(); ++r)
        out << model().row(r).name;
    return out;
}

QStringList FileOpsRig::selectedNames() const {
    QStringList out;
    for (int r = 0; r < model().rowCount(); ++r) {
        if (view->selectionModel()->isRowSelected(r, {}))
            out << model().row(r).name;
    }
    return out;
}

QString FileOpsRig::currentName() const {
    const QModelIndex current = view->currentIndex();
    return current.isValid() ? model().row(current.row()).name : QString();
}

} // namespace tobimaru::test
