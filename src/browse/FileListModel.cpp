#include "browse/FileListModel.h"

#include "browse/FileIcons.h"

#include <QIcon>
#include <algorithm>
#include <numeric>

namespace tobimaru {

FileListModel::FileListModel(const FileIcons* icons, QObject* parent)
    : QAbstractTableModel(parent)
    , m_icons(icons)
    , m_captions{QStringLiteral("名前"), QStringLiteral("拡張子"), QStringLiteral("サイズ(KB)"),
                 QStringLiteral("更新日付")} {
    m_boldFont.setBold(true);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const QString& FileListModel::columnText(const Item& item, int column) const {
    switch (column) {
    case ExtensionColumn:
        return item.row.extension;
    case SizeColumn:
        return item.row.sizeText;
    case TimeColumn:
        return item.row.timeText;
    default:
        return item.row.name;
    }
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !valid(index.row()))
        return {};
    const Item& item = m_items[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return columnText(item, index.column());
    case Qt::ForegroundRole:
        return item.color.isValid() ? QVariant(item.color) : QVariant();
    case Qt::FontRole:
        return item.bold ? QVariant(m_boldFont) : QVariant();
    case Qt::DecorationRole:
        if (index.column() == NameColumn && m_icons && !item.row.iconKey.isEmpty()) {
            const QIcon icon = m_icons->icon(item.row.iconKey);
            if (!icon.isNull())
                return icon;
        }
        return {};
    case Qt::ToolTipRole:
        return item.toolTip.isEmpty() ? QVariant() : QVariant(item.toolTip);
    case Qt::TextAlignmentRole:
        // The size text is padded for sorting; aligning it right keeps the digits in line in a
        // proportional font too.
        if (index.column() == SizeColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return m_captions[size_t(section)];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString FileListModel::headerCaption(int section) const {
    return section >= 0 && section < ColumnCount ? m_captions[size_t(section)] : QString();
}

void FileListModel::setRows(std::vector<ListRow> rows) {
    beginResetModel();
    m_items.clear();
    m_items.reserve(rows.size());
    for (ListRow& r : rows) {
        Item item;
        item.color = AttrColor(r.attr);
        item.row = std::move(r);
        m_items.push_back(std::move(item));
    }
    sortItems();
    m_byKeyValid = false;
    endResetModel();
}

void FileListModel::clear() {
    beginResetModel();
    m_items.clear();
    m_byKey.clear();
    m_byKeyValid = false;
    endResetModel();
}

const ListRow& FileListModel::row(int position) const {
    return m_items.at(size_t(position)).row;
}

int FileListModel::rowOfKey(const QString& key) const {
    if (!m_byKeyValid) {
        // Built on the first lookup after a change of rows or order, not on every fill.
        m_byKey.clear();
        m_byKey.reserve(qsizetype(m_items.size()));
        for (size_t i = 0; i < m_items.size(); ++i)
            m_byKey.insert(m_items[i].row.key, int(i));
        m_byKeyValid = true;
    }
    return m_byKey.value(key, -1);
}

void FileListModel::rowChanged(int position, int role) {
    Q_EMIT dataChanged(index(position, 0), index(position, ColumnCount - 1), {role});
}

void FileListModel::setRowColor(int position, const QColor& color) {
    if (!valid(position))
        return;
    m_items[size_t(position)].color = color;
    rowChanged(position, Qt::ForegroundRole);
}

void FileListModel::setRowBold(int position, bool bold) {
    if (!valid(position))
        return;
    m_items[size_t(position)].bold = bold;
    rowChanged(position, Qt::FontRole);
}

void FileListModel::setRowIconKey(int position, const QString& iconKey) {
    if (!valid(position))
        return;
    m_items[size_t(position)].row.iconKey = iconKey;
    rowChanged(position, Qt::DecorationRole);
}

void FileListModel::setRowToolTip(int position, const QString& toolTip) {
    if (!valid(position))
        return;
    m_items[size_t(position)].toolTip = toolTip;
    rowChanged(position, Qt::ToolTipRole);
}

QColor FileListModel::rowColor(int position) const {
    return valid(position) ? m_items[size_t(position)].color : QColor();
}

bool FileListModel::rowBold(int position) const {
    return valid(position) && m_items[size_t(position)].bold;
}

QString FileListModel::rowIconKey(int position) const {
    return valid(position) ? m_items[size_t(position)].row.iconKey : QString();
}

QString FileListModel::rowToolTip(int position) const {
    return valid(position) ? m_items[size_t(position)].toolTip : QString();
}

void FileListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_descending = order == Qt::DescendingOrder;
    sortWithLayoutChange();
}

void FileListModel::ColumnClick(int section) {
    if (section < 0 || section >= ColumnCount)
        return;
    m_descending = !m_descending;
    // Only the first marked header is cleaned; there is never more than one.
    for (QString& caption : m_captions) {
        if (caption.contains(QChar(u'▼')) || caption.contains(QChar(u'▲'))) {
            caption.remove(0, 2);
            break;
        }
    }
    QString& caption = m_captions[size_t(section)];
    caption.prepend(m_descending ? QStringLiteral("▼ ") : QStringLiteral("▲ "));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    m_sortColumn = section;
    sortWithLayoutChange();
}

void FileListModel::sortWithLayoutChange() {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> oldOf = sortItems();
    std::vector<int> newOf(oldOf.size());
    for (size_t i = 0; i < oldOf.size(); ++i)
        newOf[size_t(oldOf[i])] = int(i);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before)
        after.append(index(newOf[size_t(idx.row())], idx.column()));
    changePersistentIndexList(before, after);
    m_byKeyValid = false;
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> FileListModel::sortItems() {
    const size_t n = m_items.size();
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (n < 2)
        return order;
    // Case folding once per row turns every comparison into a plain code-unit compare; the
    // originals break ties, and the stable sort keeps listing order for equal texts.
    std::vector<QString> folded(n);
    for (size_t i = 0; i < n; ++i)
        folded[i] = columnText(m_items[i], m_sortColumn).toCaseFolded();
    const int column = m_sortColumn;
    auto less = [&](int a, int b) {
        const int c = QStringView(folded[size_t(a)]).compare(QStringView(folded[size_t(b)]));
        if (c != 0)
            return c < 0;
        return columnText(m_items[size_t(a)], column) < columnText(m_items[size_t(b)], column);
    };
    if (m_descending)
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
    else
        std::stable_sort(order.begin(), order.end(), less);
    std::vector<Item> sorted;
    sorted.reserve(n);
    for (const int old : order)
        sorted.push_back(std::move(m_items[size_t(old)]));
    m_items = std::move(sorted);
    return order;
}

QColor FileListModel::AttrColor(EntryAttr attr) {
    switch (attr) {
    case EntryAttr::System:
        return QColor(0, 0, 192);
    case EntryAttr::Hidden:
        return QColor(128, 0, 128);
    case EntryAttr::ReadOnly:
        return QColor(0, 128, 0);
    case EntryAttr::Plain:
        return {};
    }
    return {};
}

} // namespace tobimaru
