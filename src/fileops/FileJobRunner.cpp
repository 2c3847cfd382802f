#include "fileops/FileJobRunner.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLocale>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace tobimaru {

namespace {

// While the work runs the window must not close under it: its close waits for the end.
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

QString SizeText(qint64 bytes) {
    return QLocale::system().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QString FileJobLabel(const JobControl::Progress& p, bool cancelling) {
    QStringList lines;
    lines << (cancelling ? QStringLiteral("中止しています…") : p.current);
    if (p.entriesTotal > 0)
        lines << QStringLiteral("%1 / %2 個")
                     .arg(std::min(p.entriesDone + 1, p.entriesTotal))
                     .arg(p.entriesTotal);
    if (p.bytesTotal > 0)
        lines << SizeText(p.bytesDone) + QStringLiteral(" / ") + SizeText(p.bytesTotal);
    return lines.join(QLatin1Char('\n'));
}

void RunFileJob(const FileJobUi& ui, const std::function<void(JobControl&)>& work) {
    JobControl control;
    std::exception_ptr failure;
    QEventLoop loop;
    QTimer showTimer;
    showTimer.setSingleShot(true);
    showTimer.setInterval(kFileJobDialogDelayMs);
    bool showDialog = false;
    QObject::connect(&showTimer, &QTimer::timeout, &loop, [&] {
        showDialog = true;
        loop.quit();
    });

    // A question from the worker is asked here, on this thread; the worker waits for it. One
    // question at a time: the worker asks and waits.
    QObject relay;
    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    bool uiGone = false;
    JobControl::Clash answer = JobControl::Clash::Skip;
    control.setAsker([&](const QString& target) {
        std::unique_lock<std::mutex> guard(lock);
        if (uiGone)
            return JobControl::Clash::CancelAll;
        done = false;
        QMetaObject::invokeMethod(
            &relay,
            [&, target] {
                const bool waiting = showTimer.isActive();
                showTimer.stop();
                const JobControl::Clash chosen = ui.askClash ? ui.askClash(target) : JobControl::Clash::Skip;
                if (waiting)
                    showTimer.start();
                const std::lock_guard<std::mutex> g(lock);
                answer = chosen;
                done = true;
                answered.notify_all();
            },
            Qt::QueuedConnection);
        answered.wait(guard, [&] { return done || uiGone; });
        return done ? answer : JobControl::Clash::CancelAll;
    });

    std::atomic<bool> finished{false};
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(control);
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
    }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    const CloseRefuser refuser(ui.parent ? ui.parent->window() : nullptr);

    thread->start();
    showTimer.start();
    // Until the dialog shows, input waits in the queue: the window paints but takes no command.
    bool quitting = false;
    while (!finished.load() && !showDialog && !quitting) {
        // An application on its way out ends every loop at once; the work is then waited for.
        quitting = loop.exec(QEventLoop::ExcludeUserInputEvents) < 0;
    }
    showTimer.stop();

    if (!finished.load() && !quitting) {
        QProgressDialog dialog(ui.parent);
        dialog.setObjectName(FileJobDialogName());
        dialog.setWindowTitle(ui.title);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setAutoClose(false);
        dialog.setAutoReset(false);
        dialog.setMinimumDuration(0);
        auto* cancelButton = new QPushButton(QStringLiteral("キャンセル"));
        dialog.setCancelButton(cancelButton);
        dialog.setRange(0, 1000);
        bool cancelling = false;
        const auto refresh = [&] {
            const JobControl::Progress p = control.progress();
            dialog.setLabelText(FileJobLabel(p, cancelling));
            if (p.bytesTotal > 0)
                dialog.setValue(int(p.bytesDone * 1000 / p.bytesTotal));
            else if (p.entriesTotal > 0)
                dialog.setValue(p.entriesDone * 1000 / p.entriesTotal);
        };
        const auto cancel = [&] {
            // The work stops after the chunk it is on; the dialog stays until it has.
            control.cancel();
            cancelling = true;
            cancelButton->setEnabled(false);
            refresh();
        };
        QObject::connect(&dialog, &QProgressDialog::canceled, &loop, cancel);
        // Escape or the close box hide the dialog: that is a cancel too, and the dialog comes
        // back, since without it the window would take input while the work goes on.
        QObject::connect(&dialog, &QDialog::rejected, &loop, [&] {
            cancel();
            QTimer::singleShot(0, &dialog, [&] {
                if (!finished.load())
                    dialog.show();
            });
        });
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &loop, refresh);
        ticker.start(100);
        refresh();
        dialog.show();
        while (!finished.load() && !quitting)
            quitting = loop.exec() < 0;
        ticker.stop();
    }
    if (!finished.load()) {
        // Nobody is left to answer a question: the work stops as soon as it can.
        control.cancel();
        const std::lock_guard<std::mutex> g(lock);
        uiGone = true;
        answered.notify_all();
    }
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace tobimaru
