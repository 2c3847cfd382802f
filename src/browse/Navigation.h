#pragma once

#include "browse/Drives.h"

#include <QObject>
#include <QString>
#include <functional>

class QComboBox;
class QWidget;

namespace tobimaru {

class CommandTable;
class FolderTree;
class Prompts;
struct RuntimeSettings;

/// What navigation works with. Everything named must outlive it.
struct NavigationContext {
    FolderTree* tree = nullptr;
    QComboBox* address = nullptr; ///< `ImageCombo1`
    Prompts* prompts = nullptr;
    RuntimeSettings* settings = nullptr; ///< NetworkShareRoot is set when a network drive is entered
    std::function<DriveModel()> drives;  ///< a fresh mount-table snapshot; DriveModel::FromSystem when empty
    std::function<void(const QString&)> listFolder; ///< `ListFolder`(folder, check state of `MnuIconSet`)
    std::function<void()> stopPlayback;     ///< clears `AutoPlayArmed` and stops the player (`PlayStop`)
    std::function<void()> rearmPlayback;    ///< sets `AutoPlayArmed` again (after a refresh)
    std::function<QString()> desktopPath;   ///< where the desktop is; ClsGetSpecialFolder when empty
    std::function<QString()> documentsPath; ///< where the documents are; ClsGetSpecialFolder when empty
    QWidget* window = nullptr;              ///< repainted after a refresh; may be null
};

/// Every way of changing the current folder ends in GoToPath: playback stops, the drive is
/// checked, the tree is rebuilt for another drive (kept, with what it has read, for the same one)
/// and opened down to the folder, the folder is listed and the address box follows.
class Navigation final : public QObject {
    Q_OBJECT

public:
    /// Connects the address box: an entry chosen (`activated`) and a path typed and entered.
    explicit Navigation(NavigationContext context, QObject* parent = nullptr);

    /// Goes to `path`; with `listFlag` false only the tree and the address box change. Tells the
    /// user about an empty path ("選択されたパスに移動できません。"), a drive that is not ready
    /// (the tree, list and address box stay) and a missing folder ("パスは、存在しません。",
    /// after playback has stopped). Returns true when the folder was opened.
    bool GoToPath(const QString& path, bool listFlag);

    /// "デスクトップ": GoToPath(the desktop folder).
    void GoDeskTop_Click();
    /// "マイドキュメント": GoToPath(the documents folder).
    void GoMydoc_Click();
    /// "ネットワーク": stops playback, asks for a network folder (chooser root 18) and goes there.
    void GoNetWtok_Click();
    /// "フォルダ選択": stops playback, asks for a folder (chooser root 0) and goes there.
    void GoFolder_Click();
    /// "1つ上に": goes to the parent of the selected folder; nothing at "/".
    void GoUpOneLevel();
    /// An address-box entry chosen: the desktop, the documents, or a drive's root.
    void ImageCombo1_Click(int index);
    /// A path typed into the address box and entered ("~" is the home folder). Text equal to an
    /// entry's caption chooses that entry.
    void AddressTyped(const QString& text);
    /// "最新の情報に更新": reopens the selected folder with playback stopped, reads its node's
    /// children again and lists it, then re-arms playback.
    void Listkousin_Click();
    /// Reopens the selected folder like Listkousin_Click, for the file and folder commands.
    /// Failures reach the caller.
    void RefreshCurrentFolder();

    /// Registers the go-to commands and the refresh; this object must outlive the table's use.
    void registerCommands(CommandTable& table);

private:
    bool Open(const QString& path, bool listFlag, bool rescan);
    DriveModel TakeDrives() const;
    QString AskFolder(const QString& prompt, int root);
    void StopPlayback();
    void FollowRootCaption();

    NavigationContext m_ctx;
};

} // namespace tobimaru
