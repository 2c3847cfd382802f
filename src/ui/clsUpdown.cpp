#include "ui/clsUpdown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tobimaru {

clsUpdown::clsUpdown(QObject* parent)
    : QObject(parent) {}

clsUpdown::~clsUpdown() {
    destroyControl();
}

void clsUpdown::destroyControl() {
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    delete m_control.data();
    m_control = nullptr;
}

bool clsUpdown::Create(QLineEdit* objTextBox, int Max, int Min) {
    destroyControl();
    if (!objTextBox || !objTextBox->parentWidget() || Min > Max)
        return false;
    m_buddy = objTextBox;
    m_min = Min;
    m_max = Max;
    m_position = std::clamp(1, Min, Max);

    auto* control = new QWidget(objTextBox->parentWidget());
    control->setObjectName(objTextBox->objectName() + QStringLiteral("_updown"));
    auto* layout = new QVBoxLayout(control);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct {
        Qt::ArrowType arrow;
        int steps;
        const char* name;
    } arrows[] = {{Qt::UpArrow, 1, "up"}, {Qt::DownArrow, -1, "down"}};
    for (const auto& a : arrows) {
        auto* button = new QToolButton(control);
        button->setObjectName(QString::fromLatin1(a.name));
        button->setArrowType(a.arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, steps = a.steps] { step(steps); });
    }
    const QRect box = objTextBox->geometry();
    control->setGeometry(box.left() + box.width() - 20, box.top() + 2, 18, std::max(0, box.height() - 4));
    control->setVisible(true);
    // The arrows lie over the box, not under it.
    control->raise();
    m_control = control;
    objTextBox->installEventFilter(this);
    return true;
}

void clsUpdown::step(int steps) {
    if (!m_buddy)
        return;
    bool ok = false;
    const int typed = m_buddy->text().trimmed().toInt(&ok);
    const long long from = ok ? typed : m_position;
    m_position = int(std::clamp<long long>(from + steps, m_min, m_max));
    m_buddy->setText(QString::number(m_position));
}

bool clsUpdown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tobimaru
