#include "archives/MeltRunner.h"

#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "ui/LongJob.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMutex>
#include <QStringList>
#include <atomic>

namespace tobimaru {

namespace {

constexpr int kBarSteps = 1000;

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

QString MeltLabel(const MeltProgress& p, bool cancelling) {
    QStringList lines;
    lines << QStringLiteral("書庫 %1/%2: %3").arg(p.index + 1).arg(p.count).arg(GetFileNamePart(p.archive));
    if (cancelling)
        lines << QStringLiteral("中断しています…");
    else if (p.stage == MeltStage::Checking)
        lines << QStringLiteral("書庫を確認しています…");
    else
        lines << p.entry;
    lines << (p.total > 0 ? SizeText(p.done) + QStringLiteral(" / ") + SizeText(p.total) : QString());
    return lines.join(QLatin1Char('\n'));
}

QStringList RunMeltOnWorker(const std::vector<MeltItem>& items, const QString& destination,
                            const MeltRunHooks& hooks) {
    if (!hooks.prompts)
        throw Failure(ErrorCode::ObjectNotSet, "RunMeltOnWorker");
    std::atomic<bool> cancel{false};
    SharedProgress progress;
    progress.set([&](MeltProgress& p) { p.count = int(items.size()); });

    LongJobUi job;
    job.owner = hooks.owner;
    job.title = QStringLiteral("解凍");
    job.dialogName = QStringLiteral("MeltProgress");
    job.view = [&progress](bool cancelling) {
        const MeltProgress p = progress.get();
        return LongJobView{MeltLabel(p, cancelling), p.total > 0 ? int(p.done * kBarSteps / p.total) : 0};
    };
    // The walk ends the archive it is on and removes what it wrote.
    job.cancel = [&cancel] { cancel.store(true); };

    QStringList done;
    RunLongJob(job, [&](UiThreadCall& uiThread) {
        WorkerPrompts prompts(*hooks.prompts, uiThread);
        ExtractCallbacks callbacks;
        callbacks.cancel = &cancel;
        callbacks.progress = [&](const QString& entry, qint64 written, qint64 total) {
            progress.set([&](MeltProgress& p) {
                p.entry = entry;
                p.done = written;
                p.total = total;
            });
            if (hooks.workerTap)
                hooks.workerTap(entry, written, total);
        };
        callbacks.password = [&](const QString& archive) {
            std::optional<QString> answer;
            uiThread.run([&] {
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
        done = MeltArchives(items, destination, prompts, callbacks, onStage);
    });
    return done;
}

} // namespace tobimaru
