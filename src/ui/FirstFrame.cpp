#include "ui/FirstFrame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace tobimaru {

namespace {

// Owned by the window, so that it goes with it; deletes itself once it has run.
class FirstFrameWatch final : public QObject {
public:
    FirstFrameWatch(QWidget* window, std::function<void()> then, int latestMs)
        : QObject(window)
        , m_then(std::move(then)) {
        QWindow* handle = window->windowHandle();
        if (handle && handle->isExposed())
            queue();
        else if (handle)
            handle->installEventFilter(this);
        QTimer::singleShot(latestMs, this, [this] { run(); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The filter sees the expose before the window paints for it.
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            queue();
        }
        return false;
    }

private:
    void queue() {
        QMetaObject::invokeMethod(
            this, [this] { run(); }, Qt::QueuedConnection);
    }

    void run() {
        if (!m_then)
            return;
        const std::function<void()> then = std::move(m_then);
        m_then = nullptr;
        deleteLater();
        then();
    }

    std::function<void()> m_then;
};

} // namespace

void AfterFirstFrame(QWidget* window, std::function<void()> then, int latestMs) {
    if (window && then)
        new FirstFrameWatch(window, std::move(then), latestMs);
}

} // namespace tobimaru
