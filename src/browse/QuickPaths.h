#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

namespace tobimaru {

class CommandTable;
class Prompts;

/// The quick paths: up to seven remembered folders (`pass(0)` is the newest), and the recording
/// mode `QuickPathSet(0..2)` that decides which played folders enter. It holds them itself; the
/// window shows them in the `quickAccess` menu.
class QuickPaths final : public QObject {
    Q_OBJECT

public:
    static constexpr int kSlots = 7;

    struct Hooks {
        std::function<void(const QString&)> goToPath; ///< GoToPath(folder, true)
        std::function<QString()> currentFolder;       ///< GetTreeViewKey
        std::function<void()> stopSlideTimer;
    };

    QuickPaths(Prompts& prompts, Hooks hooks, QObject* parent = nullptr);

    /// A slot's folder ("" for an empty slot) and whether the menu shows it.
    QString caption(int slot) const;
    bool visible(int slot) const;
    /// Sets a slot as the settings load finds it; throws Failure(SubscriptOutOfRange) for a slot
    /// outside 0..6.
    void setSlot(int slot, const QString& text, bool visible);

    /// Adds a folder unless some slot holds exactly that text; a listed folder keeps its place.
    void UpdateFileMenu(const QString& path);
    /// True when some slot's caption is exactly the path (letter case counts).
    bool OnRecentFilesList(const QString& path) const;
    /// Puts the path into slot 0 and shifts the others down; slot 6's path drops out.
    void WriteRecentFiles(const QString& path);
    /// Makes `index` the recording mode (another value leaves none chosen, which records
    /// nothing) and names it in the menu's caption.
    void QuickPathSet_Click(int index);
    /// The recording mode: 0 every start, 1 after a file played to its end, 2 never (also while
    /// none is chosen).
    int mode() const;
    /// The chosen mode item 0..2, -1 when none is.
    int checkedMode() const { return m_mode; }
    /// The caption of the `quickAccess` menu for the current mode.
    QString menuTitle() const;
    void QuickPathAdd_Click();
    /// Asks first; anything but Cancel empties every slot.
    void QuickPathClear_Click();
    /// Goes to a slot's folder when it still exists; otherwise nothing happens.
    void pass_Click(int index);

    /// Registers the recording modes, add, clear and the slots; this object must outlive the
    /// table's use.
    void registerCommands(CommandTable& table);

Q_SIGNALS:
    void slotChanged(int slot);
    void modeChanged(int checkedMode);

private:
    struct Slot {
        QString text;
        bool visible = false;
    };

    Prompts& m_prompts;
    Hooks m_hooks;
    std::array<Slot, kSlots> m_slots;
    int m_mode = -1;
};

} // namespace tobimaru
