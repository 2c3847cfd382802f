#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

namespace tobimaru {

/// A stored entry name made into a path below the destination.
struct EntryPath {
    /// Relative, "/"-separated, no "." or empty parts; "" names the destination itself.
    QString relative;
    /// 0, or 0x8017 for a name that is absolute or climbs with "..".
    int code = 0;
};

/// The stored name as a relative path. Backslashes count as separators: Windows tools wrote
/// them, and "..\\x" must not slip through as a harmless-looking file name.
EntryPath SafeRelativePath(const QString& stored);

/// True when a link at `linkRelative` pointing at `target` stays inside the destination. The
/// target must be relative and may climb with ".." only out of folders that `isRealFolder` says
/// are real folders (never links) inside the destination: a climb out of a link goes wherever
/// the link points.
bool LinkStaysInside(const QString& linkRelative, const QString& target,
                     const std::function<bool(const QString& relative)>& isRealFolder);

/// How the destination stands for an entry before anything is written: 0; 0x8010 when
/// something is at the entry's place (a folder entry may meet a real folder); 0x8012 when one
/// of its parents is there as a file or a link.
int ProbeDestination(const QString& destination, const QString& relative, bool isFolder);

/// True when `relative` below `destination` is a real folder (lstat, links not followed).
bool IsRealFolder(const QString& destination, const QString& relative);

/// Space a writer without privileges may use on the folder's file system, and its block size.
struct FreeSpace {
    bool known = false;
    qint64 bytes = 0;
    qint64 block = 4096;
};
FreeSpace QueryFreeSpace(const QString& folder);

/// `bytes` rounded up to whole blocks.
qint64 RoundUpToBlock(qint64 bytes, qint64 block);

/// What one extraction made, so that a failed one can take exactly that away again. Folders
/// are made here, one part at a time and never through a link; files and links are made by the
/// caller and recorded. Unless committed, everything recorded is removed when the journal ends,
/// newest first; a folder is removed only when empty, so nothing that someone else put there in
/// the meantime goes.
class ExtractionJournal final {
public:
    /// `destination` is a canonical folder path (no links, no trailing "/").
    explicit ExtractionJournal(QString destination);
    ~ExtractionJournal();
    ExtractionJournal(const ExtractionJournal&) = delete;
    ExtractionJournal& operator=(const ExtractionJournal&) = delete;

    /// The destination + "/" + relative.
    QString absolute(const QString& relative) const;
    /// Makes the missing folders along `relative` (the last part too). 0, 0x8005 when the disk
    /// is full, 0x8012 when a part is no real folder or cannot be made.
    int makeFolders(const QString& relative);
    /// Records a file or link the caller has just created.
    void recordFile(const QString& absolutePath);
    /// Keeps everything; the journal then removes nothing.
    void commit();
    /// Removes what was recorded, newest first (also done by the destructor unless committed).
    void rollBack();

private:
    struct Made {
        QByteArray path;
        bool folder = false;
    };
    QString m_destination;
    std::vector<Made> m_made;
    // Folders known to be real, so that each is checked once per extraction.
    QSet<QString> m_realFolders;
    bool m_committed = false;
};

} // namespace tobimaru
