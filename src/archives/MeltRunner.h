#pragma once

#include "archives/LhaZipMelt.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

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

/// The text of the progress dialog for a state of the run.
QString MeltLabel(const MeltProgress& progress, bool cancelling);

/// What an extraction run uses on the user-interface thread.
struct MeltRunHooks {
    QWidget* owner = nullptr;   ///< parent of the progress dialog
    Prompts* prompts = nullptr; ///< the boxes of the walk, shown on the user-interface thread
    /// The password box; empty: AskArchivePassword.
    std::function<std::optional<QString>(const QString& archive)> askPassword;
    /// Hears every progress report on the extracting thread (may be empty).
    std::function<void(const QString& entry, qint64 done, qint64 total)> workerTap;
};

/// Runs MeltArchives as a long job (RunLongJob) and returns its done list once it has finished:
/// the progress dialog ("MeltProgress") shows archive n of m, the entry being written and the
/// bytes, and its cancel stops the walk after the archive it is on, whose writing is undone. The
/// walk's boxes and the password box are shown on the user-interface thread while the worker
/// waits for the answer.
QStringList RunMeltOnWorker(const std::vector<MeltItem>& items, const QString& destination,
                            const MeltRunHooks& hooks);

} // namespace tobimaru
