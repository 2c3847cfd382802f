// Qt's folder dialog as the program opens it, next to a mount that does not answer. The dialog
// stats whatever it is handed, and what Qt's settings remember, on the window's thread: none of
// that may lie on such a mount.
#include "ui/MessageBoxPrompts.h"

#include "browse/BrowseFolder.h"
#include "support/HangingFuse.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tobimaru;

namespace {

struct SeenDialog {
    bool shown = false;
    QStringList sidebar; ///< local folders of the side bar
    QString directory;
};

// Opens the chooser; once the dialog is up, notes its side bar and folder and cancels it.
SeenDialog OpenAndCancel(MessageBoxPrompts& prompts, const QString& initial, int root) {
    SeenDialog seen;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&seen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.shown = true;
        for (const QUrl& url : dialog->sidebarUrls())
            seen.sidebar.append(url.toLocalFile());
        seen.directory = dialog->directory().absolutePath();
        dialog->reject();
    });
    poll.start();
    EXPECT_EQ(prompts.browseFolder(QStringLiteral("p"), initial, root), QString());
    return seen;
}

bool Under(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// What Qt's dialogs remember between them (a test folder of their own under the test mode).
struct DialogSettings {
    DialogSettings() { s.beginGroup(QStringLiteral("FileDialog")); }
    QSettings s{QSettings::UserScope, QStringLiteral("QtProject")};
};

// A fixed stand-in for the drives' test: everything under kDead is on a mount that is silent.
QString g_dead;
QStringList AllButDead(const QStringList& folders) {
    QStringList out;
    for (const QString& f : folders) {
        if (!Under(f, g_dead))
            out.append(f);
    }
    return out;
}

QString g_place;
QStringList OnePlace(int) {
    return {g_place};
}

} // namespace

TEST(Chooser, NothingOnASilentMountReachesTheDialog) {
    test::TempDir dir;
    g_dead = dir.mkdir("dead");
    g_place = dir.mkdir("place");
    const QString alive = dir.mkdir("alive");
    {
        DialogSettings d;
        d.s.setValue("lastVisited", QUrl::fromLocalFile(g_dead + "/x").toString());
        d.s.setValue("shortcuts", QStringList{QUrl::fromLocalFile(g_dead).toString(),
                                              "file:", QUrl::fromLocalFile(alive).toString()});
        d.s.setValue("history", QStringList{QUrl::fromLocalFile(g_dead + "/y").toString(),
                                            QUrl::fromLocalFile(alive).toString()});
    }
    MessageBoxPrompts prompts;
    prompts.setPlacesFunction(&OnePlace);
    prompts.setReachableFunction(&AllButDead);

    const struct {
        QString initial;
        QString opensIn;
    } cases[] = {
        {g_dead + "/x", g_place}, // gives way to the root's first place
        {QString(), g_place},     // never the working folder or the last dialog's folder
        {alive, dir.path()},      // preselected in its folder
    };
    for (const auto& c : cases) {
        const SeenDialog seen = OpenAndCancel(prompts, c.initial, kBrowseRootDesktop);
        ASSERT_TRUE(seen.shown) << c.initial.toStdString();
        EXPECT_EQ(seen.directory, c.opensIn) << c.initial.toStdString();
        EXPECT_EQ(seen.sidebar, QStringList{g_place});
    }
    // What Qt remembers for the next dialog holds nothing on the silent mount; the rest stays.
    const DialogSettings d;
    EXPECT_FALSE(Under(QUrl(d.s.value("lastVisited").toString()).toLocalFile(), g_dead));
    EXPECT_EQ(d.s.value("history").toStringList().filter(g_dead), QStringList());
    EXPECT_TRUE(d.s.value("shortcuts").toStringList().filter(g_dead).isEmpty());
}

TEST(Chooser, ANetworkMountThatHangsIsLeftOutAndNeverTouched) {
    test::TempDir dir;
    test::HangingFuse::Options options;
    options.subtype = QStringLiteral("sshfs");
    test::HangingFuse fuse(dir.mkdir("nas"), options);
    if (!fuse.mounted())
        GTEST_SKIP() << fuse.whyNot().toStdString();
    const QString nas = fuse.mountPoint();
    {
        DialogSettings d;
        d.s.setValue("lastVisited", QUrl::fromLocalFile(nas).toString());
        d.s.setValue("shortcuts", QStringList{QUrl::fromLocalFile(nas).toString()});
    }
    // The program's own: places from the live mount table, through the process's prober.
    MessageBoxPrompts prompts;
    prompts.setPlacesFunction(static_cast<MessageBoxPrompts::PlacesFunction>(&BrowsePlaces));
    for (const int root : {kBrowseRootNetwork, kBrowseRootDesktop, kBrowseRootNetwork}) {
        const SeenDialog seen = OpenAndCancel(prompts, nas + "/movies", root);
        ASSERT_TRUE(seen.shown) << root;
        EXPECT_FALSE(Under(seen.directory, nas)) << root;
        EXPECT_TRUE(seen.sidebar.filter(nas).isEmpty()) << root;
    }
    EXPECT_FALSE(fuse.callers().contains(::getpid())) << "the window's thread never called into it";
}
