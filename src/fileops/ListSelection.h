#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QTreeView;

namespace tobimaru {

class FileListModel;

/// The selected rows a file command collected, in list order.
struct SelectionRecord {
    QStringList keys;        ///< the source list: the rows' paths
    std::vector<int> rows;   ///< their displayed positions (0-based) when collected
    int count = 0;           ///< how many were collected
    QString lastKey;         ///< the key of the last selected row
    int lastIndex = 0;       ///< its index, 1-based; 0 when none was selected
    bool folderFlag = false; ///< a folder row ("フォルダ" in the extension column) was among them
};

/// Walks the rows of the list in displayed order and records the selected ones.
SelectionRecord CollectSelectedRows(const QTreeView* view, const FileListModel& model);

/// Removes, in one step, each collected row whose file is gone (`fileGone`, by source, as
/// ShellFileOps reports it). A row that moved meanwhile is found by its key.
void RemoveGoneRows(FileListModel& model, const SelectionRecord& record, const std::vector<bool>& fileGone);

/// Selects or clears every row at once, then gives the list the keyboard focus.
void SetAllListSelection(QTreeView* view, bool selected);

/// Makes the row at the 1-based `index` the only selected and the current row, scrolls it into
/// view and gives the list the focus. Nothing for an index outside the list.
void SelectListRow(QTreeView* view, int index);

/// After a delete: every row cleared, then the row at the last selected index (the last row
/// when fewer are left; the one row when one is left) selected, scrolled to and focused.
void SelectAfterDelete(QTreeView* view, int lastIndex);

} // namespace tobimaru
