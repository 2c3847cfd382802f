#pragma once

#include <functional>

namespace tobimaru {

class CommandTable;
class Menus;
class Toolbar;

/// Menu items and toolbar buttons run their command from the table, each by the id CommandMap
/// gives its control name ("Dspsize(3)") or its key ("再生"). `beforeToolbar` runs ahead of every button's
/// command (the slideshow timer stops on any click). Every item and button has a command (the
/// window's command test walks them all); the table must outlive the menus and the toolbar.
void ConnectCommandSources(Menus& menus, Toolbar& toolbar, const CommandTable& table,
                           std::function<void()> beforeToolbar);

} // namespace tobimaru
