#include "ui/Menus.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSlider>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace tobimaru;

namespace {

// Captions of a menu's visible-or-not entries in order, separators as "-".
QStringList Entries(const QMenu* m) {
    QStringList out;
    for (const QAction* a : m->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return out;
}

} // namespace

TEST(Menus, EveryItemStandsInItsPlaceWithCaptionAndShortcut) {
    QMainWindow w;
    Menus menus(w.menuBar(), &w);
    struct Row {
        const char* name;
        const char* caption;
        const char* shortcut;
        bool checkable;
        bool visible;
    };
    const Row rows[] = {
        {"QuickPathSet(1)", "最後まで見た時、記録する。", "", true, true},
        {"QuickPathClear", "クイックパスクリア(&C)", "", false, true},
        {"GoMydoc", "マイドキュメント(&M)", "F6", false, true},
        {"GoDeskTop", "デスクトップ(&D)", "F7", false, true},
        {"GoNetWtok", "ネットワーク", "F8", false, true},
        {"MnuDelFolder4", "フォルダ削除(DEL)", "", false, true},
        {"TreeViewIcon", "アイコン表示", "", true, false},
        {"Dspsize(0)", "ウィンドウに合わせる", "F11", true, true},
        {"Dspsize(4)", "フルスクリーン", "F12", true, true},
        {"Opt(1)", "ミュート", "F1", true, true},
        {"Opt(2)", "常に手前に表示", "F2", true, true},
        {"Opt(4)", "クイックパス連続再生", "", true, false},
        {"Opt(6)", "環境設定", "", false, true},
        {"MnuPrevios", "１つ前へ↑(&F)", "", false, true},
        {"MunNext", "１つ次へ↓(&N)", "", false, true},
        {"MnuLoop", "リピート再生", "", true, true},
        {"ExitTobimaru", "Tobimaruを終了する", "", false, true},
        {"pass(6)", "", "", false, false},
    };
    for (const Row& r : rows) {
        const QAction* a = menus.find(QString::fromUtf8(r.name));
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_EQ(a->text(), QString::fromUtf8(r.caption)) << r.name;
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(r.shortcut))) << r.name;
        EXPECT_EQ(a->isCheckable(), r.checkable) << r.name;
        EXPECT_EQ(a->isVisible(), r.visible) << r.name;
    }
    // quickAccess 23, DspOption 10, MnuPlayOpt 16.
    EXPECT_EQ(menus.itemNames().size(), 49);
}

TEST(Menus, BarHoldsTwoMenusAndSeparatorsFallWhereTheyShould) {
    QMainWindow w;
    Menus menus(w.menuBar(), &w);
    QStringList bar;
    for (const QAction* a : w.menuBar()->actions())
        bar << a->objectName();
    EXPECT_EQ(bar, (QStringList{"quickAccess", "DspOption"}));
    EXPECT_EQ(menus.menu("MnuPlayOpt")->title(), QStringLiteral("再生オプション"));
    EXPECT_EQ(menus.menu("quickAccess")->title(), QStringLiteral("クイックパスアクセス(&Q)"));
    EXPECT_EQ(Entries(menus.menu("quickAccess")), (QStringList{"pass(0)",
                                                               "pass(1)",
                                                               "pass(2)",
                                                               "pass(3)",
                                                               "pass(4)",
                                                               "pass(5)",
                                                               "pass(6)",
                                                               "-",
                                                               "QuickPathOnOff",
                                                               "QuickPathAdd",
                                                               "QuickPathClear",
                                                               "-",
                                                               "GoMydoc",
                                                               "GoDeskTop",
                                                               "GoNetWtok",
                                                               "GoFolder",
                                                               "-",
                                                               "GoExp",
                                                               "GoSearch",
                                                               "-",
                                                               "MnuMakeFolder",
                                                               "MnuMovFolder",
                                                               "MnuDelFolder4",
                                                               "-",
                                                               "MnuTreeView"}));
    EXPECT_EQ(Entries(menus.menu("DspOption")),
              (QStringList{"DspOpt", "Opt(1)", "Opt(2)", "Opt(3)", "Opt(4)", "-", "Opt(6)"}));
    EXPECT_EQ(Entries(menus.menu("MnuPlayOpt")), (QStringList{"MnuMoviePlay",
                                                              "MnuMovieStop",
                                                              "MnuPrevios",
                                                              "MunNext",
                                                              "MnuLoop",
                                                              "MunOpen",
                                                              "-",
                                                              "MnuListView",
                                                              "-",
                                                              "ReNameFile",
                                                              "MoveFile",
                                                              "DelFile",
                                                              "-",
                                                              "OpenRecycle",
                                                              "ClsRecycle",
                                                              "-",
                                                              "Listkousin",
                                                              "FilePopa",
                                                              "-",
                                                              "ExitTobimaru"}));
}

TEST(Menus, ItemsReportTheirControlNameAndMissingItemsFail) {
    QMainWindow w;
    Menus menus(w.menuBar(), &w);
    QSignalSpy spy(&menus, &Menus::command);
    menus.item("Dspsize(3)")->trigger();
    menus.item("MnuGrid")->trigger();
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy[0][0].toString(), "Dspsize(3)");
    EXPECT_EQ(spy[1][0].toString(), "MnuGrid");
    EXPECT_THROW(menus.item("Dspsize(7)"), std::exception);
}

TEST(Toolbar, ButtonsByKeyAndPosition) {
    QMainWindow w;
    auto* bar = new QToolBar(&w);
    Toolbar tb(bar);
    struct Row {
        int index;
        const char* key;
        bool checkable;
        bool visible;
    };
    const Row rows[] = {
        {1, "デスクトップ", false, true}, {5, "1つ上に", false, true},   {7, "ファイルビュー", true, true},
        {8, "解凍", false, false},        {9, "選択解凍", false, false}, {11, "再生", false, true},
        {17, "リピート再生", true, true}, {19, "昇順", true, true},      {22, "RateOne", false, true}};
    for (const Row& r : rows) {
        QAction* a = tb.buttonAt(r.index);
        ASSERT_NE(a, nullptr) << r.index;
        EXPECT_EQ(a, tb.button(QString::fromUtf8(r.key)));
        EXPECT_EQ(a->isCheckable(), r.checkable) << r.key;
        EXPECT_EQ(a->isVisible(), r.visible) << r.key;
    }
    for (int sep : {4, 10, 13, 16, 18, 21})
        EXPECT_EQ(tb.buttonAt(sep), nullptr) << sep;
    EXPECT_EQ(tb.button("再生")->toolTip(), QStringLiteral("再生を始めます。(Space）"));
    EXPECT_TRUE(tb.button("昇順")->isChecked());
    tb.button("降順")->trigger();
    EXPECT_FALSE(tb.button("昇順")->isChecked());
    EXPECT_EQ(tb.slider()->minimum(), 1);
    EXPECT_EQ(tb.slider()->maximum(), 40);
    EXPECT_EQ(tb.slider()->value(), 10);
    EXPECT_EQ(tb.slider()->tickInterval(), 5);
}

TEST(Menus, ListPopupShowsWhatTheListAllows) {
    QMainWindow w;
    Menus menus(w.menuBar(), &w);
    const QStringList playback{"MnuMoviePlay", "MnuMovieStop", "MnuPrevios", "MunNext", "MnuLoop"};
    const QStringList files{"MunOpen", "MnuIconSet", "FilePopa", "DelFile", "bar", "MoveFile", "ReNameFile"};
    struct Case {
        bool hasRows;
        bool fileView;
        bool playbackShown;
        bool filesShown;
    };
    for (const Case c :
         {Case{true, false, true, true}, Case{true, true, false, true}, Case{false, false, false, false}}) {
        AdjustListPopup(menus, c.hasRows, c.fileView);
        for (const QString& n : playback)
            EXPECT_EQ(menus.item(n)->isVisible(), c.playbackShown) << n.toStdString();
        for (const QString& n : files)
            EXPECT_EQ(menus.item(n)->isVisible(), c.filesShown) << n.toStdString();
        EXPECT_TRUE(menus.item("Listkousin")->isVisible());
    }
}
