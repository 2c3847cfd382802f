// Every command a user can reach in the real window: the command table behind the menus and the
// toolbar, and the keys through the window's key preview.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "input/KeyPreview.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/SlideShow.h"
#include "support/QtPrint.h"
#include "ui/Menus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QComboBox>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::PopupCloser;
using tobimaru::test::WindowRig;

namespace {

// Items that are separators in the menus' name list, not commands.
bool IsSeparator(const Menus& menus, const QString& name) {
    const QAction* a = menus.find(name);
    return a && a->isSeparator();
}

// A hidden item counts as disabled in Qt; what matters is how it stands once it is shown.
bool EnabledWhenShown(QAction* a) {
    const bool visible = a->isVisible();
    a->setVisible(true);
    const bool enabled = a->isEnabled();
    a->setVisible(visible);
    return enabled;
}

} // namespace

// Nothing a user clicks or presses does nothing: every item, button and key has its handler, and
// every handler is reached from an item or a button.
TEST(Commands, EveryMenuItemToolbarButtonAndKeyHasAHandler) {
    WindowRig w;
    const CommandTable& table = w.form->commands();
    QStringList seen;
    for (const QString& name : w.form->menus().itemNames()) {
        if (IsSeparator(w.form->menus(), name))
            continue;
        seen << name;
        EXPECT_TRUE(table.has(name)) << name.toStdString();
        EXPECT_TRUE(EnabledWhenShown(w.form->menus().item(name))) << name.toStdString();
    }
    for (const QString& key : w.form->toolbar().keys()) {
        seen << key;
        EXPECT_TRUE(table.has(key)) << key.toStdString();
        EXPECT_TRUE(EnabledWhenShown(w.form->toolbar().button(key))) << key.toStdString();
    }
    for (const QString& name : table.names())
        EXPECT_TRUE(seen.contains(name)) << name.toStdString() << " has a handler but no item or button";

    for (int k = int(KeyCommand::Refresh); k <= int(KeyCommand::MakeFolder); ++k) {
        const auto key = KeyCommand(k);
        EXPECT_TRUE(w.form->commands().has(key)) << k;
    }
}

// What a key ran: the key table's command (as KeyPreview hands it on) and the menu items whose
// shortcut it is, in the order they acted.
namespace {
QString KeyName(KeyCommand c) {
    static const char* const names[] = {
        "None",        "Discard",     "Refresh",      "PlayOrPause", "Stop",      "ToggleRepeat",
        "DisplayFit",  "DisplayFull", "PlayPrevious", "PlayNext",    "MoveFiles", "SelectAll",
        "DeleteFiles", "FocusTree",   "DeleteFolder", "MoveFolder",  "MakeFolder"};
    return QStringLiteral("key ") + QString::fromLatin1(names[int(c)]);
}
} // namespace

TEST(Commands, KeysReachTheirCommandThroughTheKeyPreview) {
    WindowRig w;
    w.start();
    QStringList ran;
    QObject::connect(&w.form->keyPreview(), &KeyPreview::command, w.form.get(),
                     [&](KeyCommand c) { ran << KeyName(c); });
    w.form->commands().setObserver([&](const QString& name, KeyCommand) {
        if (!name.isEmpty())
            ran << name;
    });
    QWidget* list = w.form->ListView1();
    QWidget* tree = w.form->TreeView1();
    QWidget* address = w.form->ImageCombo1();
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;

    const struct Row {
        int key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focus;
        QStringList expected;
    } rows[] = {
        // The window's own keys act on the release and ignore modifiers they do not name.
        {Qt::Key_F5, none, list, {"key Refresh"}},
        {Qt::Key_F5, ctrl, tree, {"key Refresh"}},
        {Qt::Key_F5, shift, address, {"key Refresh"}},
        {Qt::Key_F9, none, list, {"key ToggleRepeat"}},
        {Qt::Key_F9, none, address, {"key ToggleRepeat"}},
        {Qt::Key_F9, ctrl, address, {"key ToggleRepeat"}},
        {Qt::Key_Space, none, list, {"key PlayOrPause"}},
        {Qt::Key_Space, ctrl, tree, {"key PlayOrPause"}},
        {Qt::Key_Space, shift, tree, {"key Stop"}},
        {Qt::Key_Space, none, address, {}}, // typing a path
        // F11 and F12 are menu shortcuts too: the menu on the press, the window on the release.
        {Qt::Key_F11, none, tree, {"Dspsize(0)", "key DisplayFit"}},
        {Qt::Key_F12, none, list, {"Dspsize(4)", "key DisplayFull"}},
        {Qt::Key_F11, ctrl, list, {"key DisplayFit"}},
        {Qt::Key_F12, shift, address, {"key DisplayFull"}},
        // The menu shortcuts act on the exact key alone, wherever the focus is.
        {Qt::Key_F1, none, list, {"Opt(1)"}},
        {Qt::Key_F1, shift, list, {}},
        {Qt::Key_F2, none, tree, {"Opt(2)"}},
        {Qt::Key_F2, ctrl, tree, {}},
        {Qt::Key_F2, none, address, {"Opt(2)"}},
        {Qt::Key_F6, none, list, {"GoMydoc"}},
        {Qt::Key_F6, ctrl, list, {}},
        {Qt::Key_F7, none, tree, {"GoDeskTop"}},
        {Qt::Key_F7, shift, tree, {}},
        {Qt::Key_F8, none, address, {"GoNetWtok"}},
        // Keys of the list and the tree.
        {Qt::Key_D, none, list, {}},
        {Qt::Key_Down, ctrl, list, {"key PlayNext"}},
        {Qt::Key_Up, ctrl, list, {"key PlayPrevious"}},
        {Qt::Key_Down, ctrl, tree, {"key FocusTree"}}, // Ctrl is not named: still an arrow
        {Qt::Key_A, ctrl, list, {"key SelectAll"}},
        {Qt::Key_M, none, list, {"key MoveFiles"}},
        {Qt::Key_Delete, none, list, {"key DeleteFiles"}},
        {Qt::Key_Delete, none, tree, {"key DeleteFolder"}},
        {Qt::Key_M, none, tree, {"key MoveFolder"}},
        {Qt::Key_K, none, tree, {"key MakeFolder"}},
        {Qt::Key_Down, none, tree, {"key FocusTree"}},
        {Qt::Key_Left, none, tree, {"key FocusTree"}},
        // Nothing at all.
        {Qt::Key_F10, none, list, {}},
        {Qt::Key_F10, none, tree, {}},
        {Qt::Key_Backspace, none, list, {}},
        {Qt::Key_Backspace, none, tree, {}},
        {Qt::Key_F3, none, list, {}},
        {Qt::Key_F4, none, tree, {}},
    };
    for (const Row& row : rows) {
        ran.clear();
        row.focus->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), row.focus)
            << row.focus->objectName().toStdString() << " " << std::hex << row.key;
        QTest::keyClick(row.focus, Qt::Key(row.key), row.modifiers);
        EXPECT_EQ(ran, row.expected) << "key " << std::hex << row.key << " modifiers " << int(row.modifiers)
                                     << " in " << row.focus->objectName().toStdString();
    }
}

TEST(Commands, StatusBarRightClickOpensTheOptionMenuWithTheSlideshowWaiting) {
    WindowRig w;
    w.start();
    SlideShow& slides = w.form->playback().slideShow();
    slides.Enable();
    bool waitingWhileOpen = false;
    PopupCloser menus([&] { waitingWhileOpen = !slides.isEnabled(); });
    QTest::mouseClick(w.form->status().bar(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(menus.closed, QStringList{"DspOption"});
    EXPECT_TRUE(waitingWhileOpen);
    EXPECT_TRUE(slides.isEnabled()) << "running again once the menu is closed";
}
