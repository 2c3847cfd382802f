#pragma once

#include "base/RuntimeSettings.h"

#include <QSize>
#include <QString>
#include <optional>

namespace tobimaru {

/// What the settings load and save touch outside the settings file: the main window's menus,
/// geometry and panes, and the few system services the load calls. The main window implements
/// it; tests give a recording fake. Sizes and positions are twips.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;

    /// Menu check marks by item name: "Dspsize(0)".."Dspsize(4)", "Opt(1)".."Opt(3)", "MnuGrid",
    /// "MnuIconSet", "TreeViewLine", "QuickPathSet(0)".."QuickPathSet(2)". An item that does not
    /// exist (say "Dspsize(7)") throws Failure(ErrorCode::SubscriptOutOfRange).
    virtual void setChecked(const QString& item, bool on) = 0;
    virtual bool isChecked(const QString& item) const = 0;

    /// Quick-path items pass(0)..pass(6).
    virtual void setQuickPathItem(int index, const QString& caption, bool visible) = 0;
    virtual QString quickPathCaption(int index) const = 0;

    virtual void setWindowSize(int widthTwips, int heightTwips) = 0;
    virtual void setWindowPosition(int leftTwips, int topTwips) = 0;
    /// The window's current outer size (after setWindowSize).
    virtual QSize windowSizeTwips() const = 0;
    virtual QSize screenSizeTwips() const = 0;
    /// 0 normal, 1 minimised, 2 maximised.
    virtual void setWindowState(int state) = 0;
    virtual int windowState() const = 0;
    virtual double windowLeftTwips() const = 0;
    virtual double windowTopTwips() const = 0;
    /// False where the window system neither tells nor takes a window's position (Wayland): the
    /// load then leaves the window where the desktop puts it, and the save keeps the stored
    /// position, since what the window reports there is not where it stands.
    virtual bool windowPositionKnown() const = 0;
    /// Outer size the last time the window was resized in the normal state.
    virtual int normalWidthTwips() const = 0;
    virtual int normalHeightTwips() const = 0;

    /// The player control `MediaPlayer1`.
    virtual void setPlayerSize(double heightTwips, double widthTwips) = 0;
    virtual double playerHeightTwips() const = 0;
    virtual double playerWidthTwips() const = 0;

    /// The splitters' drag shadows `picShadow` (left) and `picShadow2` (top).
    virtual void setShadowLeft(double twips) = 0;
    virtual void setShadowTop(double twips) = 0;
    virtual double shadowLeft() const = 0;
    virtual double shadowTop() const = 0;

    /// The key of the tree's selected node; nullopt when no node is selected.
    virtual std::optional<QString> selectedTreeKey() const = 0;

    /// The process's current directory.
    virtual QString currentDirectory() const = 0;
    /// The drive (mount point) of a path.
    virtual QString driveName(const QString& path) const = 0;
    /// Tells the user why a drive is not ready and returns false; true when it is.
    virtual bool checkDriveReady(const QString& path) = 0;
    /// Switches the desktop's screen saver on or off; shows its own message on failure.
    virtual void setScreenSaverActive(bool active) = 0;
};

} // namespace tobimaru
