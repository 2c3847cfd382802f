#include "fileops/ListSelection.h"

#include "browse/FileListModel.h"
#include "browse/FolderListing.h"

#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>

namespace tobimaru {

SelectionRecord CollectSelectedRows(const QTreeView* view, const FileListModel& model) {
    SelectionRecord record;
    const QItemSelectionModel* selection = view->selectionModel();
    if (!selection)
        return record;
    // The selected rows, not every row: a big list with a few selected costs only those.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selection->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const QString folder = FolderRowExtension();
    for (const int r : rows) {
        if (r < 0 || r >= model.rowCount())
            continue;
        const ListRow& row = model.row(r);
        const QString key = model.key(r);
        record.keys.append(key);
        record.rows.push_back(r);
        record.lastKey = key;
        record.lastIndex = r + 1;
        if (row.extension == folder)
            record.folderFlag = true;
    }
    record.count = int(record.keys.size());
    return record;
}

void RemoveGoneRows(FileListModel& model, const SelectionRecord& record, const std::vector<bool>& fileGone) {
    std::vector<int> positions;
    for (qsizetype i = 0; i < record.keys.size() && size_t(i) < fileGone.size(); ++i) {
        if (!fileGone[size_t(i)])
            continue;
        const int collected = record.rows[size_t(i)];
        const bool inPlace = collected < model.rowCount() && model.key(collected) == record.keys[i];
        const int position = inPlace ? collected : model.rowOfKey(record.keys[i]);
        if (position >= 0)
            positions.push_back(position);
    }
    model.removeRowsAt(positions);
}

void SetAllListSelection(QTreeView* view, bool selected) {
    if (selected)
        view->selectAll();
    else if (view->selectionModel())
        view->selectionModel()->clearSelection();
    view->setFocus();
}

void SelectListRow(QTreeView* view, int index) {
    QAbstractItemModel* model = view->model();
    if (!model || index < 1 || index > model->rowCount() || !view->selectionModel())
        return;
    const QModelIndex at = model->index(index - 1, 0);
    view->selectionModel()->setCurrentIndex(at,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(at);
    view->setFocus();
}

void SelectAfterDelete(QTreeView* view, int lastIndex) {
    SetAllListSelection(view, false);
    const int rows = view->model() ? view->model()->rowCount() : 0;
    if (rows == 0)
        return;
    SelectListRow(view, rows == 1 ? 1 : std::min(lastIndex, rows));
}

} // namespace tobimaru
