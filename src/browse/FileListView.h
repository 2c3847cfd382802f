#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "browse/FolderListing.h"
#include "platform/InputGate.h"
#include "platform/Worker.h"

class QTreeView;

namespace tobimaru {

class FileIcons;
class FileListModel;
class Prompts;

/// Configures a tree view as the report-style file list: flat rows, uniform heights, whole-row
/// extended selection that stays visible without focus, 16x16 icons, no editing, header clicks
/// left to the model (no built-in sort indicator).
void SetupListView(QTreeView* view);

/// The file list `ListView1`: puts folder listings into its model and fits its columns. The
/// main window owns the view; this object owns the model and hands status texts on.
class FileListView final : public QObject {
    Q_OBJECT

public:
    /// Sets up `view` (SetupListView), gives it a FileListModel and routes header clicks to the
    /// model's ColumnClick. `icons` and `prompts` must outlive this object.
    FileListView(QTreeView* view, FileIcons& icons, Prompts& prompts, QObject* parent = nullptr);

    FileListModel* model() const { return m_model; }
    QTreeView* view() const { return m_view; }

    /// Replaces the rows by the entries of `folder` (ListFolderRows), fetching file icons when
    /// `iconFlag` is set. The folder is read on a worker thread; meanwhile the window keeps
    /// painting and the player and timers go on, acting on the rows as they stand (user input
    /// waits for the listing, unless it is input that abandons it: see setAbandonOn), and past
    /// half a second the list shows the busy pointer and panel 1 says so. The new rows replace
    /// the old in one step; a listing that a later one overtook is dropped. A failure shows the
    /// error box. Returns true when the listing was complete and shown (the status text was
    /// updated).
    bool ListFolder(const QString& folder, bool iconFlag, const ListOptions& options);

    /// What reads a folder, on the worker thread (ListFolderRows unless a test says otherwise).
    using Reader = std::function<ListResult(const QString& folder, const ListOptions& options)>;
    void setReader(Reader reader);

    /// Input that abandons the listing being waited for (a click on another folder of the tree,
    /// which asks for a listing of its own): the wait ends at once and nothing of the listing is
    /// shown. The input itself is handled after the wait, in order with the rest.
    void setAbandonOn(InputGate::Breaker abandons);

    /// Puts a listing into the list: icons (file icons only with `iconFlag`; a file whose icon
    /// cannot be had is reported and listed without one), rows, the status text when the listing
    /// is complete, the first row as the only selected row and fitted columns.
    void ShowListing(ListResult result, bool iconFlag);

    /// Image keys of folder rows (the main window's folder images); by default the desktop's
    /// folder icons held in the FileIcons.
    void setFolderImageKeys(std::function<QString(FolderImage)> keys);

    /// Sizes every column to its contents and repaints the list.
    void FitListColumns();

Q_SIGNALS:
    /// The text for panel 1 of the status bar ("12個のﾌｧｲﾙ(3個のﾌｫﾙﾀﾞ)").
    void listStatusChanged(const QString& text);

private:
    /// The image keys of a listing's icons, fetching file icons with `iconFlag`; rows whose
    /// icon cannot be had lose it.
    std::vector<QString> iconKeys(ListResult& result, bool iconFlag);
    /// Runs the reader on a worker and waits for it with the window alive.
    std::optional<ListResult> readOffThread(const QString& folder, const ListOptions& options);

    QTreeView* m_view = nullptr;
    FileIcons& m_icons;
    Prompts& m_prompts;
    FileListModel* m_model = nullptr;
    std::function<QString(FolderImage)> m_folderImageKeys;
    Reader m_reader;
    Generation m_listings;                   ///< the listing asked for last is the current one
    Worker<ListResult>* m_reading = nullptr; ///< the listing being waited for, if any
    InputGate m_gate;                        ///< holds the user's input while a listing is read
    InputGate::Breaker m_abandons;
};

} // namespace tobimaru
