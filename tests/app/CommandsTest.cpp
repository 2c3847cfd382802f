// Every command a user can reach in the real window: the command table behind the menus and the
// toolbar, and the keys through the window's key preview.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "input/KeyPreview.h"
#include "support/QtPrint.h"
#include "ui/Menus.h"
#include "ui/Toolbar.h"

#include <QAction>
#include <QComboBox>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <vector>

using namespace tobimaru;
using tobimaru::test::WindowRig;

namespace {

// Commands whose subsystems are not built yet: their items and buttons are shown disabled.
// Each issue that builds one takes its names off these lists.
const QStringList kNotBuilt = {"ReNameFile", "Opt(6)", "解凍", "選択解凍"};
const QList<KeyCommand> kKeysNotBuilt = {};

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

TEST(Commands, EveryMenuItemAndToolbarKeyHasAHandlerOrIsShownDisabled) {
    WindowRig w;
    const CommandTable& table = w.form->commands();
    QStringList seen;
    for (const QString& name : w.form->menus().itemNames()) {
        if (IsSeparator(w.form->menus(), name))
            continue;
        seen << name;
        const bool notBuilt = kNotBuilt.contains(name);
        EXPECT_EQ(table.has(name), !notBuilt) << name.toStdString();
        EXPECT_EQ(EnabledWhenShown(w.form->menus().item(name)), !notBuilt) << name.toStdString();
    }
    for (const QString& key : w.form->toolbar().keys()) {
        seen << key;
        const bool notBuilt = kNotBuilt.contains(key);
        EXPECT_EQ(table.has(key), !notBuilt) << key.toStdString();
        EXPECT_EQ(w.form->toolbar().button(key)->isEnabled(), !notBuilt) << key.toStdString();
    }
    for (const QString& name : kNotBuilt)
        EXPECT_TRUE(seen.contains(name))
            << name.toStdString() << " is on the not-built list but is no item or button";
    for (const QString& name : table.names())
        EXPECT_TRUE(seen.contains(name)) << name.toStdString() << " has a handler but no item or button";

    for (int k = int(KeyCommand::Refresh); k <= int(KeyCommand::MakeFolder); ++k) {
        const auto key = KeyCommand(k);
        EXPECT_EQ(w.form->commands().has(key), !kKeysNotBuilt.contains(key)) << k;
    }
}

TEST(Commands, KeysReachTheirCommandThroughTheKeyPreview) {
    WindowRig w;
    w.start();
    // std::vector: comparing two empty QLists passes a null pointer to memcmp in Qt 6.4.
    std::vector<KeyCommand> heard;
    QObject::connect(&w.form->keyPreview(), &KeyPreview::command, w.form.get(),
                     [&](KeyCommand c) { heard.push_back(c); });
    QWidget* list = w.form->ListView1();
    QWidget* tree = w.form->TreeView1();
    QWidget* address = w.form->ImageCombo1();

    const struct Row {
        int key;
        Qt::KeyboardModifiers modifiers;
        QWidget* focus;
        std::vector<KeyCommand> expected;
    } rows[] = {
        {Qt::Key_F5, Qt::NoModifier, list, {KeyCommand::Refresh}},
        {Qt::Key_F5, Qt::ControlModifier, tree, {KeyCommand::Refresh}},
        {Qt::Key_F9, Qt::NoModifier, list, {KeyCommand::ToggleRepeat}},
        {Qt::Key_F9, Qt::NoModifier, address, {KeyCommand::ToggleRepeat}},
        {Qt::Key_F11, Qt::NoModifier, tree, {KeyCommand::DisplayFit}},
        {Qt::Key_F12, Qt::NoModifier, list, {KeyCommand::DisplayFull}},
        {Qt::Key_Space, Qt::NoModifier, list, {KeyCommand::PlayOrPause}},
        {Qt::Key_Space, Qt::ShiftModifier, tree, {KeyCommand::Stop}},
        {Qt::Key_Space, Qt::NoModifier, address, {}},
        {Qt::Key_D, Qt::NoModifier, list, {}},
        {Qt::Key_Down, Qt::ControlModifier, list, {KeyCommand::PlayNext}},
        {Qt::Key_Up, Qt::ControlModifier, list, {KeyCommand::PlayPrevious}},
        {Qt::Key_A, Qt::ControlModifier, list, {KeyCommand::SelectAll}},
        {Qt::Key_M, Qt::NoModifier, list, {KeyCommand::MoveFiles}},
        {Qt::Key_Delete, Qt::NoModifier, list, {KeyCommand::DeleteFiles}},
        {Qt::Key_Delete, Qt::NoModifier, tree, {KeyCommand::DeleteFolder}},
        {Qt::Key_M, Qt::NoModifier, tree, {KeyCommand::MoveFolder}},
        {Qt::Key_K, Qt::NoModifier, tree, {KeyCommand::MakeFolder}},
        {Qt::Key_Down, Qt::NoModifier, tree, {KeyCommand::FocusTree}},
        {Qt::Key_F10, Qt::NoModifier, list, {}},
        {Qt::Key_Backspace, Qt::NoModifier, list, {}},
    };
    for (const Row& row : rows) {
        heard.clear();
        row.focus->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), row.focus)
            << row.focus->objectName().toStdString() << " " << std::hex << row.key;
        QTest::keyClick(row.focus, Qt::Key(row.key), row.modifiers);
        EXPECT_EQ(heard, row.expected)
            << "key " << std::hex << row.key << " in " << row.focus->objectName().toStdString();
    }
}
