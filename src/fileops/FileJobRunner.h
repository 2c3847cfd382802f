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

/// Runs `work` as a long job (RunLongJob): once it has taken half a second its progress dialog
/// shows the entries, the bytes and the current name, and its cancel cancels `work`'s
/// JobControl, whose clash questions `ui.askClash` answers on the user-interface thread.
void RunFileJob(const FileJobUi& ui, const std::function<void(JobControl&)>& work);

/// The text of the progress dialog for a state of the work.
QString FileJobLabel(const JobControl::Progress& progress, bool cancelling);

} // namespace tobimaru
