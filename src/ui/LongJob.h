#pragma once

#include "base/Prompts.h"

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace tobimaru {

/// What the progress dialog of a long job shows at a moment.
struct LongJobView {
    QString label;
    int permille = -1; ///< the bar, 0..1000; negative leaves it where it is
};

/// How a long job shows itself and how it is told to stop. The hooks run on the user-interface
/// thread.
struct LongJobUi {
    QWidget* owner = nullptr; ///< the window the dialog belongs to, kept open meanwhile; may be null
    QString title;            ///< the progress dialog's caption
    QString dialogName;       ///< the progress dialog's object name, for whoever must find it
    /// Where the work stands, read ten times a second while the dialog is up; `cancelling` once
    /// the user has cancelled.
    std::function<LongJobView(bool cancelling)> view;
    /// The user cancelled, or the program is quitting: the work should stop as soon as it can.
    std::function<void()> cancel;
};

/// Half a second of work shows no dialog at all.
inline constexpr int kLongJobDialogDelayMs = 500;

/// The user-interface thread as the worker reaches it.
class UiThreadCall final {
public:
    explicit UiThreadCall(QObject* context);
    Q_DISABLE_COPY(UiThreadCall)

    /// Runs `call` on the user-interface thread while the calling worker waits for it. False,
    /// with `call` not run, once nobody is left to answer (the program is quitting).
    bool run(const std::function<void()>& call);

    /// Whether a call is being run on the user-interface thread now. User-interface thread only.
    bool busy() const { return m_busy; }
    /// Every later call is refused. User-interface thread only.
    void giveUp() { m_gone = true; }

private:
    QObject* m_context = nullptr;
    bool m_busy = false;
    bool m_gone = false;
};

/// Runs `work` on a worker thread and returns once it has ended, its results then safe to read.
/// Meanwhile the window keeps painting and its timers run; input from the window system waits
/// until the dialog is up (whose modality then keeps it from the window), input sent to the
/// widgets directly is dropped, and a close of `ui.owner`'s window is refused until the work is
/// done. Once the work has taken half a second, and no question of it is up, a modal progress
/// dialog shows `ui.view`, with a cancel
/// button (Esc and the close box do the same) that calls `ui.cancel`; the dialog stays until the
/// work has stopped. Should the program quit meanwhile, the work is cancelled and its questions
/// go unanswered. A failure thrown by `work` is thrown again here (anything but a Failure as one).
void RunLongJob(const LongJobUi& ui, const std::function<void(UiThreadCall& uiThread)>& work);

/// A size for the progress texts: "1.5 MB".
QString SizeText(qint64 bytes);

/// The boxes of the user-interface thread, usable from the worker: each is shown there while the
/// worker waits. Once nobody is left to answer, each returns its cancel.
class WorkerPrompts final : public Prompts {
public:
    /// Both must outlive this.
    WorkerPrompts(Prompts& target, UiThreadCall& uiThread);

    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    QString browseFolder(const QString& prompt, const QString& initial, int root) override;
    void beep() override;
    PromptAnswer ask(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons,
                     PromptAnswer defaultAnswer) override;
    QString inputText(const QString& prompt, const QString& title) override;

private:
    Prompts& m_target;
    UiThreadCall& m_uiThread;
};

} // namespace tobimaru
