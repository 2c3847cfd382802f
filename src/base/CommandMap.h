#pragma once

#include "base/CommandIds.h"
#include "base/KeyCommand.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tobimaru {

/// Which behaviour each source runs: a menu item by its control name ("Dspsize(3)"), a toolbar
/// button by its key ("再生"), a key by the key table's KeyCommand. This is the one place that
/// says so; the window, the tests and the command test read it.

/// The id of a menu item; nullopt for a name that is no item (or a separator).
std::optional<CommandId> CommandForMenuItem(const QString& name);
/// The id of a toolbar button; nullopt for an unknown key.
std::optional<CommandId> CommandForButton(const QString& key);
/// The id of a key; nullopt for None and Discard.
std::optional<CommandId> CommandForKey(KeyCommand key);

/// Every menu item name and every toolbar key the table knows, in table order.
QStringList MappedMenuItems();
QStringList MappedButtons();
/// Every KeyCommand, None and Discard included.
std::vector<KeyCommand> AllKeyCommands();

} // namespace tobimaru
