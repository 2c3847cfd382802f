#include "input/KeyBindings.h"

namespace tobimaru {

KeyCommand WindowKeyCommand(int key, Qt::KeyboardModifiers modifiers, KeyPhase phase) {
    if (phase != KeyPhase::Release)
        return KeyCommand::None;
    switch (key) {
    case Qt::Key_F5:
        return KeyCommand::Refresh;
    case Qt::Key_Space:
        return (modifiers & Qt::ShiftModifier) ? KeyCommand::Stop : KeyCommand::PlayOrPause;
    case Qt::Key_F9:
        return KeyCommand::ToggleRepeat;
    case Qt::Key_F11:
        return KeyCommand::DisplayFit;
    case Qt::Key_F12:
        return KeyCommand::DisplayFull;
    default:
        return KeyCommand::None;
    }
}

KeyCommand ControlKeyCommand(KeyPlace place, int key, Qt::KeyboardModifiers modifiers, KeyPhase phase) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (place == KeyPlace::List) {
        if (phase == KeyPhase::Press) {
            if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down))
                return KeyCommand::Discard;
            if (key == Qt::Key_M)
                return KeyCommand::MoveFiles;
            if (ctrl && key == Qt::Key_A)
                return KeyCommand::SelectAll;
            return KeyCommand::None;
        }
        if (ctrl && key == Qt::Key_Up)
            return KeyCommand::PlayPrevious;
        if (ctrl && key == Qt::Key_Down)
            return KeyCommand::PlayNext;
        if (key == Qt::Key_Delete)
            return KeyCommand::DeleteFiles;
        return KeyCommand::None;
    }
    if (place == KeyPlace::Tree && phase == KeyPhase::Release) {
        switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            return KeyCommand::FocusTree;
        default:
            break;
        }
        // The folder commands take the plain letter only: Ctrl+M is no move.
        if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return KeyCommand::None;
        switch (key) {
        case Qt::Key_Delete:
            return KeyCommand::DeleteFolder;
        case Qt::Key_M:
            return KeyCommand::MoveFolder;
        case Qt::Key_K:
            return KeyCommand::MakeFolder;
        default:
            break;
        }
    }
    return KeyCommand::None;
}

bool IsCharacterKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    // Below 0x01000000 Qt key codes are the characters themselves; above are function keys.
    return key >= Qt::Key_Space && key < 0x01000000;
}

} // namespace tobimaru
