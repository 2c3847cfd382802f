#pragma once

#include "archives/LhaZipMelt.h"

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tobimaru {

class Prompts;

/// The password box of an encrypted archive, with the archive's name in it. nullopt when the
/// user cancels. Runs on the user-interface thread.
std::optional<QString> AskArchivePassword(QWidget* owner, const QString& archive);

/// Where an extraction run stands, as the progress dialog shows it.
struct MeltProgress {
    int index = 0; ///< the archive, 0-based
    int count = 0;
    QString archive;
    MeltStage stage = MeltStage::Checking;
    QString entry;
    qint64 done = 0;
    qint64 total = 0;
};

/// The modal progress of an extraction run: archive n of m, the entry being written, the bytes,
/// and a cancel button. Cancelling (the button, Esc or the close box) sets the flag the worker
/// polls; the dialog stays until the worker has stopped.
class MeltProgressDialog final : public QDialog {
    Q_OBJECT
public:
    /// `cancel` must outlive the dialog.
    MeltProgressDialog(QWidget* owner, std::atomic<bool>& cancel);

    /// Shows where the run stands.
    void showProgress(const MeltProgress& progress);
    /// The text of its lines, for a reader of the screen (and a test).
    QString text() const;

    /// Esc and the close box cancel as the button does.
    void reject() override;

private:
    std::atomic<bool>& m_cancel;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

/// What an extraction run uses on the user-interface thread.
struct MeltRunHooks {
    QWidget* owner = nullptr;   ///< parent of the progress dialog
    Prompts* prompts = nullptr; ///< the boxes of the walk, shown on the user-interface thread
    /// The password box; empty: AskArchivePassword.
    std::function<std::optional<QString>(const QString& archive)> askPassword;
    /// Hears every progress report on the extracting thread (may be empty).
    std::function<void(const QString& entry, qint64 done, qint64 total)> workerTap;
};

/// Runs MeltArchives on a worker thread and returns its done list once it has finished. Meanwhile
/// the calling (user-interface) thread goes on handling its events, so the window keeps
/// painting; user input is held back until, after half a second, the modal progress dialog
/// appears. The walk's boxes and the password box are shown on the calling thread while the
/// worker waits for the answer. A failure on the worker is raised here as a Failure.
QStringList RunMeltOnWorker(const std::vector<MeltItem>& items, const QString& destination,
                            const MeltRunHooks& hooks);

} // namespace tobimaru
