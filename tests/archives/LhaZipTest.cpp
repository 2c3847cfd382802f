// The extraction front-end over a real list of a real folder: archives made at test time, the
// real adapter on the worker thread, the real trash under a temporary XDG_DATA_HOME.
#include "archives/LhaZip.h"
#include "archives/ArchiverCodes.h"
#include "archives/MeltRunner.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "platform/Trash.h"
#include "support/ArchiveMaker.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TrashSandbox.h"
#include "support/WhenModal.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::FakePrompts;
using test::FolderSnapshot;
using test::TempDir;
using test::TrashSandbox;
using test::WhenModal;
using test::ZipFile;

QString NotSound(const QString& path) {
    return path + QStringLiteral("は、正常な書庫ファイルでは、ありません。");
}

/// A window with the file list of one folder (every file and folder shown), and the front-end
/// wired to it as the main window wires it.
class MeltRig {
public:
    explicit MeltRig(const std::function<void(LhaZipWiring&)>& adjust = {}) {
        auto* layout = new QVBoxLayout(&window);
        view = new QTreeView(&window);
        layout->addWidget(view);
        list = std::make_unique<FileListView>(view, icons, prompts);
        LhaZipWiring w;
        w.window = &window;
        w.list = view;
        w.model = list->model();
        w.prompts = &prompts;
        w.stopPlayback = [this] { ++stops; };
        w.currentFolder = [this] { return dir.path(); };
        w.relist = [this] {
            ++relists;
            relistFolder();
        };
        w.sendToTrash = [this](const QStringList& paths) {
            trashed << paths;
            DesktopTrash trash;
            int failed = 0;
            for (const QString& path : paths)
                failed += trash.moveToTrash(path, nullptr) ? 0 : 1;
            return failed;
        };
        if (adjust)
            adjust(w);
        lhaZip = std::make_unique<LhaZip>(std::move(w));
        window.resize(400, 300);
        window.show();
    }

    void relistFolder() {
        ListOptions options;
        options.FileViewMode = true;
        options.ShowFolders = true;
        list->ListFolder(dir.path(), false, options);
    }
    /// Lists the folder and selects the rows of these names (none: the listing's own selection).
    void listAndSelect(const QStringList& names) {
        relistFolder();
        if (names.isEmpty())
            return;
        QItemSelectionModel* selection = view->selectionModel();
        selection->clearSelection();
        for (const QString& name : names) {
            const int r = model()->rowOfKey(dir.file(name));
            ASSERT_GE(r, 0) << name.toStdString();
            selection->select(model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    FileListModel* model() const { return list->model(); }
    QStringList selectedNames() const {
        QStringList names;
        for (int r = 0; r < model()->rowCount(); ++r) {
            if (view->selectionModel()->isRowSelected(r, {}))
                names << model()->row(r).name;
        }
        names.sort();
        return names;
    }
    QString zip(const QString& name, const QMap<QByteArray, QByteArray>& files) {
        std::vector<test::ZipEntry> entries;
        for (auto it = files.begin(); it != files.end(); ++it)
            entries.push_back(ZipFile(it.key(), it.value()));
        return ArchiveMaker::zip(dir.file(name), entries);
    }

    TempDir dir;
    FakePrompts prompts;
    QWidget window;
    QTreeView* view = nullptr;
    FileIcons icons;
    std::unique_ptr<FileListView> list;
    std::unique_ptr<LhaZip> lhaZip;
    int stops = 0;
    int relists = 0;
    QStringList trashed;
};

class Melt : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ArchiveMaker::pythonAvailable() || !ArchiveMaker::zipAvailable())
            GTEST_SKIP() << "python3 and zip make the test archives (scripts/packages.txt installs them)";
    }
};

TEST_F(Melt, SelectFirstAsksOnceCountingOnlyZipAndLzhRows) {
    const QString question = QStringLiteral("書庫ファイルが、%1個選択されました。\r解凍しますか？");
    struct Row {
        const char* what;
        QStringList files;
        QStringList folders;
        QString current; ///< the row that was current before
        QString box;     ///< "" for no box
        QStringList selectedAfter;
    };
    const Row rows[] = {
        {"any case, folders and other files left out",
         {"a.zip", "B.ZIP", "c.Lzh", "movie.avi", "notes.zipx"},
         {"folder.zip"},
         "movie.avi",
         question.arg(3),
         {"B.ZIP", "a.zip", "c.Lzh"}},
        {"no archive: the row that was current is selected again, and nothing is asked",
         {"movie.avi", "song.mp3"},
         {"folder.lzh"},
         "song.mp3",
         {},
         {"song.mp3"}},
    };
    for (const Row& row : rows) {
        MeltRig rig;
        for (const QString& f : row.files)
            rig.dir.write(f, "not extracted: the question is cancelled");
        for (const QString& f : row.folders)
            rig.dir.mkdir(f);
        rig.relistFolder();
        rig.view->setCurrentIndex(rig.model()->index(rig.model()->rowOfKey(rig.dir.file(row.current)), 0));
        rig.prompts.answer(PromptAnswer::Cancel);
        const auto before = FolderSnapshot(rig.dir.path());
        rig.lhaZip->ExtractArchives(true);

        ASSERT_EQ(rig.prompts.boxes.size(), row.box.isEmpty() ? 0 : 1) << row.what;
        if (!row.box.isEmpty()) {
            EXPECT_EQ(rig.prompts.boxes[0].text, row.box) << row.what;
            EXPECT_EQ(rig.prompts.boxes[0].icon, PromptIcon::Question);
            EXPECT_EQ(rig.prompts.boxes[0].buttons, PromptButtons::OkCancel);
        }
        EXPECT_EQ(rig.selectedNames(), row.selectedAfter) << row.what;
        EXPECT_EQ(rig.stops, 1) << row.what << ": playback is stopped before the selection changes";
        EXPECT_EQ(FolderSnapshot(rig.dir.path()), before) << row.what;
        EXPECT_EQ(rig.relists, 0) << row.what;
    }
}

TEST_F(Melt, ADamagedArchiveIsSkippedAndTheOthersGoToTheTrash) {
    if (!ArchiveMaker::lzhAvailable())
        GTEST_SKIP() << "jlha makes the LZH archive (scripts/packages.txt installs jlha-utils)";
    const TrashSandbox trash;
    MeltRig rig;
    rig.zip("a.zip", {{"from-a.txt", "alpha"}});
    const QString cut = rig.zip("b.zip", {{"from-b.txt", "beta"}});
    ArchiveMaker::truncate(cut, QFileInfo(cut).size() - 10);
    ArchiveMaker::lzh(rig.dir.file("c.lzh"), {{"lzh/from-c.txt", "gamma"}});
    rig.dir.write("movie.avi", "selected, but no archive");
    rig.listAndSelect({"a.zip", "b.zip", "c.lzh", "movie.avi"});

    rig.prompts.clear();
    rig.lhaZip->ExtractArchives(false);

    EXPECT_EQ(rig.prompts.texts(), QStringList{NotSound(cut)});
    EXPECT_EQ(rig.prompts.boxes.value(0).icon, PromptIcon::None);
    EXPECT_EQ(ArchiveMaker::read(rig.dir.file("from-a.txt")), "alpha");
    EXPECT_EQ(ArchiveMaker::read(rig.dir.file("lzh/from-c.txt")), "gamma");
    EXPECT_EQ(rig.trashed, (QStringList{rig.dir.file("a.zip"), rig.dir.file("c.lzh")}));
    EXPECT_EQ(trash.names(), (QStringList{"a.zip", "c.lzh"}));
    EXPECT_TRUE(QFile::exists(cut)) << "a damaged archive stays";
    EXPECT_EQ(rig.relists, 1);
    EXPECT_EQ(rig.model()->rowOfKey(rig.dir.file("a.zip")), -1) << "the list was read again";
    EXPECT_GE(rig.model()->rowOfKey(rig.dir.file("from-a.txt")), 0);
}

TEST_F(Melt, WhenEveryArchiveFailsNothingGoesToTheTrashAndTheListStays) {
    MeltRig rig;
    const QString empty = ArchiveMaker::zip(rig.dir.file("empty.zip"), {});
    const QString text = rig.dir.write("text.lzh", "plain text, no archive");
    // Its file is in the destination already: the adapter never overwrites.
    const QString clash = rig.zip("clash.zip", {{"taken.txt", "new"}});
    rig.dir.write("taken.txt", "the user's");
    rig.listAndSelect({"empty.zip", "text.lzh", "clash.zip"});
    const auto before = FolderSnapshot(rig.dir.path());

    rig.prompts.clear();
    rig.lhaZip->ExtractArchives(false);

    // List order: sorted by name.
    EXPECT_EQ(rig.prompts.texts(),
              (QStringList{"ﾌｧｲﾙが展開先に既に存在しています。\n書庫: clash.zip\n項目: taken.txt\n"
                           "理由: 展開先に同じ名前のファイルかフォルダが既にあります",
                           NotSound(empty), NotSound(text)}));
    EXPECT_EQ(rig.prompts.boxes.value(0).icon, PromptIcon::Warning);
    EXPECT_EQ(rig.prompts.boxes.value(0).caption, AppTitle());
    EXPECT_TRUE(rig.trashed.isEmpty());
    EXPECT_EQ(rig.relists, 0);
    EXPECT_EQ(FolderSnapshot(rig.dir.path()), before);
}

TEST_F(Melt, TheDestinationIsTheTreeFolderOrTheOneChosen) {
    struct Row {
        const char* what;
        QString chosen; ///< relative to the rig's folder; "<tree>" for no chooser
        bool extracted;
    };
    const Row rows[] = {
        {"the tree's folder", "<tree>", true},
        {"a chosen folder with a space and a dot", "to/my dir.d", true},
        // On Linux a trailing space is part of the name: another folder than "to/trailing".
        {"a chosen folder whose name ends in a space", "to/trailing ", true},
        {"the chooser cancelled", "", false},
    };
    for (const Row& row : rows) {
        std::unique_ptr<TempDir> elsewhere = std::make_unique<TempDir>();
        const bool tree = row.chosen == QLatin1String("<tree>");
        QString destination;
        if (!tree && !row.chosen.isEmpty()) {
            destination = elsewhere->mkdir(row.chosen);
            elsewhere->mkdir("to/trailing");
        }
        MeltRig rig([&](LhaZipWiring& w) {
            if (!tree)
                w.chooseDestination = [&] { return destination; };
        });
        if (tree)
            destination = rig.dir.path();
        const TrashSandbox trash;
        rig.zip("a.zip", {{"inside.txt", "in"}});
        rig.listAndSelect({"a.zip"});
        rig.lhaZip->ExtractArchives(false);
        EXPECT_TRUE(rig.prompts.boxes.isEmpty())
            << row.what << ": " << rig.prompts.texts().join("|").toStdString();
        EXPECT_EQ(!destination.isEmpty() && QFile::exists(destination + "/inside.txt"), row.extracted)
            << row.what;
        EXPECT_FALSE(QFile::exists(elsewhere->file("to/trailing/inside.txt"))) << row.what;
        EXPECT_EQ(rig.relists, row.extracted ? 1 : 0) << row.what;
    }
}

TEST_F(Melt, AnEncryptedZipIsExtractedAfterThePasswordBox) {
    struct Row {
        const char* what;
        std::optional<QString> typed; ///< nullopt: the box is cancelled
        QString box;
        bool extracted;
    };
    const Row rows[] = {
        {"the right password", "s3cret", {}, true},
        {"a wrong one", "guess",
         "格納ﾌｧｲﾙにﾊﾟｽﾜｰﾄﾞがかかっています。\n書庫: secret.zip\n項目: 写真集/秘密.txt\n理由: "
         "パスワードが違います",
         false},
        {"the box cancelled", std::nullopt,
         "格納ﾌｧｲﾙにﾊﾟｽﾜｰﾄﾞがかかっています。\n書庫: secret.zip\n項目: 写真集/秘密.txt\n"
         "理由: パスワードが入力されませんでした",
         false},
    };
    for (const Row& row : rows) {
        const TrashSandbox trash;
        MeltRig rig;
        // As zip -r -P makes it on Linux: UTF-8 names without the UTF-8 flag.
        ArchiveMaker::infoZip(rig.dir.file("secret.zip"), {{"写真集/秘密.txt", "treasure"}}, "s3cret");
        rig.listAndSelect({"secret.zip"});
        QString label;
        // Our own box, on the user-interface thread, while the worker waits for it.
        WhenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QInputDialog*>(modal);
            if (!box || box->objectName() != QLatin1String("PasswordBox"))
                return false;
            label = box->labelText();
            EXPECT_EQ(box->textEchoMode(), QLineEdit::Password);
            if (row.typed) {
                box->setTextValue(*row.typed);
                box->accept();
            } else {
                box->reject();
            }
            return true;
        });
        rig.prompts.clear();
        rig.lhaZip->ExtractArchives(false);
        EXPECT_TRUE(label.contains("secret.zip")) << row.what << ": " << label.toStdString();
        EXPECT_EQ(rig.prompts.texts(), row.box.isEmpty() ? QStringList() : QStringList{row.box}) << row.what;
        EXPECT_EQ(ArchiveMaker::read(rig.dir.file("写真集/秘密.txt")), row.extracted ? "treasure" : "")
            << row.what;
        EXPECT_EQ(QFileInfo::exists(rig.dir.file("写真集")), row.extracted) << row.what;
        EXPECT_EQ(trash.names(), row.extracted ? QStringList{"secret.zip"} : QStringList()) << row.what;
    }
}

/// Counts the paint events a widget gets.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(Melt, TheWindowPaintsDuringALongExtractionAndCancelLeavesTheFolderAsItWas) {
    // The worker is held back at each block it writes, so the extraction lasts for seconds.
    MeltRig rig([](LhaZipWiring& w) {
        w.workerTap = [](const QString&, qint64, qint64) {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        };
    });
    QMap<QByteArray, QByteArray> files;
    for (int i = 0; i < 12; ++i)
        files.insert("part" + QByteArray::number(i) + ".bin", QByteArray(300000, char('a' + i)));
    rig.zip("slow.zip", files);
    rig.listAndSelect({"slow.zip"});
    const auto before = FolderSnapshot(rig.dir.path());

    QWidget* painted = rig.view->viewport();
    PaintCounter counter(painted);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, painted, [painted] { painted->update(); });
    repaint.start(30);
    QString shown;
    int paintsBeforeCancel = 0;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QProgressDialog*>(modal);
        // Cancelled once a file is being written, so there is something to take back.
        if (!dialog || dialog->objectName() != QLatin1String("MeltProgress") ||
            !dialog->labelText().contains("part"))
            return false;
        shown = dialog->labelText();
        paintsBeforeCancel = counter.paints;
        dialog->findChild<QPushButton*>("Cancel")->click();
        return true;
    });
    rig.prompts.clear();
    rig.lhaZip->ExtractArchives(false);

    EXPECT_TRUE(shown.startsWith("書庫 1/1: slow.zip\npart")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(" / ")) << "the bytes: " << shown.toStdString();
    EXPECT_GE(paintsBeforeCancel, 5) << "the window went on painting while the archive was extracted";
    EXPECT_EQ(rig.prompts.texts(), QStringList{"ﾕｰｻﾞｰによって解凍を中断されました。\n書庫: slow.zip"});
    EXPECT_EQ(FolderSnapshot(rig.dir.path()), before) << "what the archive wrote is removed";
    EXPECT_TRUE(rig.trashed.isEmpty());
    EXPECT_EQ(rig.relists, 0);
    EXPECT_FALSE(QApplication::activeModalWidget()) << "the progress dialog is gone";
}

TEST_F(Melt, WhileItRunsNeitherTypingNorASecondExtractionGetsIn) {
    const TrashSandbox trash;
    MeltRig rig;
    auto* edit = new QLineEdit(&rig.window);
    edit->show();
    rig.zip("quick.zip", {{"q.txt", "q"}});
    rig.listAndSelect({"quick.zip"});
    bool ranMeanwhile = false;
    QTimer::singleShot(0, [&] {
        ranMeanwhile = rig.lhaZip->running();
        QTest::keyClicks(edit, "typed");
        // Run again, it would find its file extracted already and say so.
        rig.lhaZip->ExtractArchives(false);
    });
    rig.lhaZip->ExtractArchives(false);
    EXPECT_TRUE(ranMeanwhile);
    EXPECT_EQ(edit->text(), "");
    EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << rig.prompts.texts().join("|").toStdString();
    EXPECT_EQ(rig.trashed, QStringList{rig.dir.file("quick.zip")});
    EXPECT_EQ(rig.relists, 1);
}

} // namespace
} // namespace tobimaru
