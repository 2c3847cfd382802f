#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tobimaru::test {

/// Acts on the modal dialog that a command about to run will show: `act` is asked with each
/// active modal widget, from the event loop that the dialog (or a worker's wait) runs, until it
/// returns true or `timeoutMs` has passed.
inline void WhenModal(const std::function<bool(QWidget*)>& act, int timeoutMs = 20000) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act, timeoutMs, waited = 0]() mutable {
        waited += timer->interval();
        QWidget* modal = QApplication::activeModalWidget();
        if ((modal && act(modal)) || waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

} // namespace tobimaru::test
