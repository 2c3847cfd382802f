// The options dialog as the window opens it from its option menu.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "browse/Navigation.h"
#include "playback/PlaybackState.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"
#include "support/TempDir.h"
#include "ui/Menus.h"
#include "ui/Toolbar.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::ModalAnswerer;
using tobimaru::test::TempDir;
using tobimaru::test::WindowRig;

namespace {

void Click(QWidget* dialog, const char* name) {
    auto* b = dialog->findChild<QAbstractButton*>(QString::fromUtf8(name));
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

QStringList ListedNames(const WindowRig& w) {
    QStringList out;
    const auto* model = w.form->ListView1()->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString();
    return out;
}

} // namespace

TEST(OptionsDialog, OpensModallyOverTheWindowWithTheSlideshowStopped) {
    for (bool onTop : {false, true}) {
        WindowRig w(onTop ? "[MoviePlay]\nScreenState=True\n" : "");
        w.start();
        w.form->playback().slideShow().Enable();
        bool slideshowStopped = false;
        bool topmost = !onTop;
        QWidget* owner = nullptr;
        ModalAnswerer answer([&](QWidget* dialog) {
            slideshowStopped = !w.form->playback().slideShow().isEnabled();
            topmost = dialog->windowFlags() & Qt::WindowStaysOnTopHint;
            owner = dialog->parentWidget();
            Click(dialog, "Command2(1)");
        });
        w.form->menus().item("Opt(6)")->trigger();
        EXPECT_EQ(answer.answered, QStringList{"Form2"}) << onTop;
        EXPECT_TRUE(slideshowStopped) << onTop;
        EXPECT_EQ(topmost, onTop);
        EXPECT_EQ(owner, w.form.get());
    }
}

TEST(OptionsDialog, OkRelistsWithTheNewTypesAndFileViewAtOnce) {
    WindowRig w;
    TempDir media;
    media.write("song.mp3", "x");
    media.write("clip.avi", "x");
    media.mkdir("sub");
    w.start();
    ASSERT_TRUE(w.form->navigation().GoToPath(media.path(), true));
    ASSERT_EQ(ListedNames(w), QStringList{"clip.avi"}) << "the built-in list has no mp3";
    {
        ModalAnswerer answer([](QWidget* dialog) {
            Click(dialog, "Command1(0)");
            Click(dialog, "Command2(0)");
        });
        w.form->menus().item("Opt(6)")->trigger();
        ASSERT_EQ(answer.answered, QStringList{"Form2"});
    }
    EXPECT_TRUE(w.prompts.boxes.isEmpty()) << w.prompts.texts().join("|").toStdString();
    EXPECT_EQ(ListedNames(w), (QStringList{"clip.avi", "song.mp3"}));

    // Folders show in file view, once the option says so.
    w.form->toolbar().button("ファイルビュー")->trigger();
    ASSERT_FALSE(ListedNames(w).contains("sub"));
    {
        ModalAnswerer answer([](QWidget* dialog) {
            Click(dialog, "Check3(3)");
            Click(dialog, "Command2(0)");
        });
        w.form->menus().item("Opt(6)")->trigger();
    }
    EXPECT_EQ(w.form->settings().ShowFolders, 1);
    EXPECT_TRUE(ListedNames(w).contains("sub")) << ListedNames(w).join(",").toStdString();
}

TEST(OptionsDialog, BootValuesActAtTheNextStart) {
    WindowRig w;
    w.start();
    ModalAnswerer answer([](QWidget* dialog) {
        Click(dialog, "Check1(2)"); // no screen saver
        Click(dialog, "Check1(4)"); // gestures
        Click(dialog, "Command1(0)");
        Click(dialog, "Command2(0)");
    });
    w.form->menus().item("Opt(6)")->trigger();
    EXPECT_TRUE(w.saver.calls.empty()) << "not before the next start";
    EXPECT_EQ(w.form->gestures(), nullptr);
    EXPECT_EQ(w.read("Boot", "ScreenSaver"), "1");

    QFile f(w.iniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    WindowRig next(f.readAll());
    next.start();
    EXPECT_EQ(next.saver.calls, std::vector<bool>{false});
    EXPECT_NE(next.form->gestures(), nullptr);
}
