#pragma once

#include <QFrame>

class QLabel;

namespace tobimaru {

/// The start-up window: who and what the program is, shown while the main window loads.
/// A click on it or any key closes it at once.
class frmSplash final : public QFrame {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    /// `Label2`: written by the main window's load step with the player's start rate.
    void setSpeedText(const QString& text);
    QString speedText() const;
    QString versionText() const;
    QString productText() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_label2 = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_product = nullptr;
};

/// "V" + major.minor.revision of this build.
QString SplashVersionText();

} // namespace tobimaru
