#include "ui/PaneLayout.h"

#include "ui/Twips.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>

namespace tobimaru {

namespace {

double HeightOf(const QWidget* w) {
    return w && !w->isHidden() ? PixelsToTwips(w->height()) : 0;
}

bool IsMouse(QEvent::Type t) {
    return t == QEvent::MouseButtonPress || t == QEvent::MouseMove || t == QEvent::MouseButtonRelease;
}

} // namespace

PaneLayout::PaneLayout(const Panes& panes, QObject* parent)
    : QObject(parent)
    , m_p(panes) {
    m_g = DesignedPanes(PixelsToTwips(m_p.toolBar->sizeHint().height()),
                        PixelsToTwips(m_p.address->sizeHint().height()));
    m_p.slider->installEventFilter(this);
    m_p.slider2->installEventFilter(this);
    m_p.slider->setCursor(Qt::SplitHCursor);
    m_p.slider2->setCursor(Qt::SplitVCursor);
    m_p.shadow->hide();
    m_p.shadow2->hide();
    apply();
}

double PaneLayout::clientWidth() const {
    return PixelsToTwips(m_p.window->width());
}

double PaneLayout::clientHeight() const {
    return PixelsToTwips(m_p.window->height()) - HeightOf(m_p.menuBar);
}

WindowMetrics PaneLayout::metrics() const {
    WindowMetrics m;
    m.clientWidth = clientWidth();
    m.clientHeight = clientHeight();
    const QRect outer = m_p.window->frameGeometry();
    m.windowWidth = PixelsToTwips(outer.width());
    m.windowHeight = PixelsToTwips(outer.height());
    m.toolbarHeight = HeightOf(m_p.toolBar);
    m.statusHeight = HeightOf(m_p.statusBar);
    m.minimized = m_p.window->isMinimized();
    m.maximized = m_p.window->isMaximized() || m_p.window->isFullScreen();
    return m;
}

void PaneLayout::place(QWidget* w, const PaneRect& r) const {
    // The rules count from the top of the client area; the panes sit in the central widget,
    // which starts below the toolbar.
    const int offset = m_p.client->mapTo(m_p.window, QPoint(0, 0)).y() -
                       (m_p.menuBar && !m_p.menuBar->isHidden() ? m_p.menuBar->height() : 0);
    w->setGeometry(TwipsToPixels(r.left), TwipsToPixels(r.top) - offset, std::max(0, TwipsToPixels(r.width)),
                   std::max(0, TwipsToPixels(r.height)));
}

void PaneLayout::apply() {
    if (m_alone) {
        m_p.player->setGeometry(m_p.client->rect());
        return;
    }
    place(m_p.address, m_g.address);
    place(m_p.tree, m_g.tree);
    place(m_p.slider2, m_g.slider2);
    place(m_p.list, m_g.list);
    place(m_p.slider, m_g.slider);
    place(m_p.player, m_g.player);
    place(m_p.shadow, m_g.shadow);
    place(m_p.shadow2, m_g.shadow2);
}

void PaneLayout::ApplySplitter() {
    m_p.shadow->hide();
    ApplySplitterRule(m_g, clientWidth());
    apply();
}

void PaneLayout::ApplySplitter2() {
    m_p.shadow2->hide();
    ApplySplitter2Rule(m_g, clientHeight(), metrics().windowHeight);
    apply();
}

ResizeOutcome PaneLayout::WindowResized() {
    const ResizeOutcome out = ResizeRule(m_g, metrics());
    if (!out.snapHeight)
        apply();
    return out;
}

void PaneLayout::setPlayerSize(double heightTwips, double widthTwips) {
    m_g.player.height = heightTwips;
    m_g.player.width = widthTwips;
    apply();
}

void PaneLayout::setPlayerAlone(bool alone) {
    m_alone = alone;
    for (QWidget* w : {m_p.address, m_p.tree, m_p.list, m_p.slider, m_p.slider2})
        w->setVisible(!alone);
    apply();
}

bool PaneLayout::eventFilter(QObject* watched, QEvent* event) {
    const bool vertical = watched == m_p.slider;
    if ((!vertical && watched != m_p.slider2) || !IsMouse(event->type()))
        return QObject::eventFilter(watched, event);
    const auto* me = static_cast<const QMouseEvent*>(event);
    bool& dragging = vertical ? m_dragging : m_dragging2;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        dragging = true;
        break;
    case QEvent::MouseMove:
        if (!dragging)
            break;
        if (vertical) {
            m_g.shadow.left = m_g.slider.left + PixelsToTwips(me->position().x());
            place(m_p.shadow, m_g.shadow);
            m_p.shadow->show();
            m_p.shadow->raise();
        } else {
            m_g.shadow2.top = m_g.slider2.top + PixelsToTwips(me->position().y());
            place(m_p.shadow2, m_g.shadow2);
            m_p.shadow2->show();
            m_p.shadow2->raise();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (!dragging)
            break;
        dragging = false;
        if (vertical)
            ApplySplitter();
        else
            ApplySplitter2();
        break;
    default:
        break;
    }
    return true;
}

} // namespace tobimaru
