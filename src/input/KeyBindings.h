#pragma once

#include <Qt>

namespace tobimaru {

/// What a key does in the main window. The window turns each into a call on a subsystem.
enum class KeyCommand {
    None,
    Discard,      ///< swallowed: the key must not reach the control
    Refresh,      ///< F5
    PlayOrPause,  ///< Space without Shift
    Stop,         ///< Shift+Space
    ToggleRepeat, ///< F9
    DisplayFit,   ///< F11
    DisplayFull,  ///< F12
    PlayPrevious, ///< Ctrl+Up in the list
    PlayNext,     ///< Ctrl+Down in the list
    MoveFiles,    ///< M in the list
    SelectAll,    ///< Ctrl+A in the list
    DeleteFiles,  ///< Delete in the list
    FocusTree,    ///< arrows in the tree
    DeleteFolder, ///< Delete in the tree
    MoveFolder,   ///< M in the tree
    MakeFolder,   ///< K in the tree
};

enum class KeyPhase { Press, Release };
enum class KeyPlace { Window, List, Tree };

/// The window's own bindings, previewed whatever control has the focus: they act on the key
/// release and test Ctrl or Shift only where a binding names them (Ctrl+F5 still refreshes).
KeyCommand WindowKeyCommand(int key, Qt::KeyboardModifiers modifiers, KeyPhase phase);

/// The bindings of the file list and the folder tree, on top of the window's.
KeyCommand ControlKeyCommand(KeyPlace place, int key, Qt::KeyboardModifiers modifiers, KeyPhase phase);

/// True for a key press that types a character: the window and the list discard those (no
/// type-ahead search).
bool IsCharacterKey(int key, Qt::KeyboardModifiers modifiers);

} // namespace tobimaru
