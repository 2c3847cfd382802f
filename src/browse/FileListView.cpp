#include "browse/FileListView.h"

#include "base/ErrorBox.h"
#include "base/Prompts.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/ListFormat.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <memory>
#include <mutex>
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
    FrozenView(const FrozenView&) = delete;
    FrozenView& operator=(const FrozenView&) = delete;

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
}

void FileListView::setReader(Reader reader) {
    m_reader = std::move(reader);
}

std::optional<ListResult> FileListView::readOffThread(const QString& folder, const ListOptions& options) {
    struct Handoff {
        std::mutex mutex;
        std::optional<ListResult> result;
    };
    auto handoff = std::make_shared<Handoff>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    const Reader reader = m_reader ? m_reader : Reader(&ListFolderRows);
    QThreadPool::globalInstance()->start([handoff, reader, folder, options, waiting] {
        ListResult result = reader(folder, options);
        {
            const std::lock_guard<std::mutex> lock(handoff->mutex);
            handoff->result = std::move(result);
        }
        QMetaObject::invokeMethod(
            qApp,
            [waiting] {
                if (waiting)
                    waiting->quit();
            },
            Qt::QueuedConnection);
    });
    // Long listings say so; short ones do not flicker the pointer.
    std::optional<WaitCursor> busy;
    QTimer slow;
    slow.setSingleShot(true);
    connect(&slow, &QTimer::timeout, &loop, [&] {
        busy.emplace();
        Q_EMIT listStatusChanged(QStringLiteral("読み込み中…"));
    });
    slow.start(500);
    for (;;) {
        {
            const std::lock_guard<std::mutex> lock(handoff->mutex);
            if (handoff->result) {
                // An incomplete listing leaves panel 1 alone: it must not go on saying "reading".
                if (busy && !handoff->result->complete)
                    Q_EMIT listStatusChanged(QString());
                return std::move(handoff->result);
            }
        }
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

bool FileListView::ListFolder(const QString& folder, bool iconFlag, const ListOptions& options) {
    bool complete = false;
    RunCommand(m_prompts, [&] {
        const quint64 generation = ++m_generation;
        std::optional<ListResult> result = readOffThread(folder, options);
        if (generation != m_generation || !result)
            return; // a later listing came meanwhile: its rows are the ones to show
        complete = result->complete;
        ShowListing(std::move(*result), iconFlag);
    });
    return complete;
}

void FileListView::setFolderImageKeys(std::function<QString(FolderImage)> keys) {
    m_folderImageKeys = std::move(keys);
}

void FileListView::assignIcons(ListResult& result, bool iconFlag) {
    // The icon of a file is asked for only when it differs from the previous file's and is not
    // held yet, so a folder of one type costs one request.
    QString previousBase;
    for (ListRow& row : result.rows) {
        if (row.isFolder()) {
            row.iconKey = m_folderImageKeys ? m_folderImageKeys(row.folderImage)
                                            : m_icons.folderIconKey(row.folderImage);
            continue;
        }
        row.iconKey.clear();
        if (!iconFlag)
            continue;
        const QString& base = row.iconBase;
        const QString key = FileIcons::FileIconKey(base);
        if (!base.isEmpty() && base != previousBase && !m_icons.contains(key) &&
            !m_icons.fetchFileIcon(base, row.key)) {
            m_prompts.message(row.key + QStringLiteral("のアイコンファイルの取得に失敗しました。"),
                              AppTitle(), PromptIcon::Information, PromptButtons::Ok);
        }
        if (!base.isEmpty() && m_icons.contains(key))
            row.iconKey = key;
        previousBase = base;
    }
}

void FileListView::ShowListing(ListResult result, bool iconFlag) {
    const WaitCursor wait;
    {
        const FrozenView frozen(m_view);
        assignIcons(result, iconFlag);
        m_model->setRows(std::move(result.rows));
        m_view->scrollToTop();
        if (result.complete)
            Q_EMIT listStatusChanged(FormatListStatus(result.files, result.folders));
        if (m_model->rowCount() > 0) {
            m_view->selectionModel()->setCurrentIndex(
                m_model->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    if (m_model->rowCount() > 0)
        FitListColumns();
}

void FileListView::FitListColumns() {
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_view->resizeColumnToContents(column);
    m_view->viewport()->update();
}

} // namespace tobimaru
