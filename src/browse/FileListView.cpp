#include "browse/FileListView.h"

#include "base/ErrorBox.h"
#include "base/Prompts.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/ListFormat.h"
#include "platform/WaitCursor.h"
#include "platform/Worker.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopeGuard>
#include <QTreeView>
#include <algorithm>
#include <memory>
#include <optional>

namespace tobimaru {

namespace {

// No painting while the rows change; one repaint when it ends.
class FrozenView final {
public:
    explicit FrozenView(QTreeView* view)
        : m_view(view)
        , m_wasEnabled(view->updatesEnabled()) {
        m_view->setUpdatesEnabled(false);
    }
    ~FrozenView() { m_view->setUpdatesEnabled(m_wasEnabled); }
    Q_DISABLE_COPY(FrozenView)

private:
    QTreeView* m_view = nullptr;
    bool m_wasEnabled = true;
};

} // namespace

void SetupListView(QTreeView* view) {
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setIconSize(QSize(16, 16));
    view->header()->setSectionsClickable(true);
    view->header()->setSortIndicatorShown(false);
    view->header()->setStretchLastSection(false);
    // The selection keeps its colours when the list loses focus, so the playing row stays marked
    // while the user works in the tree.
    QPalette palette = view->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view->setPalette(palette);
}

FileListView::FileListView(QTreeView* view, FileIcons& icons, Prompts& prompts, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_icons(icons)
    , m_prompts(prompts)
    , m_model(new FileListModel(&icons, this)) {
    SetupListView(m_view);
    m_view->setModel(m_model);
    connect(m_view->header(), &QHeaderView::sectionClicked, m_model, &FileListModel::ColumnClick);
    // "▲ " before a caption must not push its end out of sight.
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, [this] {
        QHeaderView* header = m_view->header();
        for (int c = 0; c < m_model->columnCount(); ++c)
            header->resizeSection(c, std::max(header->sectionSize(c), header->sectionSizeHint(c)));
    });
    // Deletes, moves and drops take rows out or put them in without a new listing.
    connect(m_model, &FileListModel::countsChanged, this, [this](qint64 files, qint64 folders) {
        Q_EMIT listStatusChanged(FormatListStatus(files, folders));
    });
}

void FileListView::setReader(Reader reader) {
    m_reader = std::move(reader);
}

void FileListView::setAbandonOn(InputGate::Breaker abandons) {
    m_abandons = std::move(abandons);
}

std::optional<ListResult> FileListView::readOffThread(const QString& folder, const ListOptions& options) {
    // The rows come sorted for the sort state of now; should it change meanwhile, the model
    // sorts them again.
    const int sortColumn = m_model->sortColumn();
    const bool descending = m_model->sortOrder() == Qt::DescendingOrder;
    const Reader reader = m_reader;
    const bool ownReader = !m_reader;
    Worker<ListResult> work(
        [reader, ownReader, folder, options, sortColumn, descending](std::stop_token stop) {
            ListResult result = ownReader ? ListFolderRows(folder, options, stop) : reader(folder, options);
            if (!stop.stop_requested())
                PrepareListing(result, sortColumn, descending);
            return result;
        });
    // A listing asked while another waits (a timer's or a queued command's, inside that wait)
    // abandons the older one at once: its worker stops asking the share, and what it has still
    // in flight is dropped when it returns.
    if (m_reading)
        m_reading->cancel();
    m_reading = &work;
    const auto clear = qScopeGuard([this, &work] {
        if (m_reading == &work)
            m_reading = nullptr;
    });
    // The user's input is held here rather than left with the window system, where nothing
    // could tell a click on another folder: that click abandons this listing at once.
    const InputGate::Hold held = m_gate.hold(m_abandons, [&work] { work.cancel(); });
    // Long listings say so; short ones do not flicker the pointer.
    std::optional<WaitCursor> busy;
    std::optional<ListResult> result = work.wait(
        [&] {
            busy.emplace();
            Q_EMIT listStatusChanged(QStringLiteral("読み込み中…"));
        },
        std::chrono::milliseconds(500),
        held.live() ? WaitRoom::UserInput::Taken : WaitRoom::UserInput::Queued);
    // An incomplete listing leaves panel 1 alone: it must not go on saying "reading".
    if (busy && result && !result->complete)
        Q_EMIT listStatusChanged(QString());
    return result;
}

bool FileListView::ListFolder(const QString& folder, bool iconFlag, const ListOptions& options) {
    bool complete = false;
    RunCommand(m_prompts, [&] {
        const Generation::Ticket ticket = m_listings.next();
        std::optional<ListResult> result = readOffThread(folder, options);
        if (!m_listings.isCurrent(ticket) || !result)
            return; // a later listing came meanwhile: its rows are the ones to show
        complete = result->complete;
        ShowListing(std::move(*result), iconFlag);
    });
    return complete;
}

void FileListView::setFolderImageKeys(std::function<QString(FolderImage)> keys) {
    m_folderImageKeys = std::move(keys);
}

std::vector<QString> FileListView::iconKeys(ListResult& result, bool iconFlag) {
    std::vector<QString> keys(result.icons.size());
    for (size_t i = 1; i < result.icons.size(); ++i) {
        const FolderImage image = result.icons[i].folderImage;
        if (image != FolderImage::None)
            keys[i] = m_folderImageKeys ? m_folderImageKeys(image) : m_icons.folderIconKey(image);
    }
    if (!iconFlag)
        return keys;
    // The icon of a file is asked for only when it differs from the previous file's and is not
    // held yet, so a folder of one type costs one request: once a run of files of one base.
    const auto& runs = result.iconRuns;
    for (size_t r = 0; r < runs.size(); ++r) {
        const std::uint32_t icon = runs[r].icon;
        if (icon == 0 || icon >= result.icons.size())
            continue;
        const QString& base = result.icons[icon].base;
        const QString key = FileIcons::FileIconKey(base);
        const QString path = JoinListKey(result.folder, result.rows[runs[r].firstRow].name);
        if (!m_icons.contains(key) && !m_icons.fetchFileIcon(base, path)) {
            m_prompts.message(path + QStringLiteral("のアイコンファイルの取得に失敗しました。"), AppTitle(),
                              PromptIcon::Information, PromptButtons::Ok);
        }
        if (m_icons.contains(key)) {
            keys[icon] = key;
            continue;
        }
        // No image: the files of this run go without one, whatever a later run of the same type
        // gets.
        const size_t end = r + 1 < runs.size() ? runs[r + 1].firstRow : result.rows.size();
        for (size_t i = runs[r].firstRow; i < end; ++i)
            if (!result.rows[i].isFolder())
                result.rows[i].icon = 0;
    }
    return keys;
}

void FileListView::ShowListing(ListResult result, bool iconFlag) {
    const WaitCursor wait;
    {
        const FrozenView frozen(m_view);
        std::vector<QString> keys = iconKeys(result, iconFlag);
        const bool complete = result.complete;
        const qint64 files = result.files;
        const qint64 folders = result.folders;
        m_model->setListing(std::move(result), std::move(keys));
        m_view->scrollToTop();
        if (complete)
            Q_EMIT listStatusChanged(FormatListStatus(files, folders));
        if (m_model->rowCount() > 0) {
            m_view->selectionModel()->setCurrentIndex(
                m_model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    if (m_model->rowCount() > 0)
        FitListColumns();
}

void FileListView::FitListColumns() {
    // Up to this many rows every row is measured (Qt's own fitting looks at a thousand).
    constexpr int kRowsMeasuredAll = 1000;
    const int rows = m_model->rowCount();
    if (rows <= kRowsMeasuredAll) {
        for (int column = 0; column < m_model->columnCount(); ++column)
            m_view->resizeColumnToContents(column);
        m_view->viewport()->update();
        return;
    }
    // A big list: the rows in view and those likely widest, which the worker found; measuring a
    // thousand rows a column as Qt does would hold the window up and still miss the longest name.
    const QModelIndex top = m_view->indexAt(QPoint(0, 0));
    const QModelIndex bottom = m_view->indexAt(QPoint(0, m_view->viewport()->height() - 1));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : std::min(rows - 1, first + 100);
    QHeaderView* header = m_view->header();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        int width = header->isHidden() ? 0 : header->sectionSizeHint(column);
        const auto measure = [&](int row) {
            width = std::max(width, m_view->sizeHintForIndex(m_model->index(row, column)).width());
        };
        for (int row = first; row <= last; ++row)
            measure(row);
        for (const int row : m_model->widestRows(column))
            measure(row);
        header->resizeSection(column, width);
    }
    m_view->viewport()->update();
}

} // namespace tobimaru
