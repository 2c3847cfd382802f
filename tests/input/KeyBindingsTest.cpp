#include "input/KeyBindings.h"

#include <gtest/gtest.h>

using namespace tobimaru;

TEST(KeyBindings, WindowKeysActOnReleaseWhateverTheOtherModifiers)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        KeyPhase phase;
        KeyCommand expected;
    };
    const Case cases[] = {
        {Qt::Key_F5, Qt::NoModifier, KeyPhase::Release, KeyCommand::Refresh},
        {Qt::Key_F5, Qt::ControlModifier, KeyPhase::Release, KeyCommand::Refresh},
        {Qt::Key_F5, Qt::NoModifier, KeyPhase::Press, KeyCommand::None},
        {Qt::Key_Space, Qt::NoModifier, KeyPhase::Release, KeyCommand::PlayOrPause},
        {Qt::Key_Space, Qt::ControlModifier, KeyPhase::Release, KeyCommand::PlayOrPause},
        {Qt::Key_Space, Qt::ShiftModifier, KeyPhase::Release, KeyCommand::Stop},
        {Qt::Key_F9, Qt::NoModifier, KeyPhase::Release, KeyCommand::ToggleRepeat},
        {Qt::Key_F11, Qt::NoModifier, KeyPhase::Release, KeyCommand::DisplayFit},
        {Qt::Key_F12, Qt::NoModifier, KeyPhase::Release, KeyCommand::DisplayFull},
        {Qt::Key_F10, Qt::NoModifier, KeyPhase::Release, KeyCommand::None},
        {Qt::Key_Backspace, Qt::NoModifier, KeyPhase::Release, KeyCommand::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowKeyCommand(c.key, c.mods, c.phase), c.expected) << std::hex << c.key;
}

TEST(KeyBindings, ListAndTreeKeys)
{
    struct Case {
        KeyPlace place;
        int key;
        Qt::KeyboardModifiers mods;
        KeyPhase phase;
        KeyCommand expected;
    };
    const Case cases[] = {
        {KeyPlace::List, Qt::Key_Down, Qt::ControlModifier, KeyPhase::Press, KeyCommand::Discard},
        {KeyPlace::List, Qt::Key_Down, Qt::ControlModifier, KeyPhase::Release, KeyCommand::PlayNext},
        {KeyPlace::List, Qt::Key_Up, Qt::ControlModifier, KeyPhase::Release, KeyCommand::PlayPrevious},
        {KeyPlace::List, Qt::Key_Down, Qt::NoModifier, KeyPhase::Press, KeyCommand::None},
        {KeyPlace::List, Qt::Key_M, Qt::ShiftModifier, KeyPhase::Press, KeyCommand::MoveFiles},
        {KeyPlace::List, Qt::Key_A, Qt::ControlModifier, KeyPhase::Press, KeyCommand::SelectAll},
        {KeyPlace::List, Qt::Key_A, Qt::NoModifier, KeyPhase::Press, KeyCommand::None},
        {KeyPlace::List, Qt::Key_Delete, Qt::NoModifier, KeyPhase::Release, KeyCommand::DeleteFiles},
        {KeyPlace::Tree, Qt::Key_Left, Qt::NoModifier, KeyPhase::Release, KeyCommand::FocusTree},
        {KeyPlace::Tree, Qt::Key_Delete, Qt::NoModifier, KeyPhase::Release, KeyCommand::DeleteFolder},
        {KeyPlace::Tree, Qt::Key_K, Qt::NoModifier, KeyPhase::Release, KeyCommand::MakeFolder},
        {KeyPlace::Tree, Qt::Key_M, Qt::NoModifier, KeyPhase::Press, KeyCommand::None},
        {KeyPlace::Window, Qt::Key_M, Qt::NoModifier, KeyPhase::Press, KeyCommand::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ControlKeyCommand(c.place, c.key, c.mods, c.phase), c.expected) << std::hex << c.key;
    EXPECT_TRUE(IsCharacterKey(Qt::Key_A, Qt::NoModifier));
    EXPECT_TRUE(IsCharacterKey(Qt::Key_A, Qt::ShiftModifier));
    EXPECT_FALSE(IsCharacterKey(Qt::Key_A, Qt::ControlModifier));
    EXPECT_FALSE(IsCharacterKey(Qt::Key_F5, Qt::NoModifier));
    EXPECT_TRUE(IsCharacterKey(0x3042, Qt::NoModifier)); // あ from an input method
}
