#include "archives/MeltRunner.h"

#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMutex>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <memory>

namespace tobimaru {

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kRefreshMs = 100;
constexpr int kBarSteps = 1000;

QString SizeText(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

/// Runs `call` on the thread of `context` and waits for it; at once when that is this thread.
void RunOn(QObject* context, const std::function<void()>& call) {
    if (QThread::currentThread() == context->thread())
        call();
    else
        QMetaObject::invokeMethod(context, call, Qt::BlockingQueuedConnection);
}

/// The prompts of the user-interface thread, usable from the worker: each box is shown there
/// while the worker waits for the answer.
class CrossThreadPrompts final : public Prompts {
public:
    CrossThreadPrompts(Prompts& target, QObject* context)
        : m_target(target)
        , m_context(context) {}

    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override {
        PromptAnswer answer = PromptAnswer::Cancel;
        RunOn(m_context, [&] { answer = m_target.message(text, caption, icon, buttons); });
        return answer;
    }
    QString browseFolder(const QString& prompt, const QString& initial, int root) override {
        QString folder;
        RunOn(m_context, [&] { folder = m_target.browseFolder(prompt, initial, root); });
        return folder;
    }
    void beep() override {
        RunOn(m_context, [&] { m_target.beep(); });
    }
    PromptAnswer ask(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons,
                     PromptAnswer defaultAnswer) override {
        PromptAnswer answer = defaultAnswer;
        RunOn(m_context, [&] { answer = m_target.ask(text, caption, icon, buttons, defaultAnswer); });
        return answer;
    }
    QString inputText(const QString& prompt, const QString& title) override {
        QString text;
        RunOn(m_context, [&] { text = m_target.inputText(prompt, title); });
        return text;
    }

private:
    Prompts& m_target;
    QObject* m_context = nullptr;
};

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

/// Until the modal progress dialog is up, nothing the user does may start another command (or
/// close the window) under the running extraction. Once a modal window is up Qt holds input
/// back itself, and the boxes of the walk must get theirs.
class InputHold final : public QObject {
public:
    InputHold() { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType() || QApplication::activeModalWidget() || !IsUserInput(event->type()))
            return false;
        event->ignore();
        return true;
    }
};

/// Where the worker stands; written there, read by the dialog's timer.
class SharedProgress final {
public:
    void set(const std::function<void(MeltProgress&)>& change) {
        const QMutexLocker lock(&m_mutex);
        change(m_progress);
    }
    MeltProgress get() const {
        const QMutexLocker lock(&m_mutex);
        return m_progress;
    }

private:
    mutable QMutex m_mutex;
    MeltProgress m_progress;
};

} // namespace

std::optional<QString> AskArchivePassword(QWidget* owner, const QString& archive) {
    QInputDialog box(owner);
    box.setObjectName(QStringLiteral("PasswordBox"));
    box.setWindowTitle(QStringLiteral("パスワードの入力"));
    box.setLabelText(GetFileNamePart(archive) +
                     QStringLiteral(" はパスワードで保護されています。\nパスワードを入力してください。"));
    box.setTextEchoMode(QLineEdit::Password);
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

MeltProgressDialog::MeltProgressDialog(QWidget* owner, std::atomic<bool>& cancel)
    : QDialog(owner)
    , m_cancel(cancel) {
    setObjectName(QStringLiteral("MeltProgress"));
    setWindowTitle(QStringLiteral("解凍"));
    setWindowModality(Qt::ApplicationModal);
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(360);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kBarSteps);
    m_cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancelButton->setObjectName(QStringLiteral("Cancel"));
    connect(m_cancelButton, &QPushButton::clicked, this, &MeltProgressDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
}

void MeltProgressDialog::showProgress(const MeltProgress& p) {
    QStringList lines;
    lines << QStringLiteral("書庫 %1/%2: %3").arg(p.index + 1).arg(p.count).arg(GetFileNamePart(p.archive));
    if (m_cancel.load())
        lines << QStringLiteral("中断しています…");
    else if (p.stage == MeltStage::Checking)
        lines << QStringLiteral("書庫を確認しています…");
    else
        lines << p.entry;
    lines << (p.total > 0 ? SizeText(p.done) + QStringLiteral(" / ") + SizeText(p.total) : QString());
    m_label->setText(lines.join(QLatin1Char('\n')));
    m_bar->setValue(p.total > 0 ? int(p.done * kBarSteps / p.total) : 0);
}

QString MeltProgressDialog::text() const {
    return m_label->text();
}

void MeltProgressDialog::reject() {
    // The worker ends its archive and removes what it wrote; the dialog goes with the worker.
    m_cancel.store(true);
    m_cancelButton->setEnabled(false);
}

QStringList RunMeltOnWorker(const std::vector<MeltItem>& items, const QString& destination,
                            const MeltRunHooks& hooks) {
    if (!hooks.prompts)
        throw Failure(ErrorCode::ObjectNotSet, "RunMeltOnWorker");
    std::atomic<bool> cancel{false};
    SharedProgress progress;
    progress.set([&](MeltProgress& p) { p.count = int(items.size()); });
    QObject context;
    CrossThreadPrompts prompts(*hooks.prompts, &context);

    ExtractCallbacks callbacks;
    callbacks.cancel = &cancel;
    callbacks.progress = [&](const QString& entry, qint64 done, qint64 total) {
        progress.set([&](MeltProgress& p) {
            p.entry = entry;
            p.done = done;
            p.total = total;
        });
        if (hooks.workerTap)
            hooks.workerTap(entry, done, total);
    };
    callbacks.password = [&](const QString& archive) {
        std::optional<QString> answer;
        RunOn(&context, [&] {
            answer =
                hooks.askPassword ? hooks.askPassword(archive) : AskArchivePassword(hooks.owner, archive);
        });
        return answer;
    };
    const auto onStage = [&](int index, MeltStage stage) {
        progress.set([&](MeltProgress& p) {
            p.index = index;
            p.archive = items[size_t(index)].path;
            p.stage = stage;
            p.entry.clear();
            p.done = 0;
            p.total = 0;
        });
    };

    QStringList done;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            done = MeltArchives(items, destination, prompts, callbacks, onStage);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    bool finished = false;
    QObject::connect(worker.get(), &QThread::finished, &context, [&] { finished = true; });

    MeltProgressDialog dialog(hooks.owner, cancel);
    const InputHold hold;
    QElapsedTimer elapsed;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, &dialog, [&] {
        // A box of the walk that is up keeps the dialog back: shown later, the dialog would take
        // the modality from the box, which the worker waits for.
        if (!dialog.isVisible() && elapsed.elapsed() >= kShowAfterMs && !QApplication::activeModalWidget())
            dialog.show();
        if (dialog.isVisible())
            dialog.showProgress(progress.get());
    });
    elapsed.start();
    worker->start();
    refresh.start(kRefreshMs);
    // Not a nested QEventLoop: an application quit would end that one early, while the worker
    // still needs this thread for its boxes.
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker->wait();
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const Failure&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw Failure(ErrorCode::OutOfMemory, "RunMeltOnWorker");
        } catch (...) {
            throw Failure(ErrorCode::Internal, "RunMeltOnWorker");
        }
    }
    return done;
}

} // namespace tobimaru
