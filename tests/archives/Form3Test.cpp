// The extension change dialog over a real listing of a real folder and a real settings file.
#include "archives/Form3.h"
#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "browse/FileListModel.h"
#include "browse/FolderListing.h"
#include "settings/PrivateProfile.h"
#include "support/ArchiveMaker.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QDir>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace tobimaru {
namespace {

using test::ArchiveMaker;
using test::FakePrompts;
using test::TempDir;

class Form3Rig {
public:
    Form3Rig(const QStringList& files, const QStringList& folders, const QByteArray& ini = {}) {
        for (const QString& f : files)
            dir.write(f, f.toUtf8());
        for (const QString& f : folders)
            dir.mkdir(f);
        if (!ini.isNull())
            config.write("TobimaruMe.ini", ini);
        view.setModel(&model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        list();
    }
    void list() {
        ListOptions options;
        options.FileViewMode = true;
        options.ShowFolders = true;
        model.setRows(dir.path(), ListFolderRows(dir.path(), options).rows);
    }
    void select(const QStringList& names) {
        for (const QString& name : names) {
            const int r = model.rowOfKey(dir.file(name));
            ASSERT_GE(r, 0) << name.toStdString();
            view.selectionModel()->select(model.index(r, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    std::unique_ptr<Form3> open() {
        Form3Context context;
        context.prompts = &prompts;
        context.iniPath = config.file("TobimaruMe.ini");
        context.model = &model;
        context.selection = view.selectionModel();
        context.relist = [this] {
            ++relists;
            list();
        };
        auto form = std::make_unique<Form3>(context);
        form->show();
        return form;
    }
    QStringList names() const {
        QStringList all = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        all.sort();
        return all;
    }
    QString stored(const char* key) const {
        return ReadProfileString(config.file("TobimaruMe.ini"), "KakuchoushiConv", key, "<none>");
    }

    TempDir dir;
    TempDir config;
    FakePrompts prompts;
    FileListModel model{nullptr};
    QTreeView view;
    int relists = 0;
};

QStringList Sorted(QStringList names) {
    names.sort();
    return names;
}

TEST(Form3, OkRenamesTheSelectedFilesAndRemembersTheChoice) {
    struct Row {
        const char* what;
        QStringList files;
        QStringList folders;
        QStringList selected;
        int option;
        QString typed;
        QStringList after;
        bool closed;
        const char* storedOption;
        const char* storedName;
    };
    const Row rows[] = {
        {"to lower case",
         {"movie.AVI", "keep.AVI"},
         {},
         {"movie.AVI"},
         1,
         "",
         {"keep.AVI", "movie.avi"},
         true,
         "1",
         "<none>"},
        {"to upper case, already upper",
         {"movie.AVI"},
         {},
         {"movie.AVI"},
         0,
         "",
         {"movie.AVI"},
         true,
         "0",
         "<none>"},
        {"one typed extension", {"clip.mpeg"}, {}, {"clip.mpeg"}, 2, "mpg", {"clip.mpg"}, true, "2", "mpg"},
        {"a typed extension of four characters",
         {"clip.mpeg"},
         {},
         {"clip.mpeg"},
         2,
         "mpeg",
         {"clip.mpeg"},
         false,
         "<none>",
         "<none>"},
        {"a typed extension that names another folder",
         {"clip.mpeg"},
         {"up"},
         {"clip.mpeg"},
         2,
         "/up",
         {"clip.mpeg", "up"},
         false,
         "<none>",
         "<none>"},
        {"folder rows never change",
         {"movie.AVI"},
         {"films.AVI"},
         {"films.AVI", "movie.AVI"},
         1,
         "",
         {"films.AVI", "movie.avi"},
         true,
         "1",
         "<none>"},
        {"no extension: the case options leave the file",
         {"README", "movie.AVI"},
         {},
         {"README", "movie.AVI"},
         1,
         "",
         {"README", "movie.avi"},
         true,
         "1",
         "<none>"},
        {"no extension: the typed one is given",
         {"README", "movie.AVI"},
         {},
         {"README", "movie.AVI"},
         2,
         "txt",
         {"README.txt", "movie.txt"},
         true,
         "2",
         "txt"},
    };
    for (const Row& r : rows) {
        Form3Rig rig(r.files, r.folders);
        rig.select(r.selected);
        auto form = rig.open();
        form->Option1(r.option)->setChecked(true);
        form->Text1()->setText(r.typed);
        form->Command2(0)->click();
        EXPECT_EQ(rig.names(), Sorted(r.after)) << r.what;
        EXPECT_EQ(form->isVisible(), !r.closed) << r.what;
        EXPECT_EQ(rig.relists, r.closed ? 1 : 0) << r.what;
        EXPECT_EQ(rig.stored("SelectOpton"), r.storedOption) << r.what;
        EXPECT_EQ(rig.stored("KakuchoushiName"), r.storedName) << r.what;
        EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << r.what;
    }
}

TEST(Form3, ARenameThatWouldReplaceAFileStopsTheWalk) {
    Form3Rig rig({"0.AVI", "a.AVI", "a.avi", "b.AVI"}, {}, "[KakuchoushiConv]\nSelectOpton=1\n");
    rig.select({"0.AVI", "a.AVI", "b.AVI"});
    auto form = rig.open();
    form->Command2(0)->click();

    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text, ComposeErrorMessage(ErrorCode::FileAlreadyExists));
    EXPECT_EQ(rig.prompts.boxes[0].icon, PromptIcon::Critical);
    EXPECT_EQ(rig.names(), (QStringList{"0.avi", "a.AVI", "a.avi", "b.AVI"}))
        << "the file before the clash keeps its new name, the one after it is not reached";
    EXPECT_EQ(ArchiveMaker::read(rig.dir.file("a.avi")), "a.avi");
    EXPECT_EQ(ArchiveMaker::read(rig.dir.file("a.AVI")), "a.AVI");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(rig.relists, 0);
    EXPECT_EQ(rig.stored("SelectOpton"), "1") << "as it was: nothing is saved";
}

TEST(Form3, CancelAndAnEmptyListChangeNothing) {
    for (const bool cancel : {true, false}) {
        Form3Rig rig(cancel ? QStringList{"movie.AVI"} : QStringList{}, {});
        if (cancel)
            rig.select({"movie.AVI"});
        else
            rig.model.clear();
        auto form = rig.open();
        form->Option1(2)->setChecked(true);
        form->Text1()->setText("mpg");
        form->Command2(cancel ? 1 : 0)->click();
        EXPECT_EQ(form->isVisible(), !cancel);
        EXPECT_EQ(rig.names(), cancel ? QStringList{"movie.AVI"} : QStringList{});
        EXPECT_EQ(rig.stored("SelectOpton"), "<none>");
        EXPECT_EQ(rig.relists, 0);
    }
}

TEST(Form3, OpensWithTheStoredOptionAndExtension) {
    struct Row {
        const char* what;
        QByteArray ini;
        int option;
        QString text;
        std::optional<ErrorCode> failure; ///< the error box's number, none for no box
    };
    const Row rows[] = {
        {"nothing stored", {}, 0, "", std::nullopt},
        {"both stored", "[KakuchoushiConv]\nSelectOpton=2\nKakuchoushiName=mp4\n", 2, "mp4", std::nullopt},
        {"\"0\" is no extension", "[KakuchoushiConv]\nSelectOpton=1\nKakuchoushiName=0\n", 1, "",
         std::nullopt},
        {"an option out of range", "[KakuchoushiConv]\nSelectOpton=3\nKakuchoushiName=mp4\n", -1, "",
         ErrorCode::SubscriptOutOfRange},
        {"an option that is no number", "[KakuchoushiConv]\nSelectOpton=two\n", -1, "",
         ErrorCode::TypeMismatch},
    };
    for (const Row& r : rows) {
        Form3Rig rig({"movie.AVI"}, {}, r.ini);
        auto form = rig.open();
        EXPECT_EQ(form->chosenOption(), r.option) << r.what;
        EXPECT_EQ(form->Text1()->text(), r.text) << r.what;
        EXPECT_EQ(rig.prompts.texts(),
                  r.failure ? QStringList{ComposeErrorMessage(*r.failure)} : QStringList())
            << r.what;
        // With no option chosen there is nothing OK could do.
        rig.select({"movie.AVI"});
        form->Command2(0)->click();
        EXPECT_EQ(form->isVisible(), r.option < 0) << r.what;
    }

    Form3Rig rig({}, {});
    auto form = rig.open();
    EXPECT_EQ(form->windowTitle(), "選択された拡張子の変更");
    EXPECT_EQ(form->findChild<QGroupBox*>()->title(), "拡張子の変更");
    EXPECT_EQ(form->Option1(0)->text(), "大文字に");
    EXPECT_EQ(form->Option1(1)->text(), "小文字に");
    EXPECT_EQ(form->Option1(2)->text(), "統一");
    EXPECT_EQ(form->Command2(0)->text(), "OK");
    EXPECT_EQ(form->Command2(1)->text(), "キャンセル");
}

} // namespace
} // namespace tobimaru
