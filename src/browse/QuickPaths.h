#pragma once

#include <QString>
#include <functional>

namespace tobimaru {

class Menus;
class Prompts;

/// The quick paths: up to seven remembered folders in the `quickAccess` menu (`pass(0)` is the
/// newest), and the recording mode `QuickPathSet(0..2)` that decides which played folders enter.
class QuickPaths final {
public:
    struct Hooks {
        std::function<void(const QString&)> goToPath; ///< GoToPath(folder, true)
        std::function<QString()> currentFolder;       ///< GetTreeViewKey
        std::function<void()> stopSlideTimer;
    };

    QuickPaths(Menus& menus, Prompts& prompts, Hooks hooks);

    /// Adds a folder unless some slot holds exactly that text; a listed folder keeps its place.
    void UpdateFileMenu(const QString& path);
    /// True when some slot's caption is exactly the path (letter case counts).
    bool OnRecentFilesList(const QString& path) const;
    /// Puts the path into slot 0 and shifts the others down; slot 6's path drops out.
    void WriteRecentFiles(const QString& path);
    /// Makes `index` the recording mode and names it in the menu's caption.
    void QuickPathSet_Click(int index);
    /// The checked recording mode (0 every start, 1 after a file played to its end, 2 never).
    int mode() const;
    void QuickPathAdd_Click();
    /// Asks first; anything but Cancel empties every slot.
    void QuickPathClear_Click();
    /// Goes to a slot's folder when it still exists; otherwise nothing happens.
    void pass_Click(int index);

private:
    QString caption(int slot) const;
    void setSlot(int slot, const QString& text, bool visible);

    Menus& m_menus;
    Prompts& m_prompts;
    Hooks m_hooks;
};

} // namespace tobimaru
