#pragma once

#include <QString>
#include <optional>

namespace tobimaru {

class Menus;
class PlaybackState;
class QuickPaths;
class StatusPanels;
class Toolbar;

/// Binds the menus, the toolbar and the status panels to the playback state, both ways: a check
/// the user or the program sets reaches the state, and every change of the state shows in the
/// menu checks, the buttons and panels 4 to 7. The current state is shown at once. All must
/// outlive the bindings (they end with the menus' and toolbar's objects).
void BindPlaybackViews(PlaybackState& state, Menus& menus, Toolbar& toolbar, StatusPanels& status);

/// Binds the `quickAccess` menu to the quick paths: the slot items `pass(0..6)`, the mode items
/// `QuickPathSet(0..2)` and the menu's caption.
void BindQuickPathMenu(QuickPaths& paths, Menus& menus);

/// The check of a menu item whose state lives in a model rather than in the menu ("Dspsize(i)",
/// "Opt(1)".."Opt(3)", "MnuLoop", "QuickPathSet(i)"), for the settings load and save: true when
/// `item` is one of those (the model was set), false for any other item. An index out of its
/// group throws Failure(SubscriptOutOfRange).
bool SetModelCheck(PlaybackState& state, QuickPaths& paths, const QString& item, bool on);
/// The model's check of such an item; nullopt for any other item.
std::optional<bool> ModelCheck(const PlaybackState& state, const QuickPaths& paths, const QString& item);

} // namespace tobimaru
