#pragma once

#include "input/KeyBindings.h"

#include <QObject>

class QWidget;

namespace tobimaru {

/// The window's key preview: sees every key of the window before its controls, turns the
/// bindings into commands and swallows what must not reach the controls (typed characters,
/// Ctrl+Up/Down in the list). Text boxes keep their typing and their Space.
class KeyPreview final : public QObject {
    Q_OBJECT
public:
    /// Watches the keys of `window`; `list` and `tree` have bindings of their own.
    KeyPreview(QWidget* window, QWidget* list, QWidget* tree);

    /// Off while a command shows a box of its own (the Delete commands turn it off and on).
    void setEnabled(bool on) { m_enabled = on; }
    bool enabled() const { return m_enabled; }

Q_SIGNALS:
    void command(tobimaru::KeyCommand command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyPlace placeOf(QWidget* w) const;

    QWidget* m_window = nullptr;
    QWidget* m_list = nullptr;
    QWidget* m_tree = nullptr;
    bool m_enabled = true;
};

} // namespace tobimaru
