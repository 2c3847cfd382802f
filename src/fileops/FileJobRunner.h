#pragma once

#include "fileops/JobControl.h"

#include <QString>
#include <functional>

class QWidget;

namespace tobimaru {

/// How a file job shows itself.
struct FileJobUi {
    QWidget* parent = nullptr; ///< the window the progress dialog belongs to; may be null
    QString title;             ///< the progress dialog's caption
    /// Asks the user about a taken target, on the user-interface thread; empty: skip every clash.
    std::function<JobControl::Clash(const QString& target)> askClash;
};

/// The progress dialog's object name, for whoever must find it.
inline QString FileJobDialogName() {
    return QStringLiteral("FileJobProgress");
}

/// Half a second of work shows no dialog at all.
inline constexpr int kFileJobDialogDelayMs = 500;

/// Runs `work` on a worker thread and returns once it has ended, its results then safe to read.
/// Meanwhile the window keeps painting and its timers run, but input to it waits until the work
/// is done (and a close of the window is refused); once the work has taken half a second a modal
/// progress dialog shows the entries, the bytes and the current name, with a cancel button that
/// cancels `work`'s JobControl. A failure thrown by `work` is thrown again here.
void RunFileJob(const FileJobUi& ui, const std::function<void(JobControl&)>& work);

/// The text of the progress dialog for a state of the work.
QString FileJobLabel(const JobControl::Progress& progress, bool cancelling);

} // namespace tobimaru
