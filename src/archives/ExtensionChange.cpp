#include "archives/ExtensionChange.h"

#include "base/DirStream.h"
#include "base/ErrorTable.h"
#include "base/PathQueries.h"
#include "base/RenameNoReplace.h"
#include "browse/FolderListing.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

/// Whether the folder holds an entry of exactly this name. lstat cannot tell: where the file
/// system ignores case it finds the file under any spelling, and FUSE file systems may give
/// each spelling an inode number of its own.
bool HasEntryNamed(const QString& folder, const QString& name) {
    const DirStream dir = OpenDirStream(QFile::encodeName(folder).constData());
    if (!dir)
        return true;
    const QByteArray wanted = QFile::encodeName(name);
    while (const dirent* entry = ::readdir(dir.get())) {
        if (wanted == entry->d_name)
            return true;
    }
    return false;
}

/// A rename that never replaces; a folder of the list goes once its new name is seen free where
/// the file system offers nothing better.
int RenameKeeping(const QByteArray& from, const QByteArray& to) {
    return RenameNoReplace(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                           FolderWithoutFlag::LookThenRename);
}

/// For a file system that takes both spellings for one name (FAT ignores case): a rename to the
/// other spelling would be refused as a clash, or done as nothing at all, so the file goes by
/// way of a free temporary name in the same folder.
int RenameThroughTemporary(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    const QString folder = GetParentPath(from);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral(".tobimaru-rename-%1")
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray temporary = QFile::encodeName(JoinPath(folder, name));
        const int e = RenameKeeping(source, temporary);
        if (e == EEXIST)
            continue;
        if (e != 0)
            return e;
        const int moved = RenameKeeping(temporary, target);
        if (moved != 0)
            RenameKeeping(temporary, source);
        return moved;
    }
    return EEXIST;
}

} // namespace

bool IsUsableExtension(const QString& typed) {
    return !typed.isEmpty() && typed.size() <= 3 && !typed.contains(QLatin1Char('/')) &&
           !typed.contains(QChar(0));
}

ExtensionStep PlanExtensionChange(const QString& key, const QString& extensionColumn, ExtensionOption option,
                                  const QString& typed) {
    if (extensionColumn == FolderRowExtension())
        return {};
    const bool hasExtension = !GetExtension(key).isEmpty();
    QString extension;
    switch (option) {
    case ExtensionOption::Upper:
    case ExtensionOption::Lower:
        // The column of such a row holds the marker, not an extension.
        if (!hasExtension)
            return {};
        extension = option == ExtensionOption::Upper ? extensionColumn.toUpper() : extensionColumn.toLower();
        break;
    case ExtensionOption::Unify:
        if (!IsUsableExtension(typed))
            return {ExtensionStep::Refuse, {}};
        extension = typed;
        break;
    }
    const QString name = GetFileBaseName(key) + QLatin1Char('.') + extension;
    return {ExtensionStep::Rename, JoinPath(GetParentPath(key), name)};
}

std::optional<ErrorCode> RenameWithoutReplacing(const QString& from, const QString& to) {
    if (from == to)
        return std::nullopt;
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat st {};
    if (::lstat(source.constData(), &st) != 0)
        return FailureOfErrno(errno);
    if (::lstat(target.constData(), &st) == 0) {
        // Only one of two spellings can be there where case is ignored: the file itself.
        const QString folder = GetParentPath(from);
        if (from.compare(to, Qt::CaseInsensitive) == 0 && GetParentPath(to) == folder &&
            !HasEntryNamed(folder, GetFileNamePart(to)))
            return FailureOfErrno(RenameThroughTemporary(from, to));
        return ErrorCode::FileAlreadyExists;
    }
    if (errno != ENOENT)
        return FailureOfErrno(errno);
    return FailureOfErrno(RenameKeeping(source, target));
}

std::optional<ErrorCode> FailureOfErrno(int error) {
    switch (error) {
    case 0:
        return std::nullopt;
    case EEXIST:
    case ENOTEMPTY:
        return ErrorCode::FileAlreadyExists;
    case ENOENT:
        return ErrorCode::FileNotFound;
    case ENOTDIR:
        return ErrorCode::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorCode::PermissionDenied;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return ErrorCode::BadFileName;
    case ENOSPC:
    case EDQUOT:
        return ErrorCode::DiskFull;
    default:
        return ErrorCode::PathFileAccess;
    }
}

} // namespace tobimaru
