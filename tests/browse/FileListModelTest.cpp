#include "browse/FileListModel.h"
#include "base/FileNames.h"
#include "browse/FileIcons.h"
#include "browse/FileListView.h"
#include "browse/ListGrid.h"
#include "platform/IconTheme.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QDir>
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
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <sys/stat.h>
#include <thread>

using namespace tobimaru;
using test::FakePrompts;
using test::TempDir;

namespace {

// A row of the folder "/f" of that size and local time.
ListRow Row(const char* name, qint64 bytes, const char* time = "2023/01/01 00:00:00",
            EntryAttr attr = EntryAttr::Plain) {
    ListRow r;
    r.name = QString::fromUtf8(name);
    r.extension = QStringLiteral("avi");
    r.size = bytes;
    r.modified = QDateTime::fromString(QString::fromUtf8(time), QStringLiteral("yyyy/MM/dd hh:mm:ss"))
                     .toSecsSinceEpoch();
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
    // Sizes of 12,000 KB, 4,883 KB, one too big for the column ("0") and one byte.
    return {Row("b.avi", 12000 * 1024, "2023/05/01 10:00:00"),
            Row("A.avi", 4883 * 1024, "2021/01/01 00:00:00"), Row("a.avi", 3LL << 30, "2024/12/31 23:59:59"),
            Row("C.avi", 1, "2022/06/15 12:00:00")};
}

} // namespace

TEST(FileListModel, SortsByNameAscendingWithoutMarkerAtFirst) {
    FileListModel m(nullptr);
    m.setRows("/f", SampleRows());
    EXPECT_EQ(Column(m, 0), QStringList({"A.avi", "a.avi", "b.avi", "C.avi"}));
    EXPECT_EQ(Captions(m), QStringList({"名前", "拡張子", "サイズ(KB)", "更新日付"}));
    EXPECT_EQ(m.sortColumn(), 0);
    EXPECT_EQ(m.sortOrder(), Qt::AscendingOrder);
}

TEST(FileListModel, HeaderClicksFlipOneDirectionAndMoveTheMarker) {
    FileListModel m(nullptr);
    m.setRows("/f", SampleRows());
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
    m.setRows("/f", SampleRows());
    EXPECT_EQ(Column(m, 3).first(), "2024/12/31 23:59:59");
}

TEST(FileListModel, EveryColumnSortsAsItsTextWithoutRegardToCaseOnAnyData) {
    // Shared beginnings, texts shorter than the integer keys, case pairs and letters beyond ASCII;
    // sizes past the column's limit, folders, unknown times; lists small and big enough to be
    // sorted on two threads.
    const QStringList units = {"a", "A", "b", "B", " ", "1", "9", ",", "é", "É", "ß", "ｱ", "_", "z"};
    const QStringList extensions = {"avi", "AVI", "Avi", "mpg", "ｍｐｇ", NoExtensionText()};
    const qint64 sizes[] = {0, 1, 1024, 1025, 5000000, 2147482624, 2147482625, 3LL << 30};
    struct Case {
        const char* lead;
        int rows;
    };
    const Case cases[] = {{"", 400}, {"    ", 400}, {"Clip 2023/", 400}, {"clip ", 20000}};
    std::mt19937 rng(3);
    for (const Case& c : cases) {
        std::vector<ListRow> rows;
        for (int i = 0; i < c.rows; ++i) {
            ListRow r;
            r.name = QString::fromUtf8(c.lead);
            for (int k = int(rng() % 13); k > 0; --k)
                r.name += units[int(rng() % units.size())];
            if (rng() % 10 == 0) {
                r.folderImage = FolderImage::Closed;
                r.extension = FolderRowExtension();
            } else {
                r.extension = extensions[int(rng() % extensions.size())];
                r.size = rng() % 3 ? qint64(rng() % 4000000) : sizes[rng() % std::size(sizes)];
            }
            // Times within a few days, a few minutes apart, some the same, some unknown.
            r.modified = rng() % 50 ? 1683000000 + qint64(rng() % 3000) * 97 : kNoTime;
            rows.push_back(r);
        }
        for (int column = 0; column < FileListModel::ColumnCount; ++column) {
            QStringList texts;
            for (const ListRow& r : rows)
                texts << ListRowText(r, column);
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                std::vector<int> ref(rows.size());
                std::iota(ref.begin(), ref.end(), 0);
                std::stable_sort(ref.begin(), ref.end(), [&](int a, int b) {
                    int d = texts[a].compare(texts[b], Qt::CaseInsensitive);
                    if (d == 0)
                        d = texts[a].compare(texts[b], Qt::CaseSensitive);
                    if (d != 0)
                        return order == Qt::AscendingOrder ? d < 0 : d > 0;
                    if (column == 0)
                        return false;
                    // Ties come in ascending name order whichever way the column goes.
                    const QString& na = rows[size_t(a)].name;
                    const QString& nb = rows[size_t(b)].name;
                    int n = na.compare(nb, Qt::CaseInsensitive);
                    if (n == 0)
                        n = na.compare(nb, Qt::CaseSensitive);
                    return n < 0;
                });
                QStringList expected;
                for (const int i : ref)
                    expected << texts[i];
                FileListModel m(nullptr);
                m.sort(column, order);
                m.setRows("/f", rows);
                ASSERT_EQ(Column(m, column), expected) << "lead '" << c.lead << "' rows " << c.rows
                                                       << " column " << column << " order " << order;
                // Equal texts come in name order (same names: listing order).
                QStringList names;
                for (const int i : ref)
                    names << rows[size_t(i)].name;
                ASSERT_EQ(Column(m, 0), names) << "column " << column << " order " << order;
            }
        }
    }
}

TEST(FileListModel, EveryRowIsFoundByItsKeyThroughFillsSortsRemovalsAndAdditions) {
    // Names that differ only in case, names that are not UTF-8 (bytes kept as U+DC00 + byte),
    // and enough rows that the index grows.
    const QString folder = QStringLiteral("/media/clips");
    std::vector<ListRow> rows;
    for (int i = 0; i < 3000; ++i)
        rows.push_back(Row(QStringLiteral("clip %1.avi").arg(i * 7919 % 3000).toUtf8().constData(), i));
    rows.push_back(Row("Twin.avi", 1));
    rows.push_back(Row("twin.avi", 2));
    rows.push_back(Row("", 3));
    rows.back().name = QStringLiteral("caf") + QChar(0xDC00 + 0xE9) + QStringLiteral(".avi");
    FileListModel m(nullptr);

    const auto checkEveryRow = [&](const char* step) {
        for (int p = 0; p < m.rowCount(); ++p) {
            const QString key = m.key(p);
            ASSERT_EQ(key, folder + QLatin1Char('/') + m.row(p).name) << step;
            ASSERT_EQ(m.rowOfKey(key), p) << step << " " << key.toStdString();
        }
        const QString some = m.key(m.rowCount() / 2);
        const QStringList strangers = {QStringLiteral("/media/other/") +
                                           m.row(m.rowCount() / 2).name,           // another folder
                                       folder + QStringLiteral("/CLIP 1.AVI"),     // only the case differs
                                       folder + QStringLiteral("/sub/clip 1.avi"), // below the folder
                                       folder + QLatin1Char('/'),
                                       folder,
                                       some + QLatin1Char('x'),
                                       QString()};
        for (const QString& key : strangers)
            EXPECT_EQ(m.rowOfKey(key), -1) << step << " " << key.toStdString();
    };

    m.setRows(folder, rows);
    checkEveryRow("fill");
    EXPECT_NE(m.rowOfKey(folder + "/Twin.avi"), m.rowOfKey(folder + "/twin.avi"));
    const int strange = m.rowOfKey(folder + "/caf" + QChar(0xDC00 + 0xE9) + ".avi");
    ASSERT_GE(strange, 0);
    EXPECT_EQ(EncodeFileName(m.key(strange)), QByteArray("/media/clips/caf\xE9.avi"));

    m.ColumnClick(FileListModel::SizeColumn);
    checkEveryRow("sort");
    std::vector<int> gone;
    for (int p = 0; p < m.rowCount(); p += 3)
        gone.push_back(p);
    const QString goneKey = m.key(0);
    m.removeRowsAt(gone);
    checkEveryRow("removal");
    EXPECT_EQ(m.rowOfKey(goneKey), -1);
    for (int i = 0; i < 2000; ++i) { // more than the table had room for
        ListRow added = Row(QStringLiteral("new %1").arg(i).toUtf8().constData(), i);
        added.folderImage = FolderImage::Closed;
        m.addRow(added, QStringLiteral("FolderClose"));
    }
    checkEveryRow("additions");
    EXPECT_EQ(m.rowIconKey(m.rowOfKey(folder + "/new 7")), "FolderClose");
    m.setRows(QStringLiteral("/media/other"), {});
    EXPECT_EQ(m.rowOfKey(folder + "/Twin.avi"), -1) << "a new listing forgets the old rows";
}

TEST(FileListModel, KeysDecorationsAndSelectionFollowTheRows) {
    FileIcons icons;
    icons.add(QStringLiteral("PlayDwn"), QIcon(QPixmap(16, 16)));
    FileListModel m(&icons);
    std::vector<ListRow> rows = SampleRows();
    rows.push_back(Row("ro.avi", 1, "2020/01/01 00:00:00", EntryAttr::ReadOnly));
    rows.push_back(Row("sys", 1, "2020/01/01 00:00:00", EntryAttr::System));
    rows.push_back(Row(".h", 1, "2020/01/01 00:00:00", EntryAttr::Hidden));
    m.setRows("/f", rows);

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

namespace {

// A list view with its model, icons and prompts, as the window makes it.
struct ListRig {
    FakePrompts prompts;
    FileIcons icons;
    QTreeView view;
    FileListView list{&view, icons, prompts};
};

} // namespace

TEST(FileListView, ListsAFolderSelectsTheFirstRowAndReportsCounts) {
    TempDir dir;
    for (const char* name : {"b.avi", "a.avi", "c.mpg", "one.lnk", "two.lnk", "doc.txt"})
        dir.write(QString::fromUtf8(name), "x");
    dir.mkdir("sub");
    ListRig rig;
    auto& [prompts, icons, view, list] = rig;
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
    // The marker never clips the caption it stands before.
    for (int column = 0; column < FileListModel::ColumnCount; ++column) {
        view.header()->resizeSection(column, 10);
        view.header()->sectionClicked(column);
        EXPECT_GE(view.header()->sectionSize(column), view.header()->sectionSizeHint(column)) << column;
    }

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
    ListRig rig;
    auto& [prompts, icons, view, list] = rig;
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

TEST(FileListView, AListingOvertakenByALaterOneIsAbandonedAtOnceAndTheWindowGoesOnMeanwhile) {
    TempDir dir;
    dir.write("slow/old.avi", "x");
    dir.write("fast/new.avi", "x");
    ListRig rig;
    auto& [prompts, icons, view, list] = rig;
    // Shared with the reader, which outlives the test: an abandoned read is not waited for.
    auto release = std::make_shared<std::atomic<bool>>(false);
    list.setReader([release](const QString& folder, const ListOptions& o) {
        // The slow folder is a disk that takes its time.
        while (folder.endsWith(QLatin1String("slow")) && !*release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return ListFolderRows(folder, o);
    });
    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi");
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++ticks;
        if (ticks == 3) { // a later listing while the slow one is read
            EXPECT_TRUE(list.ListFolder(dir.file("fast"), false, o));
        }
    });
    tick.start(20);
    EXPECT_FALSE(list.ListFolder(dir.file("slow"), false, o)) << "the overtaken listing shows nothing";
    EXPECT_FALSE(*release) << "the overtaken listing was waited for to its end";
    EXPECT_GE(ticks, 3) << "timers ran while the folder was read";
    *release = true;
    EXPECT_EQ(Column(*list.model(), 0), QStringList{"new.avi"});
}

TEST(FileListView, WhatHappensToAFolderWhileItIsReadDecidesWhatTheListShows) {
    // The listing is read on a worker; meanwhile the window goes on. Each case does one thing
    // while the folder is being read and says what the list then holds.
    struct Case {
        const char* what;
        std::function<void(TempDir&, FileListView&)> meanwhile;
        QStringList names;  // the list afterwards, top to bottom
        const char* status; // panel 1 afterwards
    };
    const Case cases[] = {
        {"nothing", [](TempDir&, FileListView&) {}, {"a.avi", "b.avi", "c.avi"}, "3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"},
        {"the user sorts by size",
         [](TempDir&, FileListView& list) { list.model()->ColumnClick(FileListModel::SizeColumn); },
         {"b.avi", "c.avi", "a.avi"}, // descending by size
         "3個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"},
        {"the folder is deleted",
         [](TempDir& dir, FileListView&) { QDir(dir.file("clips")).removeRecursively(); },
         {},
         "0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"},
        {"the folder becomes a file",
         [](TempDir& dir, FileListView&) {
             QDir(dir.file("clips")).removeRecursively();
             dir.write("clips", "x");
         },
         {},
         "0個のﾌｧｲﾙ(0個のﾌｫﾙﾀﾞ)"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("clips/a.avi", "1");
        dir.write("clips/b.avi", QByteArray(3000, 'x'));
        dir.write("clips/c.avi", QByteArray(2000, 'x'));
        dir.write("old/old.avi", "x");
        ListRig rig;
        auto& [prompts, icons, view, list] = rig;
        ListOptions o;
        o.ListPattern = QStringLiteral("*.avi");
        ASSERT_TRUE(list.ListFolder(dir.file("old"), false, o));
        std::atomic<bool> release{false};
        list.setReader([&](const QString& folder, const ListOptions& options) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return ListFolderRows(folder, options);
        });
        QTimer::singleShot(20, &view, [&] {
            c.meanwhile(dir, list);
            release = true;
        });
        QSignalSpy status(&list, &FileListView::listStatusChanged);
        EXPECT_TRUE(list.ListFolder(dir.file("clips"), false, o)) << c.what;
        EXPECT_EQ(Column(*list.model(), 0), c.names) << c.what;
        ASSERT_FALSE(status.isEmpty()) << c.what;
        EXPECT_EQ(status.last().at(0).toString(), QString::fromUtf8(c.status)) << c.what;
        EXPECT_TRUE(prompts.boxes.isEmpty()) << c.what;
        EXPECT_EQ(list.model()->rowOfKey(dir.file("old/old.avi")), -1) << c.what;
        for (int p = 0; p < list.model()->rowCount(); ++p)
            EXPECT_EQ(list.model()->rowOfKey(dir.file("clips/" + c.names[p])), p) << c.what;
    }
}

TEST(FileListView, AReaderThatFailsEndsInTheErrorBoxAndTheListGoesOn) {
    TempDir dir;
    dir.write("old/old.avi", "x");
    dir.write("new/new.avi", "x");
    ListRig rig;
    auto& [prompts, icons, view, list] = rig;
    ListOptions o;
    o.ListPattern = QStringLiteral("*.avi");
    ASSERT_TRUE(list.ListFolder(dir.file("old"), false, o));
    list.setReader([](const QString&, const ListOptions&) -> ListResult { throw std::bad_alloc(); });
    EXPECT_FALSE(list.ListFolder(dir.file("new"), false, o));
    EXPECT_EQ(prompts.boxes.size(), 1) << "the failure is reported once, on the window's thread";
    EXPECT_EQ(Column(*list.model(), 0), QStringList{"old.avi"}) << "the rows shown stay";
    list.setReader({});
    EXPECT_TRUE(list.ListFolder(dir.file("new"), false, o));
    EXPECT_EQ(Column(*list.model(), 0), QStringList{"new.avi"});
}

TEST(FileListView, TheColumnsOfABigListFitItsWidestTextsWhereverTheyAre) {
    // Far more rows than are measured one by one; the widest text of each column sits in the
    // middle of the list, out of view.
    ListResult listing;
    listing.folder = QStringLiteral("/media/clips");
    for (int i = 0; i < 20000; ++i)
        listing.rows.push_back(
            Row(QStringLiteral("clip %1.avi").arg(i, 5, 10, QLatin1Char('0')).toUtf8().constData(), 1000 + i,
                "2023/05/01 10:00:00"));
    ListRow& wide = listing.rows[10000];
    wide.name = QStringLiteral("clip 10000 とても長い日本語の名前の動画ファイル_第十二話_最終回.avi");
    wide.extension = QStringLiteral("ＡＶＩ_ＬＯＮＧ");
    wide.size = 2000LL * 1024 * 1024; // "2,048,000": the most digits in the column
    const QString wideName = wide.name;
    listing.files = qint64(listing.rows.size());
    FakePrompts prompts;
    FileIcons icons;
    QTreeView view;
    view.resize(400, 300);
    FileListView list(&view, icons, prompts);
    view.show();
    list.ShowListing(std::move(listing), false);
    const QFontMetrics metrics(view.font());
    const int middle = list.model()->rowOfKey("/media/clips/" + wideName);
    ASSERT_GT(middle, 1000);
    for (int column = 0; column < FileListModel::ColumnCount; ++column) {
        const QString text = list.model()->data(list.model()->index(middle, column)).toString();
        EXPECT_GE(view.columnWidth(column), metrics.horizontalAdvance(text)) << "column " << column;
    }
}
