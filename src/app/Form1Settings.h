#pragma once

#include "settings/SettingsHost.h"

namespace tobimaru {

class Form1;

/// The main window as the settings load and save see it: its menus, geometry and panes in
/// twips, and the drive and screen-saver services.
class Form1Settings final : public SettingsHost {
public:
    explicit Form1Settings(Form1& form);

    void setChecked(const QString& item, bool on) override;
    bool isChecked(const QString& item) const override;
    void setQuickPathItem(int index, const QString& caption, bool visible) override;
    QString quickPathCaption(int index) const override;
    void setWindowSize(int widthTwips, int heightTwips) override;
    void setWindowPosition(int leftTwips, int topTwips) override;
    QSize windowSizeTwips() const override;
    QSize screenSizeTwips() const override;
    void setWindowState(int state) override;
    int windowState() const override;
    double windowLeftTwips() const override;
    double windowTopTwips() const override;
    bool windowPositionKnown() const override;
    int normalWidthTwips() const override;
    int normalHeightTwips() const override;
    void setPlayerSize(double heightTwips, double widthTwips) override;
    double playerHeightTwips() const override;
    double playerWidthTwips() const override;
    void setShadowLeft(double twips) override;
    void setShadowTop(double twips) override;
    double shadowLeft() const override;
    double shadowTop() const override;
    std::optional<QString> selectedTreeKey() const override;
    QString currentDirectory() const override;
    QString driveName(const QString& path) const override;
    bool checkDriveReady(const QString& path) override;
    void setScreenSaverActive(bool active) override;

private:
    Form1& m_form;
};

} // namespace tobimaru
