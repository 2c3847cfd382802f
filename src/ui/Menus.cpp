#include "ui/Menus.h"

#include "base/ErrorTable.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

namespace tobimaru {

std::pair<QString, int> SplitItemName(const QString& name) {
    static const QRegularExpression indexed(QStringLiteral("^(.+)\\((\\d+)\\)$"));
    const auto m = indexed.match(name);
    if (!m.hasMatch())
        return {name, -1};
    return {m.captured(1), m.captured(2).toInt()};
}

Menus::Menus(QMenuBar* bar, QWidget* shortcutOwner)
    : QObject(shortcutOwner)
    , m_owner(shortcutOwner) {
    // quickAccess
    QMenu* quick =
        addMenu(nullptr, QStringLiteral("quickAccess"), QStringLiteral("クイックパスアクセス(&Q)"));
    for (int i = 0; i <= 6; ++i)
        addItem(quick, QStringLiteral("pass(%1)").arg(i), QString())->setVisible(false);
    quick->addSeparator();
    QMenu* onOff = addMenu(quick, QStringLiteral("QuickPathOnOff"), QStringLiteral("クイックパス記録"));
    addItem(onOff, QStringLiteral("QuickPathSet(0)"), QStringLiteral("毎回記録する。"), {}, true);
    addItem(onOff, QStringLiteral("QuickPathSet(1)"), QStringLiteral("最後まで見た時、記録する。"), {}, true);
    addItem(onOff, QStringLiteral("QuickPathSet(2)"), QStringLiteral("まったく登録しない。"), {}, true);
    addItem(quick, QStringLiteral("QuickPathAdd"), QStringLiteral("クイックパスに現在のパスを追加"));
    addItem(quick, QStringLiteral("QuickPathClear"), QStringLiteral("クイックパスクリア(&C)"));
    quick->addSeparator();
    addItem(quick, QStringLiteral("GoMydoc"), QStringLiteral("マイドキュメント(&M)"), QStringLiteral("F6"));
    addItem(quick, QStringLiteral("GoDeskTop"), QStringLiteral("デスクトップ(&D)"), QStringLiteral("F7"));
    addItem(quick, QStringLiteral("GoNetWtok"), QStringLiteral("ネットワーク"), QStringLiteral("F8"));
    addItem(quick, QStringLiteral("GoFolder"), QStringLiteral("フォルダ選択"));
    quick->addSeparator();
    addItem(quick, QStringLiteral("GoExp"), QStringLiteral("エクスプローラ(&X)"));
    addItem(quick, QStringLiteral("GoSearch"), QStringLiteral("検索(&F)"));
    quick->addSeparator();
    addItem(quick, QStringLiteral("MnuMakeFolder"), QStringLiteral("フォルダ作成(K)"));
    addItem(quick, QStringLiteral("MnuMovFolder"), QStringLiteral("フォルダ移動(M)"));
    addItem(quick, QStringLiteral("MnuDelFolder4"), QStringLiteral("フォルダ削除(DEL)"));
    quick->addSeparator();
    QMenu* treeView = addMenu(quick, QStringLiteral("MnuTreeView"), QStringLiteral("ツリービュー"));
    addItem(treeView, QStringLiteral("TreeViewLine"), QStringLiteral("ライン表示"), {}, true);
    addItem(treeView, QStringLiteral("TreeViewIcon"), QStringLiteral("アイコン表示"), {}, true)
        ->setVisible(false);

    // DspOption
    QMenu* dsp = addMenu(nullptr, QStringLiteral("DspOption"), QStringLiteral("オプション(&O)"));
    QMenu* dspOpt = addMenu(dsp, QStringLiteral("DspOpt"), QStringLiteral("画面サイズ"));
    addItem(dspOpt, QStringLiteral("Dspsize(0)"), QStringLiteral("ウィンドウに合わせる"),
            QStringLiteral("F11"), true);
    addItem(dspOpt, QStringLiteral("Dspsize(1)"), QStringLiteral("50%"), {}, true);
    addItem(dspOpt, QStringLiteral("Dspsize(2)"), QStringLiteral("100%"), {}, true);
    addItem(dspOpt, QStringLiteral("Dspsize(3)"), QStringLiteral("200%"), {}, true);
    addItem(dspOpt, QStringLiteral("Dspsize(4)"), QStringLiteral("フルスクリーン"), QStringLiteral("F12"),
            true);
    addItem(dsp, QStringLiteral("Opt(1)"), QStringLiteral("ミュート"), QStringLiteral("F1"), true);
    addItem(dsp, QStringLiteral("Opt(2)"), QStringLiteral("常に手前に表示"), QStringLiteral("F2"), true);
    addItem(dsp, QStringLiteral("Opt(3)"), QStringLiteral("スライドショーを行う"), {}, true);
    addItem(dsp, QStringLiteral("Opt(4)"), QStringLiteral("クイックパス連続再生"), {}, true)
        ->setVisible(false);
    dsp->addSeparator()->setObjectName(QStringLiteral("Opt(5)"));
    addItem(dsp, QStringLiteral("Opt(6)"), QStringLiteral("環境設定"));

    // MnuPlayOpt: a pop-up of the file list, never in the bar.
    QMenu* play = addMenu(nullptr, QStringLiteral("MnuPlayOpt"), QStringLiteral("再生オプション"));
    addItem(play, QStringLiteral("MnuMoviePlay"), QStringLiteral("再生/一時停止(&P)"));
    addItem(play, QStringLiteral("MnuMovieStop"), QStringLiteral("停止"));
    addItem(play, QStringLiteral("MnuPrevios"), QStringLiteral("１つ前へ↑(&F)"));
    addItem(play, QStringLiteral("MunNext"), QStringLiteral("１つ次へ↓(&N)"));
    addItem(play, QStringLiteral("MnuLoop"), QStringLiteral("リピート再生"), {}, true);
    addItem(play, QStringLiteral("MunOpen"), QStringLiteral("開く"));
    QAction* playSeparator = play->addSeparator();
    playSeparator->setObjectName(QStringLiteral("bar"));
    m_items.insert(QStringLiteral("bar"), playSeparator);
    QMenu* listView = addMenu(play, QStringLiteral("MnuListView"), QStringLiteral("リストビュー"));
    addItem(listView, QStringLiteral("MnuGrid"), QStringLiteral("グリッド線"), {}, true);
    addItem(listView, QStringLiteral("MnuIconSet"), QStringLiteral("アイコン表示"), {}, true);
    play->addSeparator();
    addItem(play, QStringLiteral("ReNameFile"), QStringLiteral("拡張子の変更"));
    addItem(play, QStringLiteral("MoveFile"), QStringLiteral("ファイル移動(M)"));
    addItem(play, QStringLiteral("DelFile"), QStringLiteral("ファイル削除(Del)"));
    play->addSeparator();
    addItem(play, QStringLiteral("OpenRecycle"), QStringLiteral("ごみ箱を開く"));
    addItem(play, QStringLiteral("ClsRecycle"), QStringLiteral("ごみ箱を空にする"));
    play->addSeparator();
    addItem(play, QStringLiteral("Listkousin"), QStringLiteral("最新の情報に更新"));
    addItem(play, QStringLiteral("FilePopa"), QStringLiteral("プロパティ(&R)"));
    play->addSeparator();
    addItem(play, QStringLiteral("ExitTobimaru"), QStringLiteral("Tobimaruを終了する"));

    bar->addMenu(quick);
    bar->addMenu(dsp);
}

QMenu* Menus::addMenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* m = parent ? parent->addMenu(caption) : new QMenu(caption, m_owner);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m_menus.insert(name, m);
    return m;
}

QAction* Menus::addItem(QMenu* menu, const QString& name, const QString& caption, const QString& shortcut,
                        bool checkable) {
    auto* a = new QAction(caption, menu);
    a->setObjectName(name);
    a->setCheckable(checkable);
    if (!shortcut.isEmpty()) {
        a->setShortcut(QKeySequence(shortcut));
        // The window holds the shortcut too, so it acts while the menu is closed.
        a->setShortcutContext(Qt::WindowShortcut);
        m_owner->addAction(a);
    }
    menu->addAction(a);
    m_items.insert(name, a);
    m_order << name;
    connect(a, &QAction::triggered, this, [this, name] { Q_EMIT command(name); });
    return a;
}

void AdjustListPopup(Menus& menus, bool hasRows, bool fileView) {
    for (const char* name : {"MnuMoviePlay", "MnuMovieStop", "MnuPrevios", "MunNext", "MnuLoop"})
        menus.item(QString::fromLatin1(name))->setVisible(hasRows && !fileView);
    for (const char* name : {"MunOpen", "MnuIconSet", "FilePopa", "DelFile", "bar", "MoveFile", "ReNameFile"})
        menus.item(QString::fromLatin1(name))->setVisible(hasRows);
}

QAction* Menus::find(const QString& name) const {
    return m_items.value(name, nullptr);
}

QAction* Menus::item(const QString& name) const {
    QAction* a = find(name);
    if (!a)
        throw Failure(ErrorCode::SubscriptOutOfRange, "menu item");
    return a;
}

QMenu* Menus::menu(const QString& name) const {
    return m_menus.value(name, nullptr);
}

bool Menus::isChecked(const QString& name) const {
    return item(name)->isChecked();
}

void Menus::setChecked(const QString& name, bool on) {
    item(name)->setChecked(on);
}

} // namespace tobimaru
