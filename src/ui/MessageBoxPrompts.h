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
    /// Of some folders, those on drives that answer: the only ones Qt's dialog may be handed.
    using ReachableFunction = QStringList (*)(const QStringList& folders);

    explicit MessageBoxPrompts(QWidget* parent = nullptr);

    void setParent(QWidget* parent) { m_parent = parent; }
    void setPlacesFunction(PlacesFunction f) { m_places = f; }
    /// Replaces the drives' own test (ReachableFolders over the live mount table).
    void setReachableFunction(ReachableFunction f) { m_reachable = f; }

    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    /// Qt's own folder dialog with the root's places in its side bar. Nothing on a drive that
    /// does not answer reaches the dialog: not the initial folder (the dialog then opens at the
    /// first place, or "/"), not a place, and not what Qt's settings remember of earlier
    /// dialogs.
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
    ReachableFunction m_reachable = nullptr;
};

} // namespace tobimaru
