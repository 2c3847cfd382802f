#include "ui/StatusPanels.h"

#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>

namespace tobimaru {

StatusPanels::StatusPanels(QStatusBar* bar)
    : QObject(bar)
    , m_bar(bar) {
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    // Stretch factors give the counts and the file texts the room, the option panels their text.
    const int stretch[7] = {3, 2, 2, 0, 0, 0, 0};
    for (int i = 0; i < 7; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(stretch[i] ? 60 : 40);
        label->installEventFilter(this);
        bar->addPermanentWidget(label, stretch[i]);
        m_panels[static_cast<size_t>(i)] = label;
    }
    bar->installEventFilter(this);
}

void StatusPanels::setText(int panel, const QString& text) {
    if (panel >= 1 && panel <= 7)
        m_panels[static_cast<size_t>(panel - 1)]->setText(text);
}

QString StatusPanels::text(int panel) const {
    if (panel < 1 || panel > 7)
        return {};
    return m_panels[static_cast<size_t>(panel - 1)]->text();
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            Q_EMIT rightClicked(me->globalPosition().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tobimaru
