#pragma once

namespace tobimaru {

/// What a key does in the main window. The key table gives one for each binding; the command table runs the
/// handler that the owning subsystem registered for it.
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

/// The last of them; a new one goes before it or moves this along.
inline constexpr KeyCommand kLastKeyCommand = KeyCommand::MakeFolder;

} // namespace tobimaru
