#pragma once

#include "ui/PaneRules.h"

#include <QObject>

class QWidget;

namespace tobimaru {

/// The main window's parts the layout works with. The panes and bars are children of `client`,
/// the central widget between the toolbar and the status bar.
struct Panes {
    QWidget* window = nullptr;  ///< the main window
    QWidget* menuBar = nullptr; ///< above the client area of the rules
    QWidget* toolBar = nullptr;
    QWidget* statusBar = nullptr;
    QWidget* client = nullptr;
    QWidget* address = nullptr; ///< ImageCombo1
    QWidget* tree = nullptr;    ///< TreeView1
    QWidget* list = nullptr;    ///< ListView1
    QWidget* player = nullptr;  ///< MediaPlayer1
    QWidget* slider = nullptr;  ///< picSlider, the vertical bar
    QWidget* slider2 = nullptr; ///< picSlider2, the horizontal bar
    QWidget* shadow = nullptr;  ///< picShadow
    QWidget* shadow2 = nullptr; ///< picShadow2
};

/// Lays the left column and the player pane out by the rules of PaneRules. A drag of a bar moves
/// only its shadow; the panes follow when the button is released. Lengths are twips of the
/// window's client area (the toolbar included), through the screen's logical DPI.
class PaneLayout final : public QObject {
    Q_OBJECT
public:
    /// Starts from the designed places; all parts must outlive the layout.
    explicit PaneLayout(const Panes& panes, QObject* parent = nullptr);

    /// The vertical splitter dropped where picShadow stands.
    void ApplySplitter();
    /// The horizontal splitter dropped where picShadow2 stands.
    void ApplySplitter2();
    /// The window's resize rule, once the window has its new size; the window acts on the
    /// outcome (the height snap, the normal size).
    ResizeOutcome WindowResized();

    double shadowLeft() const { return m_g.shadow.left; }
    double shadowTop() const { return m_g.shadow2.top; }
    /// A stored splitter place, taken by the next ApplySplitter / ApplySplitter2.
    void setShadowLeft(double twips) { m_g.shadow.left = twips; }
    void setShadowTop(double twips) { m_g.shadow2.top = twips; }
    /// The player's size, as stored; the next layouts may change it.
    void setPlayerSize(double heightTwips, double widthTwips);
    double playerHeight() const { return m_g.player.height; }
    double playerWidth() const { return m_g.player.width; }
    const PaneGeometry& geometry() const { return m_g; }

    /// Hides or shows everything but the player (full screen shows the player alone).
    void setPlayerAlone(bool alone);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowMetrics metrics() const;
    double clientWidth() const;
    double clientHeight() const;
    /// Puts every pane where the geometry says.
    void apply();
    void place(QWidget* w, const PaneRect& r) const;

    Panes m_p;
    PaneGeometry m_g;
    bool m_dragging = false;
    bool m_dragging2 = false;
    bool m_alone = false;
};

} // namespace tobimaru
