#pragma once

#include "settings/SettingsHost.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

class QComboBox;
class QFrame;
class QProgressBar;
class QTimer;
class QTreeView;
class QTreeWidget;

namespace tobimaru {

class Menus;
class PaneLayout;
class Prompts;
class ScreenSaver;
class StatusPanels;
class Toolbar;
class frmSplash;

/// What the main window is given from outside: the prompts, the settings file, the services.
struct Form1Context {
    Prompts* prompts = nullptr;
    QString iniPath;
    ScreenSaver* screenSaver = nullptr;
};

/// The main window: it owns the controls and one object per subsystem, connects them, and runs
/// the load and unload sequences. The rules live in the subsystems.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(const Form1Context& context, QWidget* parent = nullptr);
    ~Form1() override;

    /// The load step: controls to their starting state, settings read and applied, the start
    /// folder opened. `splash` (may be null) shows the player's start rate.
    void Load(frmSplash* splash);
    /// The unload step; runs once, whether from the close box or the exit command.
    void Unload();
    bool unloaded() const { return m_unloaded; }
    /// The last start-up step: the tree opens down to the start folder.
    void StartupSelectTree();

    Menus& menus() const { return *m_menus; }
    Toolbar& toolbar() const { return *m_toolbar; }
    StatusPanels& status() const { return *m_status; }
    PaneLayout& layoutPanes() const { return *m_layout; }
    QTreeWidget* TreeView1() const { return m_tree; }
    QTreeView* ListView1() const { return m_list; }
    QWidget* MediaPlayer1() const { return m_player; }
    QComboBox* ImageCombo1() const { return m_address; }
    const RuntimeSettings& settings() const { return m_settings; }
    QString BaseCaption() const { return m_baseCaption; }

    /// Outer size the last time the window was resized in the normal state, in pixels.
    QSize normalSize() const { return m_normalSize; }
    /// The window's state as the settings file stores it: 0 normal, 1 minimised, 2 maximised.
    int storedWindowState() const;
    /// Sets the outer size (frame included); kept until the first show, when the window
    /// system's frame is known.
    void setOuterSize(const QSize& size);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void connectCommands();
    void onMenuCommand(const QString& group, int index);
    void applyChecksToControls();
    void setAlwaysOnTop(bool on);

    Form1Context m_ctx;
    RuntimeSettings m_settings;
    QString m_baseCaption;
    bool m_unloaded = false;
    bool m_loaded = false;
    QSize m_normalSize;
    QSize m_wantedOuterSize;
    bool m_shownOnce = false;

    Menus* m_menus = nullptr;
    Toolbar* m_toolbar = nullptr;
    StatusPanels* m_status = nullptr;
    PaneLayout* m_layout = nullptr;
    QComboBox* m_address = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeView* m_list = nullptr;
    QWidget* m_player = nullptr;
    QFrame* m_picSlider = nullptr;
    QFrame* m_picSlider2 = nullptr;
    QFrame* m_picShadow = nullptr;
    QFrame* m_picShadow2 = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;

    friend class Form1Settings;
};

} // namespace tobimaru
