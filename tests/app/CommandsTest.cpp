// Every command a user can reach in the real window: the command table behind the menus and the
// toolbar, and the keys through the window's key preview.
#include "app/WindowRig.h"
#include "base/CommandMap.h"
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
#include <set>
#include <string>

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
// every handler is reached from an item, a button or a key.
TEST(Commands, EveryMenuItemToolbarButtonAndKeyHasAHandler) {
    WindowRig w;
    const CommandTable& table = w.form->commands();
    std::set<CommandId> reached;
    const auto check = [&](const std::optional<CommandId>& id, const std::string& source) {
        ASSERT_TRUE(id.has_value()) << source << " has no command";
        EXPECT_TRUE(table.has(*id)) << source << ": nothing registered for " << id->text();
        reached.insert(*id);
    };
    for (const QString& name : w.form->menus().itemNames()) {
        if (IsSeparator(w.form->menus(), name))
            continue;
        check(CommandForMenuItem(name), name.toStdString());
        EXPECT_TRUE(EnabledWhenShown(w.form->menus().item(name))) << name.toStdString();
    }
    for (const QString& key : w.form->toolbar().keys()) {
        check(CommandForButton(key), key.toStdString());
        EXPECT_TRUE(EnabledWhenShown(w.form->toolbar().button(key))) << key.toStdString();
    }
    for (const KeyCommand key : AllKeyCommands()) {
        if (key != KeyCommand::None && key != KeyCommand::Discard)
            check(CommandForKey(key), "key " + std::to_string(int(key)));
    }
    for (const CommandId id : table.ids())
        EXPECT_TRUE(reached.count(id)) << id.text() << " has a handler but no item, button or key";
}

// What a key ran: the commands in the order they acted, the menu item whose shortcut it is on the
// press and the key table's command on the release.
TEST(Commands, KeysReachTheirCommandThroughTheKeyPreview) {
    WindowRig w;
    w.start();
    QStringList ran;
    w.form->commands().setObserver([&](CommandId id) { ran << id.toString(); });
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
        {Qt::Key_F5, none, list, {"list.refresh"}},
        {Qt::Key_F5, ctrl, tree, {"list.refresh"}},
        {Qt::Key_F5, shift, address, {"list.refresh"}},
        {Qt::Key_F9, none, list, {"playback.repeatByKey"}},
        {Qt::Key_F9, none, address, {"playback.repeatByKey"}},
        {Qt::Key_F9, ctrl, address, {"playback.repeatByKey"}},
        {Qt::Key_Space, none, list, {"playback.playOrPauseIfListed"}},
        {Qt::Key_Space, ctrl, tree, {"playback.playOrPauseIfListed"}},
        {Qt::Key_Space, shift, tree, {"playback.stop"}},
        {Qt::Key_Space, none, address, {}}, // typing a path
        // F11 and F12 are menu shortcuts too: the menu on the press, the window on the release, the
        // same command twice.
        {Qt::Key_F11, none, tree, {"display.fit", "display.fit"}},
        {Qt::Key_F12, none, list, {"display.fullScreen", "display.fullScreen"}},
        {Qt::Key_F11, ctrl, list, {"display.fit"}},
        {Qt::Key_F12, shift, address, {"display.fullScreen"}},
        // The menu shortcuts act on the exact key alone, wherever the focus is.
        {Qt::Key_F1, none, list, {"option.mute"}},
        {Qt::Key_F1, shift, list, {}},
        {Qt::Key_F2, none, tree, {"option.onTop"}},
        {Qt::Key_F2, ctrl, tree, {}},
        {Qt::Key_F2, none, address, {"option.onTop"}},
        {Qt::Key_F6, none, list, {"go.documents"}},
        {Qt::Key_F6, ctrl, list, {}},
        {Qt::Key_F7, none, tree, {"go.desktop"}},
        {Qt::Key_F7, shift, tree, {}},
        {Qt::Key_F8, none, address, {"go.network"}},
        // Keys of the list and the tree.
        {Qt::Key_D, none, list, {}},
        {Qt::Key_Down, ctrl, list, {"playback.next"}},
        {Qt::Key_Up, ctrl, list, {"playback.previous"}},
        {Qt::Key_Down, ctrl, tree, {"tree.focus"}}, // Ctrl is not named: still an arrow
        {Qt::Key_A, ctrl, list, {"file.selectAll"}},
        {Qt::Key_M, none, list, {"file.move"}},
        {Qt::Key_Delete, none, list, {"file.deleteByKey"}},
        {Qt::Key_Delete, none, tree, {"folder.delete"}},
        {Qt::Key_M, none, tree, {"folder.move"}},
        {Qt::Key_K, none, tree, {"folder.make"}},
        {Qt::Key_Down, none, tree, {"tree.focus"}},
        {Qt::Key_Left, none, tree, {"tree.focus"}},
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
