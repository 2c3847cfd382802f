#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace tobimaru {

/// The panes of the main window's client area and the two splitter bars between them.
struct Panes {
    QWidget* client = nullptr;  ///< the area below the toolbar and above the status bar
    QWidget* address = nullptr; ///< ImageCombo1
    QWidget* tree = nullptr;    ///< TreeView1
    QWidget* list = nullptr;    ///< ListView1
    QWidget* player = nullptr;  ///< MediaPlayer1
    QWidget* slider = nullptr;  ///< picSlider, the vertical bar
    QWidget* slider2 = nullptr; ///< picSlider2, the horizontal bar
    QWidget* shadow = nullptr;  ///< picShadow
    QWidget* shadow2 = nullptr; ///< picShadow2
};

/// Lays the left column and the player pane out from the two splitter positions. A drag moves
/// only the shadow bar; the panes follow when the button is released. Positions are twips of
/// the client area, so they mean the same at any DPI.
class PaneLayout final : public QObject {
    Q_OBJECT
public:
    explicit PaneLayout(const Panes& panes, QObject* parent = nullptr);

    /// The vertical layout: clamps the shadow 300 twips inside the client, then places the bar,
    /// the column and the player.
    void ApplySplitter();
    /// The horizontal layout: clamps the shadow (1000 from the top, 500 from the bottom), then
    /// places the tree, the bar and the list.
    void ApplySplitter2();
    /// Re-fits the panes to the client area after a resize.
    void Relayout();

    double shadowLeft() const { return m_shadowLeft; }
    double shadowTop() const { return m_shadowTop; }
    void setShadowLeft(double twips) { m_shadowLeft = twips; }
    void setShadowTop(double twips) { m_shadowTop = twips; }

    /// Hides or shows everything but the player (full screen shows the player alone).
    void setPlayerAlone(bool alone);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double clientWidth() const;
    double clientHeight() const;
    void place(QWidget* w, double left, double top, double width, double height);

    Panes m_p;
    double m_shadowLeft = 3900;
    double m_shadowTop = 4300;
    bool m_dragging = false;
    bool m_dragging2 = false;
    bool m_alone = false;
};

} // namespace tobimaru
