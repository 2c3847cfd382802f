#include "base/WindowCaption.h"

namespace tobimaru {

WindowCaption::WindowCaption(QObject* parent)
    : QObject(parent) {}

void WindowCaption::setBase(const QString& base) {
    m_base = base;
    show(base);
}

void WindowCaption::showDetail(const QString& detail) {
    show(m_base + QStringLiteral(" - ") + detail);
}

void WindowCaption::show(const QString& text) {
    m_text = text;
    Q_EMIT changed(text);
}

} // namespace tobimaru
