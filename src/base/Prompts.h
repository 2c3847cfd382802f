#pragma once

#include <QString>

namespace tobimaru {

enum class PromptIcon { None, Information, Warning, Critical, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

/// Everything the program asks or tells the user goes through this, so tests can answer it.
class Prompts {
public:
    virtual ~Prompts() = default;

    /// Shows a modal message box and returns the button the user pressed.
    virtual PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                                 PromptButtons buttons) = 0;

    /// The folder chooser: `prompt` is its title, `initial` the folder preselected, `root` the
    /// place set of the side bar (0 desktop, home, documents and drives; 18 the network drives).
    /// Returns the chosen folder, or the empty string when the user cancels.
    virtual QString browseFolder(const QString& prompt, const QString& initial, int root) = 0;

    /// The default system beep.
    virtual void beep() = 0;

    /// A question whose default button, the one Enter and Escape take, is `defaultAnswer` (the
    /// safe answer of the commands that move files to the trash); otherwise as `message`.
    virtual PromptAnswer ask(const QString& text, const QString& caption, PromptIcon icon,
                             PromptButtons buttons, PromptAnswer defaultAnswer) = 0;

    /// A text-input box titled `title` with `prompt` above an empty line. Returns the text as
    /// typed, or the empty string when the user cancels.
    virtual QString inputText(const QString& prompt, const QString& title) = 0;
};

/// The application title: the caption of every box that names no other.
inline QString AppTitle() {
    return QStringLiteral("TobimaruMe");
}

} // namespace tobimaru
