#pragma once

#include "fileops/JobControl.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace tobimaru {

class JobControl;
class Trash;

/// What a move left behind.
struct MoveReport {
    ShellCode result = ShellCode::Done; ///< Done, Declined (cancelled), Failed or InsideSource
    /// "shown path: reason" for each entry that stayed where it was (or, where a source changed
    /// while it was copied, stayed beside its copy); a path below a moved folder names the entry
    QStringList failed;
};

/// Moves each source (a file, a folder with all it holds, a link as a link) into the folder
/// `destination`, keeping its name. Within one file system an entry is renamed, never over an
/// existing one. Across file systems it is copied to a hidden name beside its target, checked
/// (sizes, and every byte of each file read back), given its permission bits and modification
/// time, and put in place; only then is the source removed, and only as far as it is still what
/// was copied (a source written to, replaced or added to meanwhile stays beside its copy, and
/// says so). A failure or a cancel on the way removes the unfinished copy and leaves the source
/// whole; the unfinished copies of moves killed before are removed when a copy comes to their
/// folder. A target name that is taken is asked
/// about through `job`: replace (the old entry goes to `trash`, never away for good), skip, or
/// cancel all. A folder to be moved into itself or into a folder below it refuses the whole move
/// before anything is touched (InsideSource). Runs on a worker thread.
MoveReport MoveEntries(const QStringList& sources, const QString& destination, JobControl& job, Trash& trash);

/// True when the folder `destination` is the folder `source` or lies below it, links resolved.
/// A source that is no folder (a link to one included) holds nothing.
bool IsInsideFolder(const QString& destination, const QString& source);

} // namespace tobimaru
