#pragma once

#include "base/KeyCommand.h"

#include <Qt>

namespace tobimaru {

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
