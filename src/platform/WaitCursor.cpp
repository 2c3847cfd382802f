#include "platform/WaitCursor.h"

#include <QApplication>

namespace tobimaru {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

} // namespace tobimaru
