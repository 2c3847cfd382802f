#pragma once

#include "base/KeyCommand.h"

#include <QString>

namespace tobimaru {
class CommandTable;
}

namespace tobimaru::test {

/// Runs what a menu item, a toolbar button or a key runs, through the same map as the window.
/// False when the source has no command or its command has no handler.
bool ExecuteMenuItem(const CommandTable& table, const QString& name);
bool ExecuteButton(const CommandTable& table, const QString& key);
bool ExecuteKey(const CommandTable& table, KeyCommand key);

} // namespace tobimaru::test
