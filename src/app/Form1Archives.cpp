// The archives subsystem and how the window hands it its controls: the extraction front-end and
// the extension change dialog.
#include "app/Form1.h"

#include "archives/Form3.h"
#include "archives/LhaZip.h"
#include "base/CommandTable.h"
#include "browse/BrowseFolder.h"
#include "browse/FileListView.h"
#include "fileops/FileOpsSubsystem.h"
#include "fileops/ShellFileOps.h"
#include "playback/ContinuousPlay.h"
#include "playback/PlaybackSubsystem.h"
#include "settings/IniFile.h"

#include <QTreeView>

namespace tobimaru {

void Form1::buildArchives() {
    LhaZipWiring wiring;
    wiring.window = this;
    wiring.list = m_list;
    wiring.model = m_fileList->model();
    wiring.prompts = m_ctx.prompts;
    wiring.stopPlayback = [this] { m_playback->play().StopPlay(); };
    wiring.currentFolder = [this] { return currentFolder(); };
    wiring.relist = [this] { listCurrentFolder(); };
    // The one way anything leaves for the trash: our confirmation, the guarded trash, the box.
    wiring.sendToTrash = [this](const QStringList& paths) {
        return int(m_fileOps->shell().ShellDeleteFiles(paths));
    };
    wiring.chooseDestination = [this] { return meltDestination(); };
    m_lhaZip = std::make_unique<LhaZip>(std::move(wiring));
    m_lhaZip->registerCommands(*m_commands);
    // The file operations offer the extension change once they have the dialog.
    m_fileOps->setExtensionDialog([this] { OpenExtensionDialog(); });
}

QString Form1::meltDestination() {
    // The options dialog's "解凍時にフォルダを選択する。"; stored as a Boolean or as a check box.
    const QString stored =
        clsIniFile(m_ctx.iniPath).GetStrValue({}, QStringLiteral("Melt"), QStringLiteral("SelectFolder"), {});
    const bool ask = stored.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || stored.toInt() != 0;
    if (!ask)
        return currentFolder();
    return BrowseFolder(*m_ctx.prompts, QStringLiteral("解凍先のフォルダを選択してください。"),
                        currentFolder(), kBrowseRootDesktop);
}

void Form1::OpenExtensionDialog() {
    Form3Context context;
    context.prompts = m_ctx.prompts;
    context.iniPath = m_ctx.iniPath;
    context.model = m_fileList->model();
    context.selection = m_list->selectionModel();
    context.relist = [this] { listCurrentFolder(); };
    ShowExtensionDialog(this, context);
}

} // namespace tobimaru
