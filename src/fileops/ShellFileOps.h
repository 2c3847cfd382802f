#pragma once

#include "fileops/JobControl.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QWidget;

namespace tobimaru {

class Prompts;
class Trash;

/// How the sources of the last operation stood once it was over, looked at by the worker.
struct SourceState {
    std::vector<bool> fileGone;      ///< no file (a folder counts as none) at the source any more
    std::vector<bool> folderThere;   ///< a folder still at the source
    std::vector<bool> targetExisted; ///< a move: a folder of the name was in the destination before
    QStringList failed;              ///< "name: reason" of each entry that stayed
};

/// Deleting to the trash and moving, as the file and folder commands, drag and drop and the
/// archive extraction all do it: our confirmation, the work on a worker thread behind a progress
/// dialog, the failure box. Result codes: 0 done, 7 declined or cancelled, anything else a failure
/// (the box has been shown then). Nothing is ever deleted outright.
class ShellFileOps final {
public:
    /// `parent` owns the boxes' progress dialog (may be null). The references must outlive this.
    ShellFileOps(Prompts& prompts, Trash& trash, QWidget* parent);

    /// Asks "…をごみ箱に移動しますか？" (Yes/No, No the default), then moves each source to the trash.
    /// An entry that cannot go there stays; then "ファイル削除に失敗しました。" is shown, with each
    /// entry that stayed and why on lines below. An empty list does nothing (0).
    ShellCode ShellDeleteFiles(const QStringList& sources);
    /// Moves the sources into `destination` (MoveEntries: never over an entry without asking,
    /// never half a move). A failure shows "ファイル移動に失敗しました。" the same way.
    ShellCode ShellMoveFiles(const QStringList& sources, const QString& destination);

    /// The sources of the last call after it, in their order.
    const SourceState& lastState() const { return m_state; }

    /// The confirmation of a delete: the one name, or the count for several.
    static QString DeleteQuestion(const QStringList& sources);
    /// The question about a taken target of a move.
    static QString ClashQuestion(const QString& target);
    /// `text` as its first line, then a blank line and "name: reason" for each entry that stayed
    /// (the first ten, then how many more), for one entry as for several.
    static QString FailureText(const QString& text, const QStringList& failed);

private:
    Prompts& m_prompts;
    Trash& m_trash;
    QWidget* m_parent = nullptr;
    SourceState m_state;
};

} // namespace tobimaru
