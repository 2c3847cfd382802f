#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QActionGroup;
class QSlider;
class QToolBar;

namespace tobimaru {

/// `Toolbar1`: the 22 buttons of the main window, told apart by their key, with the speed
/// slider `Slider1` on the same row.
class Toolbar final : public QObject {
    Q_OBJECT
public:
    explicit Toolbar(QToolBar* bar);

    /// The button of that key ("再生", "ファイルビュー", ...), or nullptr.
    QAction* button(const QString& key) const { return m_buttons.value(key, nullptr); }
    /// The button at a 1-based position (separators count), or nullptr for a separator.
    QAction* buttonAt(int index) const;
    /// Every button's key, left to right.
    QStringList keys() const;
    QSlider* slider() const { return m_slider; }
    QToolBar* bar() const { return m_bar; }

    /// Puts the picture of an image key on a button.
    void setImage(const QString& key, const QString& imageKey);
    /// True while the check button "ファイルビュー" is down.
    bool fileViewPressed() const;
    /// `Slider1` 6360 twips from the bar's left while file view shows the extraction buttons,
    /// else 5520; a button that reaches further (a wide style or font) pushes it on.
    void placeSlider(bool fileView);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    /// A click on a button, by its key.
    void buttonClicked(const QString& key);

private:
    void layoutSlider();

    QToolBar* m_bar = nullptr;
    QSlider* m_slider = nullptr;
    double m_sliderLeftTwips = 5520;
    QActionGroup* m_order = nullptr;
    QHash<QString, QAction*> m_buttons;
    QList<QAction*> m_positions;
};

} // namespace tobimaru
