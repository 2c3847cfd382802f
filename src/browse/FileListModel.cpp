#include "browse/FileListModel.h"

#include "base/FileNames.h"

#include "browse/FileIcons.h"
#include "platform/Worker.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <set>

namespace tobimaru {

namespace {

// Lists this big free their old rows on a worker: a million names take a noticeable while to
// free, and the window waits for nothing then.
constexpr size_t kRowsFreedAside = 20000;

// The rows and tables of a listing that was replaced.
struct Retired {
    std::vector<ListRow> rows;
    std::vector<int> order;
    std::vector<int> positionOf;
    ListNameIndex index;
    std::vector<QString> iconKeys;
    WidestRows widest;
};

} // namespace

FileListModel::FileListModel(const FileIcons* icons, QObject* parent)
    : QAbstractTableModel(parent)
    , m_icons(icons)
    , m_iconKeys{QString()}
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

QModelIndex FileListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= int(m_order.size()) || column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !valid(index.row()))
        return {};
    const int i = indexAt(index.row());
    const ListRow& row = m_rows[size_t(i)];
    switch (role) {
    case Qt::DisplayRole:
        // A name that is not UTF-8 keeps its bytes in the text; the user reads U+FFFD there.
        return DisplayFileName(ListRowText(row, index.column()));
    case Qt::ForegroundRole: {
        const QColor color = rowColor(index.row());
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::FontRole:
        return rowBold(index.row()) ? QVariant(m_boldFont) : QVariant();
    case Qt::DecorationRole:
        if (index.column() == NameColumn && m_icons && row.icon != 0 && row.icon < m_iconKeys.size()) {
            const QIcon icon = m_icons->icon(m_iconKeys[row.icon]);
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

void FileListModel::setRows(const QString& folder, std::vector<ListRow> rows) {
    ListResult listing;
    listing.folder = folder;
    listing.rows = std::move(rows);
    setListing(std::move(listing), {QString()});
}

void FileListModel::setListing(ListResult&& listing, std::vector<QString> iconKeys) {
    beginResetModel();
    auto old = std::make_shared<Retired>();
    old->rows.swap(m_rows);
    old->order.swap(m_order);
    old->positionOf.swap(m_positionOf);
    old->index = std::move(m_index);
    old->iconKeys.swap(m_iconKeys);
    old->widest.swap(m_widest);

    m_folder = listing.folder;
    m_base = ListKeyBase(m_folder);
    m_rows = std::move(listing.rows);
    m_iconKeys = std::move(iconKeys);
    if (m_iconKeys.empty())
        m_iconKeys.emplace_back();
    m_iconIndex.clear();
    m_decorations.clear();
    if (listing.order.sortedFor(m_sortColumn, m_descending, m_rows.size())) {
        m_order = std::move(listing.order.order);
        m_positionOf = std::move(listing.order.positionOf);
    } else {
        sortRows(); // the sort state changed while the folder was read
    }
    m_index = listing.index.covers(m_rows.size()) ? std::move(listing.index) : ListNameIndex();
    if (!m_index.covers(m_rows.size()))
        m_index.build(m_rows);
    m_widest = std::move(listing.widest);
    if (!m_rows.empty() &&
        std::all_of(m_widest.begin(), m_widest.end(), [](const auto& w) { return w.empty(); }))
        m_widest = FindWidestRows(m_rows);
    endResetModel();

    if (old->rows.size() >= kRowsFreedAside)
        RunAside([old = std::move(old)]() mutable { old.reset(); });
}

void FileListModel::clear() {
    setRows(m_folder, {});
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
    m_index.build(m_rows);
    for (auto& widest : m_widest) {
        std::vector<std::uint32_t> stillThere;
        for (const std::uint32_t i : widest)
            if (i < newIndex.size() && newIndex[i] >= 0)
                stillThere.push_back(std::uint32_t(newIndex[i]));
        widest = std::move(stillThere);
    }
    endResetModel();
    announceCounts();
}

void FileListModel::announceCounts() {
    qint64 folders = 0;
    for (const ListRow& row : m_rows)
        folders += row.isFolder() ? 1 : 0;
    Q_EMIT countsChanged(qint64(m_rows.size()) - folders, folders);
}

void FileListModel::addRow(ListRow row, const QString& iconKey) {
    const int position = int(m_rows.size());
    row.icon = iconIndexOf(iconKey);
    beginInsertRows({}, position, position);
    m_rows.push_back(std::move(row));
    m_order.push_back(position);
    m_positionOf.push_back(position);
    m_index.add(m_rows, std::uint32_t(position));
    for (auto& widest : m_widest)
        widest.push_back(std::uint32_t(position));
    endInsertRows();
    sortWithLayoutChange();
    announceCounts();
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    // Asked for every row when the view lays out the list: no detour through the base class.
    if (!index.isValid() || index.model() != this || !valid(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
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

std::vector<int> FileListModel::widestRows(int column) const {
    std::vector<int> positions;
    if (column < 0 || column >= ColumnCount)
        return positions;
    for (const std::uint32_t i : m_widest[size_t(column)])
        if (i < m_positionOf.size())
            positions.push_back(m_positionOf[i]);
    return positions;
}

QString FileListModel::key(int position) const {
    return m_base + row(position).name;
}

int FileListModel::rowOfKey(const QString& key) const {
    if (m_base.isEmpty() || key.size() <= m_base.size() || !key.startsWith(m_base))
        return -1;
    const QStringView name = QStringView(key).mid(m_base.size());
    if (name.contains(u'/'))
        return -1;
    const int i = m_index.find(m_rows, name);
    return i < 0 ? -1 : m_positionOf[size_t(i)];
}

std::uint32_t FileListModel::iconIndexOf(const QString& iconKey) {
    if (iconKey.isEmpty())
        return 0;
    if (m_iconIndex.isEmpty()) {
        for (size_t i = m_iconKeys.size(); i-- > 1;)
            m_iconIndex.insert(m_iconKeys[i], std::uint32_t(i)); // the first of equal keys wins
    }
    const auto it = m_iconIndex.constFind(iconKey);
    if (it != m_iconIndex.cend())
        return *it;
    const std::uint32_t icon = std::uint32_t(m_iconKeys.size());
    m_iconKeys.push_back(iconKey);
    m_iconIndex.insert(iconKey, icon);
    return icon;
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
    m_rows[size_t(indexAt(position))].icon = iconIndexOf(iconKey);
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
    if (!valid(position))
        return {};
    const std::uint32_t icon = m_rows[size_t(indexAt(position))].icon;
    return icon < m_iconKeys.size() ? m_iconKeys[icon] : QString();
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

void FileListModel::sortRows() {
    ListOrder order = SortListRows(m_rows, m_sortColumn, m_descending);
    m_order = std::move(order.order);
    m_positionOf = std::move(order.positionOf);
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
