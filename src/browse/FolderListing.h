#pragma once

#include "browse/ListIndex.h"
#include "browse/ListRow.h"
#include "browse/ListSort.h"
#include "browse/ListWidest.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <stop_token>
#include <string_view>
#include <vector>

namespace tobimaru {

struct RuntimeSettings;

/// What a listing admits: the displayed-types pattern list and the attribute switches.
struct ListOptions {
    /// ";"-separated wildcard patterns, e.g. "*.avi;*.mpg" (no final ";").
    QString ListPattern;
    /// The "ファイルビュー" toolbar button: every file (and folders, with ShowFolders) instead of
    /// the patterns.
    bool FileViewMode = false;
    bool ShowHidden = false;   ///< HiddenAtr
    bool ShowSystem = false;   ///< SystemAtr
    bool ShowReadOnly = false; ///< ReadOnlyAtr
    bool ShowFolders = false;  ///< FolderDsp: subfolders in file-view mode
};

/// The options of the settings values and the state of the file-view button.
ListOptions MakeListOptions(const RuntimeSettings& settings, bool fileViewMode);

/// What a listed row's small icon is keyed by: a file's icon base (FileIconBase) or a folder
/// image. A listing holds each once; entry 0 is "no icon".
struct ListIcon {
    QString base;
    FolderImage folderImage = FolderImage::None;
};

/// Consecutive file rows with one icon base (folder rows between them do not count): the list
/// asks for a file icon once a run, as it asked when the base changed from one file to the next.
struct IconRun {
    std::uint32_t firstRow = 0;
    std::uint32_t icon = 0; ///< into ListResult::icons; 0 for files without a base
};

/// The rows of one folder in listing order and what the status bar says about them.
struct ListResult {
    QString folder; ///< as the listing was asked for; the rows' keys are under it
    std::vector<ListRow> rows;
    std::vector<ListIcon> icons{ListIcon()}; ///< what ListRow::icon indexes
    std::vector<IconRun> iconRuns;
    qint64 files = 0;
    qint64 folders = 0;
    /// False when the listing stopped at an entry already listed (a file that two patterns of the
    /// list both match): the rows before it stay and the status text is left as it was.
    bool complete = true;
    /// The displayed order and the index by name, when PrepareListing made them.
    ListOrder order;
    ListNameIndex index;
    /// The rows the columns are fitted to besides those in view, when PrepareListing found them.
    WidestRows widest;
};

/// Sorts a listing for a sort state, indexes its rows by name and finds the rows its columns are
/// fitted to: the work a big folder's rows need before they are shown, done where the listing
/// was read.
void PrepareListing(ListResult& result, int sortColumn, bool descending);

/// The attribute that decides an entry's admission: system (a folder named "lost+found", or
/// anything neither a regular file nor a folder), then hidden, then read-only.
/// The image of a read-only folder by the exact bytes of its name ("My Pictures", "My Music",
/// "My Videos", "Favorites"); Closed for any other name.
FolderImage ReadOnlyFolderImage(std::string_view name);

EntryAttr ClassifyEntry(bool namedLostFound, bool isDir, bool isRegular, bool hidden, bool readOnly);

/// Whether the switches admit an entry of that attribute (plain entries always).
bool IsAdmitted(EntryAttr attr, const ListOptions& options);

/// Reads a folder in one pass and returns its admitted entries. Rows come pattern by pattern in
/// the order of the pattern list, and within a pattern in directory order; a file is taken by
/// "*.ext" only when its own extension is ext (without regard to case). A folder that cannot be
/// read, an empty folder path or an empty pattern gives no rows; nothing throws for a file-system
/// failure. The entries of a big folder are examined on two threads; on a share, a FUSE file
/// system or a stick many stats are kept in flight (PlanReads).
ListResult ListFolderRows(const QString& folder, const ListOptions& options);

/// The same, giving up as soon as `stop` is requested: what the read still returns then is
/// incomplete, for a caller that drops it.
ListResult ListFolderRows(const QString& folder, const ListOptions& options, const std::stop_token& stop);

/// Windows-style wildcard test without regard to case: "*" any run, "?" one character, other
/// characters themselves; "*.*" matches every name, also one without a dot.
bool MatchesWildcard(QStringView pattern, QStringView name);

/// The icon cache key base of a file: its full path for extensions "lnk", "exe", "ico" and
/// "desktop" (exactly, lower case), whose icons belong to each file; otherwise its extension.
QString FileIconBase(const QString& extension, const QString& fullPath);

} // namespace tobimaru
