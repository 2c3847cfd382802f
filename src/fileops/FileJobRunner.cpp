#include "fileops/FileJobRunner.h"

#include "ui/LongJob.h"

#include <QStringList>
#include <algorithm>

namespace tobimaru {

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
    LongJobUi job;
    job.owner = ui.parent;
    job.title = ui.title;
    job.dialogName = FileJobDialogName();
    job.view = [&control](bool cancelling) {
        const JobControl::Progress p = control.progress();
        LongJobView view{FileJobLabel(p, cancelling), -1};
        if (p.bytesTotal > 0)
            view.permille = int(p.bytesDone * 1000 / p.bytesTotal);
        else if (p.entriesTotal > 0)
            view.permille = p.entriesDone * 1000 / p.entriesTotal;
        return view;
    };
    job.cancel = [&control] { control.cancel(); };
    RunLongJob(job, [&](UiThreadCall& uiThread) {
        // Unanswered (the program is quitting), a clash ends the job.
        control.setAsker([&](const QString& target) {
            JobControl::Clash answer = JobControl::Clash::CancelAll;
            uiThread.run([&] { answer = ui.askClash ? ui.askClash(target) : JobControl::Clash::Skip; });
            return answer;
        });
        work(control);
    });
}

} // namespace tobimaru
