#include "platform/InputGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <memory>
#include <utility>

namespace tobimaru {

namespace {

// Loops on the main thread that keep user input queued, counted while they run.
int theExcludingLoops = 0;

bool OnMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

int LoopLevel() {
    return QThread::currentThread()->loopLevel();
}

// Qt makes mouse events of a touch or a pen that nobody took, but only as it comes from the
// window system, never when it is handed on later: such input is refused here, and held as the
// mouse events made of it.
bool HeldAsMouse(QEvent::Type type) {
    switch (type) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// What a user does, as it reaches the program. Spontaneous only: what the program sends its own
// widgets is its own doing, not the user's. A shortcut is sent by Qt's shortcut map, and an
// input method's text by the input method, never spontaneously; both stand for keys.
bool IsUserInput(const QEvent& event) {
    switch (event.type()) {
    case QEvent::Shortcut:
    case QEvent::InputMethod:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::NativeGesture:
    case QEvent::Close:
        return event.spontaneous();
    default:
        return HeldAsMouse(event.type()) && event.spontaneous();
    }
}

// Wakes a gate to hand on the next held event.
QEvent::Type ReplayEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

std::vector<InputGate*> theGates;

} // namespace

struct InputGate::Held {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
};

struct InputGate::Level {
    int loopLevel = 0;
    Breaker breaker;
    std::function<void()> broken;
    std::vector<Held> held;
};

InputGate::Excluding::Excluding() {
    if (OnMainThread())
        ++theExcludingLoops;
}

InputGate::Excluding::~Excluding() {
    if (!OnMainThread() || --theExcludingLoops > 0)
        return;
    for (InputGate* gate : theGates)
        gate->wake();
}

InputGate::InputGate(QObject* parent)
    : QObject(parent) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
    theGates.push_back(this);
}

InputGate::~InputGate() {
    theGates.erase(std::remove(theGates.begin(), theGates.end(), this), theGates.end());
}

InputGate::Hold::~Hold() {
    if (m_live)
        m_gate.release();
}

InputGate::Hold InputGate::hold(Breaker breaker, std::function<void()> broken) {
    // Without a breaker, holding here would gain nothing over input left with the window system.
    if (!breaker || !OnMainThread() || theExcludingLoops > 0 || thread() != QThread::currentThread())
        return Hold(*this, false);
    m_levels.push_back(Level{LoopLevel() + 1, std::move(breaker), std::move(broken), {}});
    return Hold(*this, true);
}

void InputGate::release() {
    std::vector<Held> held = std::move(m_levels.back().held);
    m_levels.pop_back();
    for (Held& h : held)
        m_pending.push_back(std::move(h));
    wake();
}

void InputGate::wake() {
    if (m_pending.empty() || m_wakePosted)
        return;
    m_wakePosted = true;
    QCoreApplication::postEvent(this, new QEvent(ReplayEvent()));
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
    if (m_levels.empty() || !IsUserInput(*event))
        return false;
    Level& level = m_levels.back();
    if (level.loopLevel != LoopLevel())
        return false;
    if (HeldAsMouse(event->type())) {
        event->ignore();
        return true;
    }
    level.held.push_back(Held{watched, std::unique_ptr<QEvent>(event->clone())});
    if (level.breaker(watched, *event) && level.broken)
        std::exchange(level.broken, nullptr)();
    // Taken here, as its handler will take it later; a close, though, has not happened yet.
    event->setAccepted(event->type() != QEvent::Close);
    return true;
}

bool InputGate::event(QEvent* event) {
    if (event->type() != ReplayEvent())
        return QObject::event(event);
    m_wakePosted = false;
    // A loop that leaves input with the window system (a mount probe's wait, say) must not get
    // this input either: it is handed on when that loop is over, still ahead of what came later.
    if (theExcludingLoops > 0 || m_pending.empty())
        return true;
    const Held next = std::move(m_pending.front());
    m_pending.erase(m_pending.begin());
    // The next one is asked for first: should this one open a dialog, the dialog's loop hands
    // on the rest.
    wake();
    // Straight to notify(), as the window system's own input goes: sendEvent() would make it
    // non-spontaneous, and a click would then no longer move the focus.
    if (next.receiver)
        QCoreApplication::instance()->notify(next.receiver, next.event.get());
    return true;
}

} // namespace tobimaru
