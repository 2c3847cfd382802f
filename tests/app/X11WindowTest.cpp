// The main window on a real X server (run under Xvfb with QT_QPA_PLATFORM=xcb): the picture
// is a native window of its own inside the pane, and the input the server routes past it, and
// the panes drawn over it, are what these tests look at.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "playback/MediaPlayer.h"
#include "playback/mpv/MpvVideoWindow.h"
#include "support/MediaMaker.h"
#include "support/TempDir.h"
#include "support/XTestInput.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <gtest/gtest.h>

using namespace tobimaru;
using namespace tobimaru::test;

namespace {

const QByteArray kGesturesOn = "[Boot]\nMousePlay=1\n";

/// The window started, gestures on, a picture in the pane, and the commands it runs noted.
struct PictureRig {
    WindowRig w;
    TempDir media;
    XTestInput input;
    QStringList ran;

    PictureRig()
        : w(kGesturesOn) {
        MediaMaker::picture(media.file("a.jpg"), 160, 120);
        MediaMaker::picture(media.file("b.jpg"), 160, 120);
        w.start();
        w.form->fileList().ListFolder(media.path(), false, MakeListOptions(w.form->settings(), false));
        QTreeView* list = w.form->ListView1();
        list->setCurrentIndex(list->model()->index(0, 0));
        w.form->commands().setObserver([this](CommandId id) { ran << id.toString(); });
    }
    MediaPlayer& player() const { return w.form->player(); }
    /// Plays the first row and waits until its picture is out.
    bool showPicture() {
        QSignalSpy restarted(&player(), &MediaPlayer::playbackRestarted);
        if (!QTest::qWaitFor([&] { return player().isReady(); }, 10000))
            return false;
        player().setFileName(media.file("a.jpg"));
        const bool shown = QTest::qWaitFor([&] { return restarted.count() > 0; }, 10000) &&
                           QTest::qWaitFor([&] { return pictureExposed(); }, 5000);
        ran.clear();
        return shown;
    }
    bool pictureExposed() const { return player().videoWindow() && player().videoWindow()->isExposed(); }
    /// Shows the window full screen and waits until the picture has taken its place there: the
    /// menus and the toolbar go, so the picture moves.
    bool goFullScreen() {
        const QPoint before = pictureCentre();
        player().setDisplaySize(MediaPlayer::FullScreen);
        return QTest::qWaitFor(
            [&] { return w.form->isFullScreen() && pictureExposed() && pictureCentre() != before; }, 5000);
    }
    /// The commands the input ran, once the input has reached the window.
    void expectRan(const QStringList& expected) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return ran == expected; }, 5000)) << ran.join(", ").toStdString();
    }
    /// The middle of the picture, in screen coordinates.
    QPoint pictureCentre() const {
        QWindow* picture = player().videoWindow();
        return picture->mapToGlobal(QPoint(picture->width() / 2, picture->height() / 2));
    }
};

bool NeedsX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

TEST(X11Window, ThePointerOverThePictureReachesTheWidgetsAndTheGestures) {
    if (!NeedsX11())
        GTEST_SKIP() << "needs an X server (run under Xvfb with QT_QPA_PLATFORM=xcb)";
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the pictures";
    struct Row {
        const char* what;
        std::function<void(PictureRig&)> act;
        std::function<void(PictureRig&)> check;
    };
    const Row rows[] = {
        {"a right drag up over the picture is the gesture for the previous row",
         [](PictureRig& r) {
             r.input.drag(r.pictureCentre(), {{0, -20}, {0, -40}}, 3);
         },
         [](PictureRig& r) { r.expectRan({"playback.previous"}); }},
        {"a right drag down then left over the picture: next, then stop",
         [](PictureRig& r) {
             r.input.drag(r.pictureCentre(), {{0, 40}, {-40, 40}}, 3);
         },
         [](PictureRig& r) {
             r.expectRan({"playback.next", "playback.stop", "playback.stop"});
         }},
        {"a double click on the picture in full screen brings the window back",
         [](PictureRig& r) {
             ASSERT_TRUE(r.goFullScreen());
             r.input.click(r.pictureCentre(), 1, 2);
         },
         [](PictureRig& r) {
             EXPECT_TRUE(QTest::qWaitFor([&] { return !r.w.form->isFullScreen(); }, 5000));
             EXPECT_NE(r.player().DisplaySize(), MediaPlayer::FullScreen);
         }},
        {"Esc after a click on the picture in full screen brings the window back",
         [](PictureRig& r) {
             ASSERT_TRUE(r.goFullScreen());
             r.input.click(r.pictureCentre());
             r.input.key("Escape");
         },
         [](PictureRig& r) {
             EXPECT_TRUE(QTest::qWaitFor([&] { return !r.w.form->isFullScreen(); }, 5000));
             EXPECT_NE(r.player().DisplaySize(), MediaPlayer::FullScreen);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PictureRig rig;
        if (!rig.input.available())
            GTEST_SKIP() << "libXtst.so.6 makes the input";
        ASSERT_TRUE(rig.showPicture());
        row.act(rig);
        row.check(rig);
    }
}

TEST(X11Window, AKeyPressedAfterAClickOnThePictureComesFromThePane) {
    if (!NeedsX11())
        GTEST_SKIP() << "needs an X server (run under Xvfb with QT_QPA_PLATFORM=xcb)";
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the pictures";
    PictureRig rig;
    if (!rig.input.available())
        GTEST_SKIP() << "libXtst.so.6 makes the input";
    ASSERT_TRUE(rig.showPicture());
    QSignalSpy keys(&rig.player(), &MediaPlayer::KeyDown);
    rig.input.click(rig.pictureCentre());
    QWidget* focus = QApplication::focusWidget();
    EXPECT_EQ(focus, &rig.player()) << (focus ? focus->objectName().toStdString() : "none");
    // A key the window's own key table leaves to the focused control.
    rig.input.key("F3");
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys[0][0].toInt(), int(Qt::Key_F3));
    // The key handler hands the focus back to the list, as it always did.
    EXPECT_TRUE(rig.w.form->ListView1()->hasFocus());
}

// A splitter's drag shadow crosses the picture; a native window would hide a plain widget.
TEST(X11Window, TheSplitterShadowShowsOverThePicture) {
    if (!NeedsX11())
        GTEST_SKIP() << "needs an X server (run under Xvfb with QT_QPA_PLATFORM=xcb)";
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the pictures";
    PictureRig rig;
    if (!rig.input.available())
        GTEST_SKIP() << "libXtst.so.6 makes the input";
    ASSERT_TRUE(rig.showPicture());
    auto* slider = rig.w.form->findChild<QWidget*>(QStringLiteral("picSlider"));
    auto* shadow = rig.w.form->findChild<QWidget*>(QStringLiteral("picShadow"));
    ASSERT_TRUE(slider && shadow);
    QWindow* picture = rig.player().videoWindow();
    const QPoint grip = slider->mapToGlobal(QPoint(slider->width() / 2, picture->height() / 2));
    const QPoint over = picture->mapToGlobal(QPoint(picture->width() / 3, picture->height() / 2));
    rig.input.press(grip, 1);
    rig.input.moveTo({(grip.x() + over.x()) / 2, grip.y()});
    rig.input.moveTo(over);
    // The shadow follows the pointer and is then painted: wait for the screen to show it.
    const QColor shade = shadow->palette().color(QPalette::Window);
    QColor seen;
    const auto shown = [&] {
        if (!shadow->isVisible())
            return false;
        const QPoint mid = shadow->mapToGlobal(QPoint(shadow->width() / 2, 0));
        if (mid.x() <= picture->mapToGlobal(QPoint(0, 0)).x())
            return false;
        seen = picture->screen()->grabWindow(0, mid.x(), over.y(), 1, 1).toImage().pixelColor(0, 0);
        return seen == shade;
    };
    const bool overThePicture = QTest::qWaitFor(shown, 5000);
    rig.input.release(1);
    EXPECT_TRUE(overThePicture) << "the shadow is not over the picture: " << seen.name().toStdString();
}
