#pragma once

#include "settings/SettingsHost.h"
#include "support/TempDir.h"

#include <QMap>
#include <QStringList>
#include <array>

namespace tobimaru::test {

/// A main window stand-in for the settings load and save: keeps every value it is given, logs
/// the calls in order, and has exactly the menu items the real window has.
class FakeSettingsHost final : public SettingsHost {
public:
    FakeSettingsHost();

    void setChecked(const QString& item, bool on) override;
    bool isChecked(const QString& item) const override;
    void setQuickPathItem(int index, const QString& caption, bool visible) override;
    QString quickPathCaption(int index) const override;
    void setWindowSize(int widthTwips, int heightTwips) override;
    void setWindowPosition(int leftTwips, int topTwips) override;
    QSize windowSizeTwips() const override { return {width, height}; }
    QSize screenSizeTwips() const override { return screen; }
    void setWindowState(int state) override;
    int windowState() const override { return state; }
    double windowLeftTwips() const override { return left + fractionLeft; }
    double windowTopTwips() const override { return top + fractionTop; }
    bool windowPositionKnown() const override { return positionKnown; }
    int normalWidthTwips() const override { return normalWidth; }
    int normalHeightTwips() const override { return normalHeight; }
    void setPlayerSize(double heightTwips, double widthTwips) override;
    double playerHeightTwips() const override { return playerHeight; }
    double playerWidthTwips() const override { return playerWidth; }
    void setShadowLeft(double twips) override;
    void setShadowTop(double twips) override;
    double shadowLeft() const override { return shadowLeftValue; }
    double shadowTop() const override { return shadowTopValue; }
    std::optional<QString> selectedTreeKey() const override { return selected; }
    QString currentDirectory() const override { return cwd; }
    QString driveName(const QString& path) const override;
    bool checkDriveReady(const QString& path) override;
    void setScreenSaverActive(bool active) override;

    QMap<QString, bool> checks;
    std::array<QString, 7> captions;
    std::array<bool, 7> visible{};
    int left = -1, top = -1, width = -1, height = -1, state = -1;
    /// Added to the position the window reports, as a platform with finer units would.
    double fractionLeft = 0, fractionTop = 0;
    /// The window takes no width beyond this, like a window manager would.
    int maxWidth = 1 << 30;
    /// False plays a Wayland session, where the position is neither read nor set.
    bool positionKnown = true;
    QSize screen{19200, 14400};
    int normalWidth = 0, normalHeight = 0;
    double playerHeight = -1, playerWidth = -1;
    double shadowLeftValue = -1, shadowTopValue = -1;
    std::optional<QString> selected;
    /// The process's current directory: a real folder, since the load checks that the tree
    /// can show the folder it starts in.
    TempDir home;
    QString cwd = home.mkdir(QStringLiteral("videos"));
    /// Mount points, longest match wins; "/" always.
    QStringList mounts{QStringLiteral("/")};
    QStringList notReady;
    /// Every call that changes something or asks the user, in order.
    QStringList log;
};

} // namespace tobimaru::test
