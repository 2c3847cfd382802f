#pragma once

#include <QObject>
#include <QString>

namespace tobimaru {

/// The window's caption: the base caption ("TobimaruMe Ver1.0.1") alone, or followed by " - "
/// and what the window is busy with. Whoever changes the caption says it here; the window shows
/// what `changed` tells.
class WindowCaption final : public QObject {
    Q_OBJECT

public:
    explicit WindowCaption(QObject* parent = nullptr);

    const QString& base() const { return m_base; }
    /// Sets the base caption and shows it alone.
    void setBase(const QString& base);
    /// Shows the base caption, " - " and `detail`.
    void showDetail(const QString& detail);
    /// What the window shows (file names that are not UTF-8 with U+FFFD where they must).
    const QString& text() const { return m_text; }

Q_SIGNALS:
    void changed(const QString& text);

private:
    void show(const QString& text);

    QString m_base;
    QString m_text;
};

} // namespace tobimaru
