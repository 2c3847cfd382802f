#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QTreeView;
class QWidget;

namespace tobimaru {

class CommandTable;
class FileListModel;
class Prompts;

/// What the extraction front-end is given. The pointers, `stopPlayback`, `currentFolder`,
/// `relist` and `sendToTrash` are required and must outlive it; the rest may be empty.
struct LhaZipWiring {
    QWidget* window = nullptr; ///< owner of the progress dialog
    QTreeView* list = nullptr; ///< ListView1
    FileListModel* model = nullptr;
    Prompts* prompts = nullptr;
    /// Disarms continuous play and stops the player.
    std::function<void()> stopPlayback;
    /// The tree's folder (GetTreeViewKey).
    std::function<QString()> currentFolder;
    /// Lists the tree's folder again.
    std::function<void()> relist;
    /// The recycle bin, with its confirmation: the archives extracted without error, in list
    /// order; 0 when done.
    std::function<int(const QStringList& paths)> sendToTrash;
    /// Asks for the destination; empty: the tree's folder. "" from it extracts nothing.
    std::function<QString()> chooseDestination;
    /// The password box; empty: our own (AskArchivePassword).
    std::function<std::optional<QString>(const QString& archive)> askPassword;
    /// Hears each progress report on the extracting thread.
    std::function<void(const QString& entry, qint64 done, qint64 total)> workerTap;
};

/// The archive extraction of the toolbar: LZH and ZIP archives among the list's rows, extracted
/// on a worker thread into the tree's folder, sent to the trash once extracted without error.
class LhaZip final {
public:
    /// Throws Failure(ObjectNotSet) when a required part is missing.
    explicit LhaZip(LhaZipWiring wiring);

    /// Extracts the selected archive rows; with `selectFirst` every archive row of the list is
    /// selected first and the user asked once. Returns when the extraction is over (the calling
    /// thread handles its events meanwhile). Failures are thrown for the command's trap.
    void ExtractArchives(bool selectFirst);

    /// Whether an extraction is under way (a second one is not started meanwhile).
    bool running() const { return m_running; }

    /// Registers extracting every archive listed and extracting the chosen ones.
    void registerCommands(CommandTable& table);

private:
    /// Select-first: every archive row selected; false when there is none (the row that was
    /// current selected again) or the user does not want them extracted.
    bool selectArchiveRows();

    LhaZipWiring m_wiring;
    bool m_running = false;
};

} // namespace tobimaru
