#include "fileops/ShellFileOps.h"

#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "fileops/FileJobRunner.h"
#include "fileops/MoveEngine.h"
#include "platform/Trash.h"

#include <QWidget>

namespace tobimaru {

namespace {

// More names than this make a box taller than the screen.
constexpr int kNamesShown = 10;

void LookAtSources(const QStringList& sources, SourceState& state) {
    state.fileGone.clear();
    state.folderThere.clear();
    for (const QString& source : sources) {
        state.fileGone.push_back(!ExistsFile(source));
        state.folderThere.push_back(ExistsFolder(source));
    }
}

void Repaint(QWidget* parent) {
    if (parent)
        parent->window()->update();
}

} // namespace

ShellFileOps::ShellFileOps(Prompts& prompts, Trash& trash, QWidget* parent)
    : m_prompts(prompts)
    , m_trash(trash)
    , m_parent(parent) {}

QString ShellFileOps::DeleteQuestion(const QStringList& sources) {
    if (sources.size() == 1)
        return QStringLiteral("'%1' をごみ箱に移動しますか？").arg(GetFileNamePart(sources.first()));
    return QStringLiteral("これらの %1 個の項目をごみ箱に移動しますか？").arg(sources.size());
}

QString ShellFileOps::ClashQuestion(const QString& target) {
    return QStringLiteral("'%1' には同じ名前の項目が既にあります。\r"
                          "置き換えますか？\r\r"
                          "はい: 今ある方をごみ箱に移して置き換える\r"
                          "いいえ: この項目は移動しない\r"
                          "キャンセル: 残りの移動をすべて中止する")
        .arg(target);
}

QString ShellFileOps::FailureText(const QString& text, const QStringList& failed) {
    if (failed.isEmpty())
        return text;
    QStringList lines = failed.mid(0, kNamesShown);
    if (failed.size() > kNamesShown)
        lines << QStringLiteral("ほか %1 個").arg(failed.size() - kNamesShown);
    return text + QStringLiteral("\r\r") + lines.join(QLatin1Char('\r'));
}

ShellCode ShellFileOps::ShellDeleteFiles(const QStringList& sources) {
    m_state = {};
    if (sources.isEmpty())
        return ShellCode::Done;
    const bool confirmed =
        m_prompts.ask(DeleteQuestion(sources), QStringLiteral("ごみ箱へ移動"), PromptIcon::Question,
                      PromptButtons::YesNo, PromptAnswer::No) == PromptAnswer::Yes;
    ShellCode result = confirmed ? ShellCode::Done : ShellCode::Declined;
    FileJobUi ui;
    ui.parent = m_parent;
    ui.title = QStringLiteral("ごみ箱へ移動");
    RunFileJob(ui, [&](JobControl& job) {
        if (confirmed) {
            job.setTotals(0, int(sources.size()));
            for (qsizetype i = 0; i < sources.size(); ++i) {
                if (job.cancelled()) {
                    result = ShellCode::Declined;
                    break;
                }
                job.setEntry(int(i), GetFileNamePart(sources[i]));
                QString reason;
                if (!m_trash.moveToTrash(sources[i], &reason))
                    m_state.failed << DisplayFileName(GetFileNamePart(sources[i])) + QStringLiteral(": ") +
                                          reason;
            }
            if (!m_state.failed.isEmpty())
                result = ShellCode::Failed;
        }
        LookAtSources(sources, m_state);
    });
    Repaint(m_parent);
    if (!IsNoFailure(result))
        m_prompts.message(FailureText(QStringLiteral("ファイル削除に失敗しました。"), m_state.failed),
                          AppTitle(), PromptIcon::None, PromptButtons::Ok);
    return result;
}

ShellCode ShellFileOps::ShellMoveFiles(const QStringList& sources, const QString& destination) {
    m_state = {};
    if (sources.isEmpty())
        return ShellCode::Done;
    FileJobUi ui;
    ui.parent = m_parent;
    ui.title = QStringLiteral("ファイルの移動");
    ui.askClash = [this](const QString& target) {
        switch (m_prompts.message(ClashQuestion(target), QStringLiteral("ファイルの移動"),
                                  PromptIcon::Question, PromptButtons::YesNoCancel)) {
        case PromptAnswer::Yes:
            return JobControl::Clash::Replace;
        case PromptAnswer::No:
            return JobControl::Clash::Skip;
        default:
            return JobControl::Clash::CancelAll;
        }
    };
    MoveReport report;
    RunFileJob(ui, [&](JobControl& job) {
        for (const QString& source : sources)
            m_state.targetExisted.push_back(ExistsFolder(JoinPath(destination, GetFileNamePart(source))));
        report = MoveEntries(sources, destination, job, m_trash);
        LookAtSources(sources, m_state);
    });
    m_state.failed = report.failed;
    Repaint(m_parent);
    if (!IsNoFailure(report.result))
        m_prompts.message(FailureText(QStringLiteral("ファイル移動に失敗しました。"), report.failed),
                          AppTitle(), PromptIcon::None, PromptButtons::Ok);
    return report.result;
}

} // namespace tobimaru
