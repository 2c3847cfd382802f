#include "browse/FileListModel.h"
#include "browse/FileIcons.h"
#include "browse/FileListView.h"
#include "browse/ListGrid.h"
#include "platform/IconTheme.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <sys/stat.h>
#include <thread>

using namespace tobimaru;
using test::FakePrompts;
using test::TempDir;

namespace {

ListRow Row(const char* name, const char* size, const char* time = "2023/01/01 00:00:00",
            EntryAttr attr = EntryAttr::Plain) {
    ListRow r;
    r.name = QString::fromUtf8(name);
    r.key = QStringLiteral("/f/") + r.name;
    r.extension = QStringLiteral("avi");
    r.sizeText = QString::fromUtf8(size);
    r.timeText = QString::fromUtf8(time);
    r.attr = attr;
    return r;
}

QStringList Column(const FileListModel& m, int column) {
    QStringList texts;
    for (int i = 0; i < m.rowCount(); ++i)
        texts << m.data(m.index(i, column)).toString();
    return texts;
}

QStringList Captions(const FileListModel& m) {
    QStringList captions;
    for (int c = 0; c < m.columnCount(); ++c)
        captions << m.headerData(c, Qt::Horizontal).toString();
    return captions;
}

std::vector<ListRow> SampleRows() {
    return {Row("b.avi", "    12,000", "2023/05/01 10:00:00"),
            Row("A.avi", "     4,883", "2021/01/01 00:00:00"), Row("a.avi", "0", "2024/12/31 23:59:59"),
            Row("C.avi", "         1", "2022/06/15 12:00:00")};
}

} // namespace

TEST(FileListModel, SortsByNameAscendingWithoutMarkerAtFirst) {
    FileListModel m(nullptr);
    m.setRows(SampleRows());
    EXPECT_EQ(Column(m, 0), QStringList({"A.avi", "a.avi", "b.avi", "C.avi"}));
    EXPECT_EQ(Captions(m), QStringList({"名前", "拡張子", "サイズ(KB)", "更新日付"}));
    EXPECT_EQ(m.sortColumn(), 0);
    EXPECT_EQ(m.sortOrder(), Qt::AscendingOrder);
}

TEST(FileListModel, HeaderClicksFlipOneDirectionAndMoveTheMarker) {
    FileListModel m(nullptr);
    m.setRows(SampleRows());
    struct Step {
        int click;
        QStringList captions;
        int column;
        QStringList texts; // of the clicked column, top to bottom
    };
    const Step steps[] = {
        {0, {"▼ 名前", "拡張子", "サイズ(KB)", "更新日付"}, 0, {"C.avi", "b.avi", "a.avi", "A.avi"}},
        {0, {"▲ 名前", "拡張子", "サイズ(KB)", "更新日付"}, 0, {"A.avi", "a.avi", "b.avi", "C.avi"}},
        // Another column also flips the direction: the size column comes descending.
        {2,
         {"名前", "拡張子", "▼ サイズ(KB)", "更新日付"},
         2,
         {"0", "    12,000", "     4,883", "         1"}},
        {2,
         {"名前", "拡張子", "▲ サイズ(KB)", "更新日付"},
         2,
         {"         1", "     4,883", "    12,000", "0"}},
        {3,
         {"名前", "拡張子", "サイズ(KB)", "▼ 更新日付"},
         3,
         {"2024/12/31 23:59:59", "2023/05/01 10:00:00", "2022/06/15 12:00:00", "2021/01/01 00:00:00"}},
    };
    QSignalSpy headers(&m, &QAbstractItemModel::headerDataChanged);
    for (const Step& s : steps) {
        m.ColumnClick(s.click);
        EXPECT_EQ(Captions(m), s.captions) << "click " << s.click;
        EXPECT_EQ(Column(m, s.column), s.texts) << "click " << s.click;
    }
    EXPECT_EQ(headers.count(), 5);
    // A new listing keeps the sort state.
    m.setRows(SampleRows());
    EXPECT_EQ(Column(m, 3).first(), "2024/12/31 23:59:59");
}

TEST(FileListModel, TextSortMatchesCaseInsensitiveCompareOnAnyData) {
    // Shared beginnings, texts shorter than the integer keys, case pairs and letters beyond ASCII.
    const QStringList units = {"a", "A", "b", "B", " ", "1", "9", ",", "é", "É", "ß", "ｱ", "_", "z"};
    std::mt19937 rng(3);
    for (const char* lead : {"", "    ", "Clip 2023/"}) {
        std::vector<ListRow> rows;
        QStringList names;
        for (int i = 0; i < 400; ++i) {
            QString name = QString::fromUtf8(lead);
            for (int k = int(rng() % 13); k > 0; --k)
                name += units[int(rng() % units.size())];
            names << name;
            rows.push_back(Row("", ""));
            rows.back().name = name;
        }
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            std::vector<int> ref(names.size());
            std::iota(ref.begin(), ref.end(), 0);
            std::stable_sort(ref.begin(), ref.end(), [&](int a, int b) {
                int c = names[a].compare(names[b], Qt::CaseInsensitive);
                if (c == 0)
                    c = names[a].compare(names[b], Qt::CaseSensitive);
                return order == Qt::AscendingOrder ? c < 0 : c > 0;
            });
            QStringList expected;
            for (const int i : ref)
                expected << names[i];
            FileListModel m(nullptr);
            m.sort(FileListModel::NameColumn, order);
            m.setRows(rows);
            ASSERT_EQ(Column(m, 0), expected) << "lead '" << lead << "' order " << order;
        }
    }
}

TEST(FileListModel, KeysDecorationsAndSelectionFollowTheRows) {
    FileIcons icons;
    icons.add(QStringLiteral("PlayDwn"), QIcon(QPixmap(16, 16)));
    FileListModel m(&icons);
    std::vector<ListRow> rows = SampleRows();
    rows.push_back(Row("ro.avi", "         1", "2020/01/01 00:00:00", EntryAttr::ReadOnly));
    rows.push_back(Row("sys", "         1", "2020/01/01 00:00:00", EntryAttr::System));
    rows.push_back(Row(".h", "         1", "2020/01/01 00:00:00", EntryAttr::Hidden));
    m.setRows(rows);

    const int ro = m.rowOfKey("/f/ro.avi");
    ASSERT_GE(ro, 0);
    EXPECT_EQ(m.key(ro), "/f/ro.avi");
    EXPECT_EQ(m.data(m.index(ro, 1), Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
    EXPECT_EQ(m.rowColor(m.rowOfKey("/f/sys")), QColor(0, 0, 192));
    EXPECT_EQ(m.rowColor(m.rowOfKey("/f/.h")), QColor(128, 0, 128));
    EXPECT_FALSE(m.data(m.index(m.rowOfKey("/f/b.avi"), 0), Qt::ForegroundRole).isValid());
    EXPECT_EQ(m.rowOfKey("/f/none"), -1);

    const int row = m.rowOfKey("/f/a.avi");
    m.setRowColor(row, QColor(255, 0, 0));
    m.setRowBold(row, true);
    m.setRowIconKey(row, "PlayDwn");
    m.setRowToolTip(row, "a.aviは、最後まで見ました。");

    QItemSelectionModel selection(&m);
    selection.select(m.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m.ColumnClick(0); // descending: the rows move
    const int moved = m.rowOfKey("/f/a.avi");
    EXPECT_NE(moved, row);
    EXPECT_TRUE(selection.isRowSelected(moved, {}));
    EXPECT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(m.data(m.index(moved, 2), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_TRUE(m.data(m.index(moved, 0), Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(m.data(m.index(moved, 0), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(m.data(m.index(m.rowOfKey("/f/C.avi"), 0), Qt::DecorationRole).isNull());
    EXPECT_EQ(m.data(m.index(moved, 3), Qt::ToolTipRole).toString(), "a.aviは、最後まで見ました。");
    m.setRowBold(99, true); // out of range: ignored
}

TEST(FileListView, ListsAFolderSelectsTheFirstRowAndReportsCounts) {
    TempDir dir;
    for (const char* name : {"b.avi", "a.avi", "c.mpg", "one.lnk", "two.lnk", "doc.txt"})
        dir.write(QString::fromUtf8(name), "x");
    dir.mkdir("sub");
    FakePrompts prompts;
    FileIcons icons;
    QTreeView view;
    FileListView list(&view, icons, prompts);
    QSignalSpy status(&list, &FileListView::listStatusChanged);
    EXPECT_FALSE(view.rootIsDecorated());
    EXPECT_TRUE(view.uniformRowHeights());
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);

    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi;*.mpg;*.lnk");
    EXPECT_TRUE(list.ListFolder(dir.path(), true, o));
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.takeFirst().at(0).toString(), QStringLiteral("5個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));
    FileListModel& m = *list.model();
    EXPECT_EQ(Column(m, 0), QStringList({"a.avi", "b.avi", "c.mpg", "one.lnk", "two.lnk"}));
    EXPECT_EQ(view.selectionModel()->selectedRows(), QModelIndexList{m.index(0, 0)});
    // One image per extension, one per shortcut.
    EXPECT_EQ(m.rowIconKey(0), "tavit");
    EXPECT_EQ(m.rowIconKey(1), "tavit");
    EXPECT_EQ(m.rowIconKey(3), "t" + dir.file("one.lnk") + "t");
    EXPECT_EQ(m.rowIconKey(4), "t" + dir.file("two.lnk") + "t");
    EXPECT_TRUE(icons.contains("t" + dir.file("two.lnk") + "t"));
    EXPECT_TRUE(prompts.boxes.isEmpty());

    // A header click on the view sorts through the model.
    view.header()->sectionClicked(0);
    EXPECT_EQ(m.headerCaption(0), "▼ 名前");
    EXPECT_EQ(m.key(0), dir.file("two.lnk"));

    // File view with folders; without icons only folder rows carry an image.
    o.FileViewMode = o.ShowFolders = true;
    EXPECT_TRUE(list.ListFolder(dir.path(), false, o));
    EXPECT_EQ(status.takeFirst().at(0).toString(), QStringLiteral("6個のﾌｧｲﾙ(1個のﾌｫﾙﾀﾞ)"));
    const int sub = m.rowOfKey(dir.file("sub"));
    EXPECT_EQ(m.data(m.index(sub, 1)).toString(), "フォルダ");
    EXPECT_FALSE(m.rowIconKey(sub).isEmpty());
    EXPECT_TRUE(m.rowIconKey(m.rowOfKey(dir.file("a.avi"))).isEmpty());
}

TEST(FileListView, DuplicateKeepsRowsAndStatusEmptyFolderSelectsNothing) {
    TempDir dir;
    dir.write("a.avi");
    dir.write("b.mpg");
    FakePrompts prompts;
    FileIcons icons;
    QTreeView view;
    FileListView list(&view, icons, prompts);
    QSignalSpy status(&list, &FileListView::listStatusChanged);
    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi;*.avi;*.mpg");
    EXPECT_FALSE(list.ListFolder(dir.path(), false, o));
    EXPECT_EQ(status.count(), 0);
    EXPECT_EQ(Column(*list.model(), 0), QStringList{"a.avi"});
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(prompts.boxes.isEmpty());

    TempDir empty;
    EXPECT_TRUE(list.ListFolder(empty.path(), false, o));
    EXPECT_EQ(status.takeFirst().at(0).toString(), QStringLiteral("0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"));
    EXPECT_EQ(list.model()->rowCount(), 0);
    EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());
}

TEST(FileIcons, IconFilesAndLaunchersShowTheirOwnPicture) {
    TempDir dir;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const QString png = dir.file("red.png");
    ASSERT_TRUE(red.save(png));
    const QString ico = dir.file("own.ico");
    ASSERT_TRUE(red.save(ico));
    const QString launcher = dir.write("app.desktop", "[Desktop Entry]\nName=x\nIcon=" + png.toUtf8() + "\n");

    FileIcons icons;
    for (const QString& path : {ico, launcher}) {
        ASSERT_TRUE(icons.fetchFileIcon(path, path)) << path.toStdString();
        const QImage shown = icons.pixmap(FileIcons::FileIconKey(path)).toImage();
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(QColor(shown.pixel(8, 8)), QColor(Qt::red)) << path.toStdString();
    }
    EXPECT_FALSE(icons.fetchFileIcon(QString(), dir.file("noext")));
    // A pipe under such a name has no picture of its own; opening it would wait for a writer.
    for (const char* name : {"pipe.ico", "pipe.desktop"}) {
        const QString pipe = dir.file(QString::fromUtf8(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
        icons.fetchFileIcon(pipe, pipe);
        EXPECT_FALSE(icons.icon(FileIcons::FileIconKey(pipe)).isNull()) << name;
    }
    // Added images are kept; a second add under the key changes nothing.
    EXPECT_FALSE(icons.add(FileIcons::FileIconKey(ico), QIcon(QPixmap(16, 16))));
    icons.setKeySource(
        [](const QString& key) { return key == "PlayDwn" ? QIcon(QPixmap(16, 16)) : QIcon(); });
    EXPECT_FALSE(icons.icon("PlayDwn").isNull());
    EXPECT_TRUE(icons.icon("Unknown").isNull());
}

TEST(FileIcons, VideoPictureSoundAndArchiveRowsGetPicturesOfTheirOwnWithoutASessionTheme) {
    QIcon::setThemeName(QString());
    if (ThemeIcons().fallbackTheme().isEmpty())
        GTEST_SKIP() << "no icon theme installed (adwaita-icon-theme brings one)";
    TempDir dir;
    FileIcons icons;
    QList<QImage> pictures;
    for (const char* name : {"clip.avi", "photo.jpg", "song.mp3", "pack.zip", "notes.xyz"}) {
        const QString path = dir.write(QString::fromUtf8(name), "x");
        const QString extension = QFileInfo(path).suffix();
        ASSERT_TRUE(icons.fetchFileIcon(extension, path)) << name;
        pictures << icons.pixmap(FileIcons::FileIconKey(extension)).toImage();
    }
    for (int i = 0; i < pictures.size(); ++i) {
        for (int j = i + 1; j < pictures.size(); ++j)
            EXPECT_NE(pictures[i], pictures[j]) << i << " and " << j << " look the same";
    }
}

TEST(FileListView, TheNameColumnKeepsRoomForTheMarkARowGetsLater) {
    TempDir dir;
    const QString longName = QStringLiteral("とても長い日本語の名前の動画ファイル_第十二話_最終回.avi");
    for (const QString& name : {longName, QStringLiteral("a.avi")})
        dir.write(name, "x");
    FakePrompts prompts;
    FileIcons icons;
    icons.add("PlayDwn", QIcon(QPixmap(16, 16)));
    QTreeView view;
    view.setItemDelegate(new ListGridDelegate(&view));
    FileListView list(&view, icons, prompts);
    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi");
    // Without icons, as the list starts by default: the mark brings the first icon and bold type.
    ASSERT_TRUE(list.ListFolder(dir.path(), false, o));
    const int fitted = view.columnWidth(0);
    QFont bold = view.font();
    bold.setBold(true);
    const int marked = QFontMetrics(bold).horizontalAdvance(longName) + view.iconSize().width();
    EXPECT_GE(fitted, marked) << "the marked name would be cut short";
}

TEST(FileListView, AListingOvertakenByALaterOneIsDroppedAndTheWindowGoesOnMeanwhile) {
    TempDir dir;
    dir.write("slow/old.avi", "x");
    dir.write("fast/new.avi", "x");
    FakePrompts prompts;
    FileIcons icons;
    QTreeView view;
    FileListView list(&view, icons, prompts);
    std::atomic<bool> release{false};
    list.setReader([&](const QString& folder, const ListOptions& o) {
        // The slow folder is a disk that takes its time.
        while (folder.endsWith(QLatin1String("slow")) && !release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ListFolderRows(folder, o);
    });
    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi");
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 3) // a later listing while the slow one is read
            EXPECT_TRUE(list.ListFolder(dir.file("fast"), false, o));
        if (ticks == 5)
            release = true;
    });
    tick.start(20);
    EXPECT_FALSE(list.ListFolder(dir.file("slow"), false, o)) << "the overtaken listing shows nothing";
    EXPECT_GE(ticks, 5) << "timers ran while the folder was read";
    EXPECT_EQ(Column(*list.model(), 0), QStringList{"new.avi"});
}
