#pragma once

#include "base/Prompts.h"

#include <QPointer>
#include <QStringList>

class QWidget;

namespace tobimaru {

/// The real prompts: Qt message boxes and Qt's own folder dialog.
class MessageBoxPrompts final : public Prompts {
public:
    /// `placesOf` gives the side-bar folders of a chooser root (0: desktop, home, documents and
    /// drives; 18: the network drives); set by whoever knows the drives.
    using PlacesFunction = QStringList (*)(int root);

    explicit MessageBoxPrompts(QWidget* parent = nullptr);

    void setParent(QWidget* parent) { m_parent = parent; }
    void setPlacesFunction(PlacesFunction f) { m_places = f; }

    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    QString browseFolder(const QString& prompt, const QString& initial, int root) override;
    void beep() override;
    PromptAnswer ask(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons,
                     PromptAnswer defaultAnswer) override;
    /// Qt's input dialog; the typed text keeps its spaces (the caller trims what it must).
    QString inputText(const QString& prompt, const QString& title) override;

private:
    PromptAnswer show(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons,
                      const PromptAnswer* defaultAnswer);

    QPointer<QWidget> m_parent;
    PlacesFunction m_places = nullptr;
};

} // namespace tobimaru
