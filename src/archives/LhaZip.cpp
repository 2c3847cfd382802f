#include "archives/LhaZip.h"

#include "archives/Archiver.h"
#include "archives/LhaZipMelt.h"
#include "archives/MeltRunner.h"
#include "base/CommandTable.h"
#include "base/ErrorTable.h"
#include "base/Prompts.h"
#include "browse/FileListModel.h"

#include <QItemSelectionModel>
#include <QTreeView>
#include <QWidget>

namespace tobimaru {

namespace {

/// Clears the flag however the extraction ends.
class RunningFlag final {
public:
    explicit RunningFlag(bool& flag)
        : m_flag(flag) {
        m_flag = true;
    }
    ~RunningFlag() { m_flag = false; }
    Q_DISABLE_COPY(RunningFlag)

private:
    bool& m_flag;
};

} // namespace

LhaZip::LhaZip(LhaZipWiring wiring)
    : m_wiring(std::move(wiring)) {
    const LhaZipWiring& w = m_wiring;
    if (!w.window || !w.list || !w.model || !w.prompts || !w.stopPlayback || !w.currentFolder || !w.relist ||
        !w.sendToTrash)
        throw Failure(ErrorCode::ObjectNotSet, "LhaZip");
}

void LhaZip::registerCommands(CommandTable& table) {
    table.add(cmd::ArchiveExtract, [this] { ExtractArchives(false); });
    table.add(cmd::ArchiveExtractChosen, [this] { ExtractArchives(true); });
}

bool LhaZip::selectArchiveRows() {
    QTreeView* list = m_wiring.list;
    const FileListModel* model = m_wiring.model;
    QItemSelectionModel* selection = list->selectionModel();
    const int remembered = list->currentIndex().isValid() ? list->currentIndex().row() : -1;
    selection->clearSelection();
    list->setFocus();
    int count = 0;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (!ArchiveKindOfExtension(model->row(r).extension))
            continue;
        selection->select(model->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        ++count;
    }
    if (count == 0) {
        if (remembered >= 0)
            selection->setCurrentIndex(model->index(remembered, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return false;
    }
    const QString question = QStringLiteral("書庫ファイルが、") + QString::number(count) +
                             QStringLiteral("個選択されました。") + QLatin1Char('\r') +
                             QStringLiteral("解凍しますか？");
    return m_wiring.prompts->message(question, AppTitle(), PromptIcon::Question, PromptButtons::OkCancel) ==
           PromptAnswer::Ok;
}

void LhaZip::ExtractArchives(bool selectFirst) {
    if (m_running)
        return;
    Prompts& prompts = *m_wiring.prompts;
    if (!FindLibrary(QStringLiteral("UnZip32.DLL"))) {
        prompts.message(QStringLiteral("UnZip32.DLLが見つかりません"), AppTitle(), PromptIcon::Critical,
                        PromptButtons::Ok);
        return;
    }
    if (!FindLibrary(QStringLiteral("Unlha32.DLL"))) {
        prompts.message(QStringLiteral("Unlha32.DLLが見つかりません"), AppTitle(), PromptIcon::Critical,
                        PromptButtons::Ok);
        return;
    }
    const FileListModel* model = m_wiring.model;
    if (model->rowCount() == 0)
        return;
    m_wiring.stopPlayback();
    if (selectFirst && !selectArchiveRows())
        return;

    std::vector<MeltItem> items;
    const QItemSelectionModel* selection = m_wiring.list->selectionModel();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (!selection->isRowSelected(r, {}))
            continue;
        if (const std::optional<ArchiveKind> kind = ArchiveKindOfExtension(model->row(r).extension))
            items.push_back({model->key(r), *kind});
    }
    if (items.empty())
        return;
    const QString destination =
        m_wiring.chooseDestination ? m_wiring.chooseDestination() : m_wiring.currentFolder();
    // With no folder the destination would become "/" itself.
    if (destination.isEmpty())
        return;

    const RunningFlag running(m_running);
    MeltRunHooks hooks;
    hooks.owner = m_wiring.window;
    hooks.prompts = &prompts;
    hooks.askPassword = m_wiring.askPassword;
    hooks.workerTap = m_wiring.workerTap;
    const QStringList done = RunMeltOnWorker(items, destination, hooks);
    if (done.isEmpty())
        return;
    // A refused confirmation keeps the archives; the list is read again all the same.
    m_wiring.sendToTrash(done);
    m_wiring.window->update();
    m_wiring.relist();
}

} // namespace tobimaru
