#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <limits>

namespace tobimaru {

/// Which attribute decided an entry's admission and colour; the first that applies of system,
/// hidden and read-only, in that order.
enum class EntryAttr : std::uint8_t { Plain, System, Hidden, ReadOnly };

/// Images of folder rows: read-only folders with these names get their own.
enum class FolderImage : std::uint8_t { None, Closed, MyPictures, MyMusic, MyVideos, Favorites };

/// The columns of the file list, in order.
enum ListColumn : int { NameColumn = 0, ExtensionColumn, SizeColumn, TimeColumn, ColumnCount };

/// A modification time that is not known: the time column stays empty.
inline constexpr qint64 kNoTime = std::numeric_limits<qint64>::min();

/// One row of the file list. A big folder has hundreds of thousands of them, so a row holds what
/// cannot be had otherwise: its folder is the list's, its key that folder joined with the name,
/// and the size and time texts are formatted from the numbers where they are shown or sorted.
/// Rows of one listing share one string per distinct extension text.
struct ListRow {
    QString name;              ///< column "名前", as the directory gave it
    QString extension;         ///< column "拡張子": the extension, "<拡張子なし>", or "フォルダ"
    qint64 size = 0;           ///< bytes
    qint64 modified = kNoTime; ///< seconds since the epoch
    std::uint32_t icon = 0;    ///< the row's small icon: an index into its list's icons, 0 for none
    EntryAttr attr = EntryAttr::Plain;
    FolderImage folderImage = FolderImage::None; ///< None for files
    bool isFolder() const { return folderImage != FolderImage::None; }
};

/// The text of a row in a column: the name, the extension, the size (FormatSizeKB, "--------"
/// for a folder) or the time (FormatFileTime, "" when unknown).
QString ListRowText(const ListRow& row, int column);
/// The size column's text of a row.
QString ListRowSizeText(const ListRow& row);

/// The key of a row: the folder with one "/" and the name.
QString JoinListKey(QStringView folder, QStringView name);
/// The folder with the one "/" that keys add after it.
QString ListKeyBase(const QString& folder);

/// The listing's names of row texts that other code tests for.
QString FolderRowExtension(); ///< "フォルダ"
QString FolderRowSize();      ///< "--------"
QString NoExtensionText();    ///< "<拡張子なし>"

} // namespace tobimaru
