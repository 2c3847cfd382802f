#pragma once

#include "fileops/FileOpsContext.h"

#include <QString>
#include <functional>

class QTreeView;

namespace tobimaru {

struct SelectionRecord;
struct SourceState;

/// The commands on the rows of the file list: delete to the trash, move, the extension dialog,
/// select all. The file commands stop playback before anything else. Failures reach the caller
/// (the command table's trap).
class FileCommands final {
public:
    explicit FileCommands(const FileOpsContext& context);

    /// Deletes the selected rows to the trash; then the rows whose files are gone leave the list
    /// (all of it is read again when a folder row was among them), and the row at the last
    /// selected index (or the new last row) is the one selected.
    void DelFile_Click();
    /// Moves the selected rows into a folder the user picks; the list follows as for a delete,
    /// and row 1 is selected.
    void MoveFile_Click();
    /// Stops playback, then shows the extension dialog modally when there is one.
    void ReNameFile_Click();
    /// Selects or clears every row, then focuses the list.
    void SetAllListSelection(bool selected);

    /// The extension dialog; until it is set, ReNameFile_Click only stops playback.
    void setExtensionDialog(std::function<void()> show) { m_extensionDialog = std::move(show); }
    bool hasExtensionDialog() const { return bool(m_extensionDialog); }

    /// After a delete or move of list rows: the rows whose files are gone leave the list, and
    /// when a folder row was among them the whole list is read again (`Listkousin_Click`);
    /// otherwise the window is repainted. Nothing when the last collected file is still there.
    /// `beforeRefresh` runs just before that full refresh.
    void BringListInLine(const SelectionRecord& record, const SourceState& state,
                         const std::function<void()>& beforeRefresh = {});

private:
    /// Stops the player, as every file command does first; the list, or nullptr when it has no
    /// rows to work on.
    QTreeView* stopAndTakeRows() const;

    FileOpsContext m_ctx;
    std::function<void()> m_extensionDialog;
};

} // namespace tobimaru
