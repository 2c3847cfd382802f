#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <array>
#include <vector>

#include "browse/FolderListing.h"

namespace tobimaru {

class FileIcons;

/// The rows of the file list `ListView1`: four text columns, per-row colour, bold, icon and
/// tooltip, rows found by key (full path). Every column sorts as text, without regard to case,
/// with one direction shared by all columns; the header of the last clicked column carries
/// "▲ " or "▼ ".
class FileListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn = 0, ExtensionColumn, SizeColumn, TimeColumn, ColumnCount };

    /// `icons` resolves the rows' icon keys; it must outlive the model (may be null: no icons).
    explicit FileListModel(const FileIcons* icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// Sorts by a column in a direction without touching the header captions.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    /// Replaces every row (in listing order; they are shown in the current sort order). The
    /// colour of each row follows its attribute; bold and tooltips start cleared.
    void setRows(std::vector<ListRow> rows);
    /// Removes every row.
    void clear();
    /// Removes the rows at these displayed positions (any order; invalid ones are ignored) in
    /// one step: a thousand rows of a big list go at the cost of one pass, not one each. The
    /// remaining rows keep their order and decorations; the selection is cleared.
    void removeRowsAt(const std::vector<int>& positions);
    /// Adds a row and puts it in its sorted place; the selection follows its rows.
    void addRow(ListRow row);

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
    /// The key of the row at a displayed position.
    const QString& key(int position) const { return row(position).key; }
    /// Displayed position of the row with that key, -1 when there is none.
    int rowOfKey(const QString& key) const;

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

private:
    /// What continuous play changed on a row; most rows have none.
    struct Decoration {
        QColor color;
        bool colorSet = false;
        bool bold = false;
        QString toolTip;
    };
    struct SortKey {
        quint64 high = 0; ///< folded code units 1-4 after the common prefix, big end first
        quint64 low = 0;  ///< units 5-8
        quint32 index = 0;
    };

    const QString& columnText(const ListRow& row, int column) const;
    /// Computes m_order for the sort column and direction.
    void sortRows();
    int compareForSort(const SortKey& a, const SortKey& b) const;
    void sortWithLayoutChange();
    bool valid(int position) const { return position >= 0 && position < int(m_order.size()); }
    int indexAt(int position) const { return m_order[size_t(position)]; }
    void rowChanged(int position, int role);

    const FileIcons* m_icons = nullptr;
    std::vector<ListRow> m_rows;          ///< listing order
    std::vector<int> m_order;             ///< displayed position → index in m_rows
    std::vector<int> m_positionOf;        ///< index in m_rows → displayed position
    QHash<int, Decoration> m_decorations; ///< by index in m_rows
    std::array<QString, ColumnCount> m_captions;
    int m_sortColumn = NameColumn;
    bool m_descending = false;
    QFont m_boldFont;
    mutable QHash<QString, int> m_indexOfKey; ///< built on the first lookup after a fill
    mutable bool m_indexOfKeyValid = false;
    // Sorting scratch, kept so that the next sort of a big list reuses its memory.
    std::vector<char16_t> m_folded;
    std::vector<quint32> m_foldedStart;
    std::vector<bool> m_foldChanged; ///< whether folding changed a row's text
    std::vector<SortKey> m_sortKeys;
    qsizetype m_commonPrefix = 0;
};

} // namespace tobimaru
