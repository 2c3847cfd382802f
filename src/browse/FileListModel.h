#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "browse/FolderListing.h"

namespace tobimaru {

class FileIcons;

/// The rows of the file list `ListView1`: four text columns, per-row colour, bold, icon and
/// tooltip, rows found by key (full path). Every column sorts as text, without regard to case,
/// with one direction shared by all columns; the header of the last clicked column carries
/// "▲ " or "▼ ". The rows are of one folder, the model's; a row keeps its name, not its path.
class FileListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        NameColumn = tobimaru::NameColumn,
        ExtensionColumn = tobimaru::ExtensionColumn,
        SizeColumn = tobimaru::SizeColumn,
        TimeColumn = tobimaru::TimeColumn,
        ColumnCount = tobimaru::ColumnCount
    };

    /// `icons` resolves the rows' icon keys; it must outlive the model (may be null: no icons).
    explicit FileListModel(const FileIcons* icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    /// Lean, as the view asks for an index of every row when it lays out a big list.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// Sorts by a column in a direction without touching the header captions.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    /// Replaces every row by those of `folder` (in listing order; they are shown in the current
    /// sort order), without icons. The colour of each row follows its attribute; bold and
    /// tooltips start cleared.
    void setRows(const QString& folder, std::vector<ListRow> rows);
    /// Replaces every row by a listing's; `iconKeys` are the image keys of its icons ("" for
    /// none). Its order and index are taken as they are when they were made for this model's
    /// sort state and rows, else made here. The old rows are freed on a worker thread.
    void setListing(ListResult&& listing, std::vector<QString> iconKeys);
    /// Removes every row.
    void clear();
    /// Removes the rows at these displayed positions (any order; invalid ones are ignored) in
    /// one step: a thousand rows of a big list go at the cost of one pass, not one each. The
    /// remaining rows keep their order and decorations; the selection is cleared.
    void removeRowsAt(const std::vector<int>& positions);
    /// Adds a row of the model's folder with that image key and puts it in its sorted place; the
    /// selection follows its rows.
    void addRow(ListRow row, const QString& iconKey = QString());

    /// Rows can be dragged out as the files they stand for.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    /// The rows' files as "text/uri-list", and the format below marking a drag of our own rows.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    /// The format of a drag of this program's list rows (the process id is its value).
    static QString RowsMimeType();

    /// The row at a displayed position (0-based, valid positions only).
    const ListRow& row(int position) const;
    /// The key of the row at a displayed position: the folder and its name.
    QString key(int position) const;
    /// Displayed position of the row with that key, -1 when there is none (a key of another
    /// folder finds nothing, nor does a name that differs in case).
    int rowOfKey(const QString& key) const;
    /// The folder the rows are of, as it was listed.
    const QString& folder() const { return m_folder; }
    /// Displayed positions of the rows likely widest in a column (FindWidestRows, and rows
    /// added since): with the rows in view, what the column is fitted to in a big list.
    std::vector<int> widestRows(int column) const;

    /// Per-row decoration; positions out of range are ignored. An invalid colour means the
    /// palette's text colour; an empty icon key means no icon.
    void setRowColor(int position, const QColor& color);
    void setRowBold(int position, bool bold);
    void setRowIconKey(int position, const QString& iconKey);
    void setRowToolTip(int position, const QString& toolTip);
    QColor rowColor(int position) const;
    bool rowBold(int position) const;
    QString rowIconKey(int position) const;
    QString rowToolTip(int position) const;

    /// A click on header `section`: flips the shared direction, moves the marker to that header
    /// and sorts by it.
    void ColumnClick(int section);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_descending ? Qt::DescendingOrder : Qt::AscendingOrder; }
    /// The caption of a header, with its marker if it has one.
    QString headerCaption(int section) const;

    /// Text colour of an attribute: system dark blue, hidden purple, read-only green; plain rows
    /// get an invalid colour (the palette's text colour).
    static QColor AttrColor(EntryAttr attr);

Q_SIGNALS:
    /// Rows left or joined the list by a command rather than by a new listing: the files and
    /// folders it holds now, for the status bar's count.
    void countsChanged(qint64 files, qint64 folders);

private:
    void announceCounts();
    /// What continuous play changed on a row; most rows have none.
    struct Decoration {
        QColor color;
        bool colorSet = false;
        bool bold = false;
        QString toolTip;
    };
    /// Computes m_order for the sort column and direction.
    void sortRows();
    void sortWithLayoutChange();
    std::uint32_t iconIndexOf(const QString& iconKey);
    bool valid(int position) const { return position >= 0 && position < int(m_order.size()); }
    int indexAt(int position) const { return m_order[size_t(position)]; }
    void rowChanged(int position, int role);

    const FileIcons* m_icons = nullptr;
    QString m_folder;
    QString m_base;                            ///< the folder with its "/": keys begin with it
    std::vector<ListRow> m_rows;               ///< listing order
    std::vector<int> m_order;                  ///< displayed position → index in m_rows
    std::vector<int> m_positionOf;             ///< index in m_rows → displayed position
    ListNameIndex m_index;                     ///< index in m_rows by name
    WidestRows m_widest;                       ///< indexes in m_rows
    std::vector<QString> m_iconKeys;           ///< image keys by ListRow::icon; [0] is ""
    QHash<QString, std::uint32_t> m_iconIndex; ///< the other way, filled when a row changes icon
    QHash<int, Decoration> m_decorations;      ///< by index in m_rows
    std::array<QString, ColumnCount> m_captions;
    int m_sortColumn = NameColumn;
    bool m_descending = false;
    QFont m_boldFont;
};

} // namespace tobimaru
