#pragma once

#include "fileops/FileOpsContext.h"

#include <QObject>
#include <QString>

namespace tobimaru {

/// The commands that hand a file or folder to the desktop: open with the default application,
/// the property sheet, the file manager, the search window, the trash. The file manager's answers
/// come later from the event loop; nothing here waits for the desktop.
class ShellActions final : public QObject {
    Q_OBJECT

public:
    explicit ShellActions(const FileOpsContext& context, QObject* parent = nullptr);

    /// "開く": the selected row drawn black and bold (as when it plays), then its file opened.
    void MunOpen();
    /// "プロパティ(&R)": the file manager shows the selected row's property sheet;
    /// "プロパティの表示に失敗しました。" when it cannot.
    void FilePopa();
    /// "エクスプローラ(&X)": the slideshow timer stops and the selected folder opens in the file
    /// manager (else with the default application for folders).
    void GoExp();
    /// "検索(&F)": the slideshow timer stops and a search window starts on the selected folder;
    /// without a search tool the folder opens in the file manager.
    void GoSearch();
    /// "ごみ箱を開く": the trash in the file manager (else with the default application).
    void OpenRecycle();
    /// "ごみ箱を空にする": after our confirmation (No the default) every trash folder is emptied on a
    /// worker; "ごみ箱削除に失敗しました。" when anything stayed.
    void ClsRecycle();

Q_SIGNALS:
    /// A file manager's answer arrived and was acted on (for whoever waits for it).
    void shellAnswered();

private:
    int selectedRow() const;
    /// Stops the slideshow, as the folder actions do first; the tree's folder ("" for none).
    QString stopSlidesAtTreeFolder() const;
    /// ShowFolders of `uri`; when the file manager cannot, the default application opens it.
    void showFolder(const QString& uri, const QString& target);
    /// The default application for `target`; a box names it when the desktop has none.
    void openOrSay(const QString& target) const;

    FileOpsContext m_ctx;
};

} // namespace tobimaru
