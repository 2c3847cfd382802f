#include "input/PaneLayout.h"

#include "ui/Twips.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tobimaru {

namespace {
constexpr double kMargin = 60; // gap around the panes
constexpr double kBar = 75;    // thickness of a splitter bar
constexpr double kShadow = 25; // thickness of a drag shadow
} // namespace

PaneLayout::PaneLayout(const Panes& panes, QObject* parent)
    : QObject(parent)
    , m_p(panes) {
    m_p.client->installEventFilter(this);
    m_p.slider->installEventFilter(this);
    m_p.slider2->installEventFilter(this);
    m_p.slider->setCursor(Qt::SplitHCursor);
    m_p.slider2->setCursor(Qt::SplitVCursor);
    m_p.shadow->hide();
    m_p.shadow2->hide();
}

double PaneLayout::clientWidth() const {
    return PixelsToTwips(m_p.client->width());
}
double PaneLayout::clientHeight() const {
    return PixelsToTwips(m_p.client->height());
}

void PaneLayout::place(QWidget* w, double left, double top, double width, double height) {
    w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), std::max(0, TwipsToPixels(width)),
                   std::max(0, TwipsToPixels(height)));
}

void PaneLayout::ApplySplitter() {
    m_p.shadow->hide();
    const double cw = clientWidth();
    if (m_shadowLeft + 300 > cw)
        m_shadowLeft = cw - 300;
    if (m_shadowLeft - 300 < 0)
        m_shadowLeft = 300;
    Relayout();
}

void PaneLayout::ApplySplitter2() {
    m_p.shadow2->hide();
    const double ch = clientHeight();
    if (m_shadowTop + 500 > ch)
        m_shadowTop = ch - 500;
    if (m_shadowTop - 1000 < 0)
        m_shadowTop = 1000;
    Relayout();
}

void PaneLayout::Relayout() {
    const double cw = clientWidth();
    const double ch = clientHeight();
    if (m_alone) {
        m_p.player->setGeometry(m_p.client->rect());
        return;
    }
    const double barLeft = m_shadowLeft;
    const double columnWidth = std::round(barLeft - kMargin);
    const double addressHeight = PixelsToTwips(m_p.address->sizeHint().height());
    place(m_p.address, kMargin, kMargin, columnWidth - kMargin, addressHeight);
    const double treeTop = kMargin + addressHeight + kMargin;
    const double barTop = std::max(m_shadowTop, treeTop);
    place(m_p.tree, kMargin, treeTop, columnWidth - kMargin, barTop - treeTop);
    place(m_p.slider2, kMargin, barTop, columnWidth - kMargin, kBar);
    const double listTop = barTop + kBar;
    place(m_p.list, kMargin, listTop, columnWidth - kMargin, ch - listTop - kMargin);
    place(m_p.slider, barLeft, kMargin, kBar, ch - 2 * kMargin);
    const double playerLeft = barLeft + kBar;
    place(m_p.player, playerLeft, kMargin, cw - playerLeft - kMargin, ch - 2 * kMargin);
    m_p.shadow->setFixedWidth(TwipsToPixels(kShadow));
    place(m_p.shadow, m_shadowLeft, kMargin, kShadow, ch - 2 * kMargin);
    place(m_p.shadow2, kMargin, m_shadowTop, columnWidth - kMargin, kShadow);
}

void PaneLayout::setPlayerAlone(bool alone) {
    m_alone = alone;
    for (QWidget* w : {m_p.address, m_p.tree, m_p.list, m_p.slider, m_p.slider2})
        w->setVisible(!alone);
    Relayout();
}

bool PaneLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_p.client && event->type() == QEvent::Resize) {
        Relayout();
        return false;
    }
    const bool vertical = watched == m_p.slider;
    const bool horizontal = watched == m_p.slider2;
    if (!vertical && !horizontal)
        return QObject::eventFilter(watched, event);
    // Only mouse events are QMouseEvents: the bars get paint, enter and resize events as well.
    const auto* me = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
                             event->type() == QEvent::MouseButtonRelease
                         ? static_cast<const QMouseEvent*>(event)
                         : nullptr;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (me->button() == Qt::LeftButton)
            (vertical ? m_dragging : m_dragging2) = true;
        return true;
    case QEvent::MouseMove:
        if (vertical && m_dragging) {
            m_shadowLeft = PixelsToTwips(m_p.slider->x() + me->position().x());
            m_p.shadow->move(TwipsToPixels(m_shadowLeft), m_p.shadow->y());
            m_p.shadow->show();
            m_p.shadow->raise();
        } else if (horizontal && m_dragging2) {
            m_shadowTop = PixelsToTwips(m_p.slider2->y() + me->position().y());
            m_p.shadow2->move(m_p.shadow2->x(), TwipsToPixels(m_shadowTop));
            m_p.shadow2->show();
            m_p.shadow2->raise();
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (vertical && m_dragging) {
            m_dragging = false;
            ApplySplitter();
        } else if (horizontal && m_dragging2) {
            m_dragging2 = false;
            ApplySplitter2();
        }
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace tobimaru
