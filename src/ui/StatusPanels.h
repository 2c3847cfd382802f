#pragma once

#include <QObject>
#include <QString>
#include <array>

class QLabel;
class QStatusBar;

namespace tobimaru {

/// `StatusBar1` with its seven numbered panels (1 counts, 4 display size, 5 mute, 6 always on
/// top, 7 speed; 2 and 3 kept for the playing file's texts).
class StatusPanels final : public QObject {
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    /// Panel numbers run 1 to 7; others are ignored.
    void setText(int panel, const QString& text);
    QString text(int panel) const;
    QStatusBar* bar() const { return m_bar; }

Q_SIGNALS:
    /// A right-button click anywhere on the bar, at a global position.
    void rightClicked(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStatusBar* m_bar = nullptr;
    std::array<QLabel*, 7> m_panels{};
};

} // namespace tobimaru
