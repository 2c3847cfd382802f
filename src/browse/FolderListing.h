#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
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

/// Which attribute decided an entry's admission and colour; the first that applies of system,
/// hidden and read-only, in that order.
enum class EntryAttr : std::uint8_t { Plain, System, Hidden, ReadOnly };

/// Images of folder rows: read-only folders with these names get their own.
enum class FolderImage : std::uint8_t { None, Closed, MyPictures, MyMusic, MyVideos, Favorites };

/// One row of the file list.
struct ListRow {
    QString key;         ///< full path
    QString name;        ///< column "名前"
    QString extension;   ///< column "拡張子": the extension, "<拡張子なし>", or "フォルダ"
    QString sizeText;    ///< column "サイズ(KB)": FormatSizeKB, or "--------" for folders
    QString timeText;    ///< column "更新日付": FormatFileTime of the modification time
    QString iconBase;    ///< what the file's icon is keyed by (FileIconBase); "" for folders
    QString iconKey;     ///< image key of the row's small icon; the list fills it, "" for none
    qint64 size = 0;     ///< bytes
    qint64 modified = 0; ///< seconds since the epoch
    EntryAttr attr = EntryAttr::Plain;
    FolderImage folderImage = FolderImage::None; ///< None for files
    bool isFolder() const { return folderImage != FolderImage::None; }
};

/// The rows of one folder in listing order and what the status bar says about them.
struct ListResult {
    std::vector<ListRow> rows;
    qint64 files = 0;
    qint64 folders = 0;
    /// False when the listing stopped at an entry already listed (a file that two patterns of the
    /// list both match): the rows before it stay and the status text is left as it was.
    bool complete = true;
};

/// The attribute that decides an entry's admission: system (a folder named "lost+found", or
/// anything neither a regular file nor a folder), then hidden, then read-only.
EntryAttr ClassifyEntry(bool namedLostFound, bool isDir, bool isRegular, bool hidden, bool readOnly);

/// Whether the switches admit an entry of that attribute (plain entries always).
bool IsAdmitted(EntryAttr attr, const ListOptions& options);

/// Reads a folder in one pass and returns its admitted entries. Rows come pattern by pattern in
/// the order of the pattern list, and within a pattern in directory order; a file is taken by
/// "*.ext" only when its own extension is ext (without regard to case). A folder that cannot be
/// read, an empty folder path or an empty pattern gives no rows; nothing throws for a file-system
/// failure.
ListResult ListFolderRows(const QString& folder, const ListOptions& options);

/// Windows-style wildcard test without regard to case: "*" any run, "?" one character, other
/// characters themselves; "*.*" matches every name, also one without a dot.
bool MatchesWildcard(QStringView pattern, QStringView name);

/// The icon cache key base of a file: its full path for extensions "lnk", "exe", "ico" and
/// "desktop" (exactly, lower case), whose icons belong to each file; otherwise its extension.
QString FileIconBase(const QString& extension, const QString& fullPath);

/// The listing's names of row texts that other code tests for.
QString FolderRowExtension(); ///< "フォルダ"
QString FolderRowSize();      ///< "--------"
QString NoExtensionText();    ///< "<拡張子なし>"

} // namespace tobimaru
