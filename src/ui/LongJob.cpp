#include "ui/LongJob.h"

#include "base/ErrorTable.h"
#include "platform/InputGate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <exception>
#include <memory>
#include <new>
#include <vector>

namespace tobimaru {

namespace {

constexpr int kRefreshMs = 100;
constexpr int kBarSteps = 1000;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

/// Nothing the user does may start another command under the running work. Input from the
/// window system waits in the queue until the progress dialog is up, whose modality then keeps
/// it from the window; what is sent to the widgets directly is dropped here. The widgets made
/// while the work runs (the dialog, the work's questions) are not held.
///
/// Each widget gets a filter of its own rather than one on the application: an application
/// filter put in while another application filter is acting (the key handler whose command
/// started this job) would make Qt hand that key to the acting filter a second time once the job
/// is over.
class InputHold final : public QObject {
public:
    InputHold() {
        const QWidgetList widgets = QApplication::allWidgets();
        m_held.reserve(widgets.size());
        for (QWidget* widget : widgets) {
            widget->installEventFilter(this);
            m_held.emplace_back(widget);
        }
    }
    ~InputHold() override {
        for (const QPointer<QWidget>& widget : m_held) {
            if (widget)
                widget->removeEventFilter(this);
        }
    }
    Q_DISABLE_COPY(InputHold)

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!IsUserInput(event->type()))
            return false;
        event->ignore();
        return true;
    }

private:
    std::vector<QPointer<QWidget>> m_held;
};

/// The window must not close under the work, dialog or no dialog: closing it saves the settings
/// and tears down what the work still reports to. Its close waits for the end of the work.
class CloseRefuser final : public QObject {
public:
    explicit CloseRefuser(QWidget* window)
        : m_window(window) {
        if (m_window)
            m_window->installEventFilter(this);
    }
    ~CloseRefuser() override {
        if (m_window)
            m_window->removeEventFilter(this);
    }
    Q_DISABLE_COPY(CloseRefuser)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window || event->type() != QEvent::Close)
            return false;
        event->ignore();
        return true;
    }

private:
    QPointer<QWidget> m_window;
};

/// The progress dialog. Its cancel button, Esc and its close box all cancel, and none of them
/// takes it away: without it the window would take input while the work winds down.
class JobDialog final : public QProgressDialog {
public:
    JobDialog(const LongJobUi& ui, std::function<void()> onCancel)
        : QProgressDialog(ui.owner)
        , m_onCancel(std::move(onCancel)) {
        setObjectName(ui.dialogName);
        setWindowTitle(ui.title);
        setWindowModality(Qt::ApplicationModal);
        setAutoClose(false);
        setAutoReset(false);
        setMinimumDuration(0);
        setRange(0, kBarSteps);
        m_cancelButton = new QPushButton(QStringLiteral("キャンセル"));
        m_cancelButton->setObjectName(QStringLiteral("Cancel"));
        setCancelButton(m_cancelButton);
        // Qt's own answer to a cancel hides the dialog; ours keeps it until the work has ended.
        disconnect(this, &QProgressDialog::canceled, this, &QProgressDialog::cancel);
        connect(this, &QProgressDialog::canceled, this, &JobDialog::reject);
    }

    void reject() override {
        m_cancelButton->setEnabled(false);
        m_onCancel();
    }

private:
    std::function<void()> m_onCancel;
    QPushButton* m_cancelButton = nullptr;
};

[[noreturn]] void RethrowAsFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Failure&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw Failure(ErrorCode::OutOfMemory, "RunLongJob");
    } catch (...) {
        throw Failure(ErrorCode::Internal, "RunLongJob");
    }
}

} // namespace

UiThreadCall::UiThreadCall(QObject* context)
    : m_context(context) {}

bool UiThreadCall::run(const std::function<void()>& call) {
    bool ran = false;
    const auto onUi = [&] {
        if (m_gone)
            return;
        const bool wasBusy = m_busy;
        m_busy = true;
        call();
        m_busy = wasBusy;
        ran = true;
    };
    if (QThread::currentThread() == m_context->thread())
        onUi();
    else
        QMetaObject::invokeMethod(m_context, onUi, Qt::BlockingQueuedConnection);
    return ran;
}

void RunLongJob(const LongJobUi& ui, const std::function<void(UiThreadCall& uiThread)>& work) {
    QObject context;
    UiThreadCall uiThread(&context);
    std::exception_ptr failure;
    bool finished = false;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work(uiThread);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(worker.get(), &QThread::finished, &context, [&] {
        finished = true;
        loop.quit();
    });

    bool cancelling = false;
    const auto cancel = [&] {
        if (cancelling)
            return;
        cancelling = true;
        if (ui.cancel)
            ui.cancel();
    };
    std::unique_ptr<JobDialog> dialog;
    const auto refresh = [&] {
        if (!dialog)
            return;
        const LongJobView view = ui.view ? ui.view(cancelling) : LongJobView{};
        dialog->setLabelText(view.label);
        if (view.permille >= 0)
            dialog->setValue(std::min(view.permille, kBarSteps));
    };
    QElapsedTimer elapsed;
    const auto showWhenDue = [&] {
        // A question of the work that is up keeps the dialog back: shown later, the dialog would
        // take the modality from the box the worker waits for.
        if (dialog || finished || elapsed.elapsed() < kLongJobDialogDelayMs || uiThread.busy() ||
            QApplication::activeModalWidget())
            return;
        dialog = std::make_unique<JobDialog>(ui, cancel);
        refresh();
        dialog->show();
        // Input may flow again: the dialog's modality keeps it from the window.
        loop.quit();
    };
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, &context, showWhenDue);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &context, [&] {
        showWhenDue();
        refresh();
    });

    const CloseRefuser refuser(ui.owner ? ui.owner->window() : nullptr);
    const InputHold hold;
    const InputGate::Excluding excluding;
    elapsed.start();
    worker->start();
    showTimer.start(kLongJobDialogDelayMs);
    ticker.start(kRefreshMs);
    bool quitting = false;
    while (!finished) {
        const QEventLoop::ProcessEventsFlags flags =
            dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
        if (!quitting && loop.exec(flags) < 0) {
            // The program is on its way out and ends every nested loop at once. The worker still
            // has to be waited for, so events are handled here until it ends; it stops as soon as
            // it can, and its questions go unanswered.
            quitting = true;
            uiThread.giveUp();
            cancel();
        }
        if (quitting && !finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ticker.stop();
    dialog.reset();
    worker->wait();
    if (failure)
        RethrowAsFailure(failure);
}

QString SizeText(qint64 bytes) {
    return QLocale::system().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

WorkerPrompts::WorkerPrompts(Prompts& target, UiThreadCall& uiThread)
    : m_target(target)
    , m_uiThread(uiThread) {}

PromptAnswer WorkerPrompts::message(const QString& text, const QString& caption, PromptIcon icon,
                                    PromptButtons buttons) {
    PromptAnswer answer = PromptAnswer::Cancel;
    m_uiThread.run([&] { answer = m_target.message(text, caption, icon, buttons); });
    return answer;
}

QString WorkerPrompts::browseFolder(const QString& prompt, const QString& initial, int root) {
    QString folder;
    m_uiThread.run([&] { folder = m_target.browseFolder(prompt, initial, root); });
    return folder;
}

void WorkerPrompts::beep() {
    m_uiThread.run([&] { m_target.beep(); });
}

PromptAnswer WorkerPrompts::ask(const QString& text, const QString& caption, PromptIcon icon,
                                PromptButtons buttons, PromptAnswer defaultAnswer) {
    PromptAnswer answer = PromptAnswer::Cancel;
    m_uiThread.run([&] { answer = m_target.ask(text, caption, icon, buttons, defaultAnswer); });
    return answer;
}

QString WorkerPrompts::inputText(const QString& prompt, const QString& title) {
    QString text;
    m_uiThread.run([&] { text = m_target.inputText(prompt, title); });
    return text;
}

} // namespace tobimaru
