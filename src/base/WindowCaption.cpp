#include "base/WindowCaption.h"

#include "base/FileNames.h"

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
    m_text = DisplayFileName(text);
    Q_EMIT changed(m_text);
}

} // namespace tobimaru
