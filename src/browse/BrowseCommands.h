#pragma once

namespace tobimaru {

class CommandTable;
class Navigation;
class QuickPaths;

/// Registers the go-to and refresh commands of the menus, the toolbar and F5, and the quick-path
/// menu's commands. Both objects must outlive the table's use.
void RegisterBrowseCommands(CommandTable& table, Navigation& nav, QuickPaths& quick);

} // namespace tobimaru
