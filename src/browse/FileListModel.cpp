#include "browse/FileListModel.h"

#include "base/FileNames.h"

#include "browse/FileIcons.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <numeric>
#include <set>

namespace tobimaru {

namespace {

char16_t Fold(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    if (QChar::isSurrogate(c))
        return c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

} // namespace

FileListModel::FileListModel(const FileIcons* icons, QObject* parent)
    : QAbstractTableModel(parent)
    , m_icons(icons)
    , m_captions{QStringLiteral("名前"), QStringLiteral("拡張子"), QStringLiteral("サイズ(KB)"),
                 QStringLiteral("更新日付")} {
    m_boldFont.setBold(true);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_order.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const QString& FileListModel::columnText(const ListRow& row, int column) const {
    switch (column) {
    case ExtensionColumn:
        return row.extension;
    case SizeColumn:
        return row.sizeText;
    case TimeColumn:
        return row.timeText;
    default:
        return row.name;
    }
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !valid(index.row()))
        return {};
    const int i = indexAt(index.row());
    const ListRow& row = m_rows[size_t(i)];
    switch (role) {
    case Qt::DisplayRole:
        // A name that is not UTF-8 keeps its bytes in the text; the user reads U+FFFD there.
        return DisplayFileName(columnText(row, index.column()));
    case Qt::ForegroundRole: {
        const QColor color = rowColor(index.row());
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::FontRole:
        return rowBold(index.row()) ? QVariant(m_boldFont) : QVariant();
    case Qt::DecorationRole:
        if (index.column() == NameColumn && m_icons && !row.iconKey.isEmpty()) {
            const QIcon icon = m_icons->icon(row.iconKey);
            if (!icon.isNull())
                return icon;
        }
        return {};
    case Qt::ToolTipRole: {
        const QString tip = rowToolTip(index.row());
        return tip.isEmpty() ? QVariant() : QVariant(DisplayFileName(tip));
    }
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
    m_rows = std::move(rows);
    m_decorations.clear();
    m_indexOfKey.clear();
    m_indexOfKeyValid = false;
    sortRows();
    endResetModel();
}

void FileListModel::clear() {
    setRows({});
}

void FileListModel::removeRowsAt(const std::vector<int>& positions) {
    std::vector<char> gone(m_rows.size(), 0);
    bool any = false;
    for (const int position : positions) {
        if (valid(position)) {
            gone[size_t(indexAt(position))] = 1;
            any = true;
        }
    }
    if (!any)
        return;
    // A reset, not one removal per row: each removal signal makes the view and the selection
    // walk their rows again.
    beginResetModel();
    std::vector<int> newIndex(m_rows.size(), -1);
    std::vector<ListRow> kept;
    kept.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (gone[i])
            continue;
        newIndex[i] = int(kept.size());
        kept.push_back(std::move(m_rows[i]));
    }
    QHash<int, Decoration> decorations;
    for (auto it = m_decorations.cbegin(); it != m_decorations.cend(); ++it) {
        if (newIndex[size_t(it.key())] >= 0)
            decorations.insert(newIndex[size_t(it.key())], it.value());
    }
    std::vector<int> order;
    order.reserve(kept.size());
    for (const int i : m_order) {
        if (newIndex[size_t(i)] >= 0)
            order.push_back(newIndex[size_t(i)]);
    }
    m_rows = std::move(kept);
    m_decorations = std::move(decorations);
    m_order = std::move(order);
    m_positionOf.assign(m_rows.size(), 0);
    for (size_t p = 0; p < m_order.size(); ++p)
        m_positionOf[size_t(m_order[p])] = int(p);
    m_indexOfKey.clear();
    m_indexOfKeyValid = false;
    endResetModel();
}

void FileListModel::addRow(ListRow row) {
    const int position = int(m_rows.size());
    beginInsertRows({}, position, position);
    m_rows.push_back(std::move(row));
    m_order.push_back(position);
    m_positionOf.push_back(position);
    m_indexOfKey.clear();
    m_indexOfKeyValid = false;
    endInsertRows();
    sortWithLayoutChange();
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

QStringList FileListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list"), RowsMimeType()};
}

QString FileListModel::RowsMimeType() {
    return QStringLiteral("application/x-tobimaru-list-rows");
}

QMimeData* FileListModel::mimeData(const QModelIndexList& indexes) const {
    // One url per row, in displayed order, whatever the columns of the indexes.
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && valid(index.row()))
            rows.insert(index.row());
    }
    if (rows.empty())
        return nullptr;
    QList<QUrl> urls;
    for (const int position : rows)
        urls.append(QUrl::fromLocalFile(key(position)));
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setData(RowsMimeType(), QByteArray::number(QCoreApplication::applicationPid()));
    return data;
}

Qt::DropActions FileListModel::supportedDragActions() const {
    // Another program may copy or move the files; this list never removes rows for a drag.
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

const ListRow& FileListModel::row(int position) const {
    return m_rows.at(size_t(m_order.at(size_t(position))));
}

int FileListModel::rowOfKey(const QString& key) const {
    if (!m_indexOfKeyValid) {
        // Built on the first lookup after a fill, not on every fill: a listing nobody plays
        // from never pays for it. Sorting does not change it.
        m_indexOfKey.reserve(qsizetype(m_rows.size()));
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_indexOfKey.insert(m_rows[i].key, int(i));
        m_indexOfKeyValid = true;
    }
    const auto it = m_indexOfKey.constFind(key);
    return it == m_indexOfKey.cend() ? -1 : m_positionOf[size_t(*it)];
}

void FileListModel::rowChanged(int position, int role) {
    Q_EMIT dataChanged(index(position, 0), index(position, ColumnCount - 1), {role});
}

void FileListModel::setRowColor(int position, const QColor& color) {
    if (!valid(position))
        return;
    Decoration& d = m_decorations[indexAt(position)];
    d.color = color;
    d.colorSet = true;
    rowChanged(position, Qt::ForegroundRole);
}

void FileListModel::setRowBold(int position, bool bold) {
    if (!valid(position))
        return;
    m_decorations[indexAt(position)].bold = bold;
    rowChanged(position, Qt::FontRole);
}

void FileListModel::setRowIconKey(int position, const QString& iconKey) {
    if (!valid(position))
        return;
    m_rows[size_t(indexAt(position))].iconKey = iconKey;
    rowChanged(position, Qt::DecorationRole);
}

void FileListModel::setRowToolTip(int position, const QString& toolTip) {
    if (!valid(position))
        return;
    m_decorations[indexAt(position)].toolTip = toolTip;
    rowChanged(position, Qt::ToolTipRole);
}

QColor FileListModel::rowColor(int position) const {
    if (!valid(position))
        return {};
    const int i = indexAt(position);
    const auto it = m_decorations.constFind(i);
    if (it != m_decorations.cend() && it->colorSet)
        return it->color;
    return AttrColor(m_rows[size_t(i)].attr);
}

bool FileListModel::rowBold(int position) const {
    if (!valid(position) || m_decorations.isEmpty())
        return false;
    const auto it = m_decorations.constFind(indexAt(position));
    return it != m_decorations.cend() && it->bold;
}

QString FileListModel::rowIconKey(int position) const {
    return valid(position) ? m_rows[size_t(indexAt(position))].iconKey : QString();
}

QString FileListModel::rowToolTip(int position) const {
    if (!valid(position) || m_decorations.isEmpty())
        return {};
    const auto it = m_decorations.constFind(indexAt(position));
    return it == m_decorations.cend() ? QString() : it->toolTip;
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
    const std::vector<int> oldPositionOf = m_positionOf;
    sortRows();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    // A persistent index names a displayed position; find the row that was there and follow it.
    std::vector<int> indexAtOldPosition(oldPositionOf.size());
    for (size_t i = 0; i < oldPositionOf.size(); ++i)
        indexAtOldPosition[size_t(oldPositionOf[i])] = int(i);
    for (const QModelIndex& idx : before)
        after.append(index(m_positionOf[size_t(indexAtOldPosition[size_t(idx.row())])], idx.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int FileListModel::compareForSort(const SortKey& a, const SortKey& b) const {
    if (a.high != b.high)
        return a.high < b.high ? -1 : 1;
    if (a.low != b.low)
        return a.low < b.low ? -1 : 1;
    // The same eight units after the common prefix: compare the rest of the folded texts.
    constexpr qsizetype kKeyUnits = 8;
    const char16_t* pa = m_folded.data() + m_foldedStart[a.index] + m_commonPrefix + kKeyUnits;
    const char16_t* pb = m_folded.data() + m_foldedStart[b.index] + m_commonPrefix + kKeyUnits;
    const char16_t* const ea = m_folded.data() + m_foldedStart[a.index + 1];
    const char16_t* const eb = m_folded.data() + m_foldedStart[b.index + 1];
    for (; pa < ea && pb < eb; ++pa, ++pb)
        if (*pa != *pb)
            return *pa < *pb ? -1 : 1;
    if ((pa < ea) != (pb < eb))
        return pa < ea ? 1 : -1;
    // Equal but for case: the texts themselves decide, so "A" and "a" always come in one order.
    if (!m_foldChanged[a.index] && !m_foldChanged[b.index])
        return 0;
    return QStringView(columnText(m_rows[a.index], m_sortColumn))
        .compare(QStringView(columnText(m_rows[b.index], m_sortColumn)));
}

void FileListModel::sortRows() {
    const size_t n = m_rows.size();
    m_order.resize(n);
    std::iota(m_order.begin(), m_order.end(), 0);
    m_positionOf = m_order;
    if (n < 2)
        return;

    // Every text folded once into one buffer; comparisons are then plain code-unit compares.
    m_folded.clear();
    m_foldedStart.resize(n + 1);
    m_foldChanged.assign(n, false);
    for (size_t i = 0; i < n; ++i) {
        m_foldedStart[i] = quint32(m_folded.size());
        bool changed = false;
        for (const QChar c : columnText(m_rows[i], m_sortColumn)) {
            const char16_t f = Fold(c.unicode());
            changed |= f != c.unicode();
            m_folded.push_back(f);
        }
        m_foldChanged[i] = changed;
    }
    m_foldedStart[n] = quint32(m_folded.size());

    // Texts of a folder share their beginning ("clip ", "    ", "2023/"); the integer keys start
    // after it, so that most comparisons are decided by them alone.
    qsizetype common = qsizetype(m_foldedStart[1]);
    for (size_t i = 1; i < n && common > 0; ++i) {
        const char16_t* a = m_folded.data();
        const char16_t* b = m_folded.data() + m_foldedStart[i];
        const qsizetype len = std::min(common, qsizetype(m_foldedStart[i + 1] - m_foldedStart[i]));
        qsizetype k = 0;
        while (k < len && a[k] == b[k])
            ++k;
        common = k;
    }
    m_commonPrefix = common;

    m_sortKeys.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const qsizetype start = qsizetype(m_foldedStart[i]) + common;
        const qsizetype end = qsizetype(m_foldedStart[i + 1]);
        // A text that ends early pads with 0, below every real unit, so shorter sorts first.
        const auto unit = [&](qsizetype k) -> quint64 {
            return start + k < end ? m_folded[size_t(start + k)] : 0u;
        };
        SortKey& key = m_sortKeys[i];
        key.high = (unit(0) << 48) | (unit(1) << 32) | (unit(2) << 16) | unit(3);
        key.low = (unit(4) << 48) | (unit(5) << 32) | (unit(6) << 16) | unit(7);
        key.index = quint32(i);
    }
    // Ties keep listing order in both directions.
    if (m_descending) {
        std::sort(m_sortKeys.begin(), m_sortKeys.end(), [&](const SortKey& a, const SortKey& b) {
            const int c = compareForSort(a, b);
            return c != 0 ? c > 0 : a.index < b.index;
        });
    } else {
        std::sort(m_sortKeys.begin(), m_sortKeys.end(), [&](const SortKey& a, const SortKey& b) {
            const int c = compareForSort(a, b);
            return c != 0 ? c < 0 : a.index < b.index;
        });
    }
    for (size_t p = 0; p < n; ++p) {
        m_order[p] = int(m_sortKeys[p].index);
        m_positionOf[m_sortKeys[p].index] = int(p);
    }
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
