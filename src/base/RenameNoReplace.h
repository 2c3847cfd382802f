#pragma once

namespace tobimaru {

/// What becomes of a folder where the file system has no RENAME_NOREPLACE.
enum class FolderWithoutFlag {
    Refuse,         ///< EISDIR: the caller has a way of its own (a copy, entries one by one)
    LookThenRename, ///< renamed once its name is seen free: a gap such a file system cannot close
};

/// Renames `from` below the folder `fromDir` to `to` below `toDir` (AT_FDCWD for paths), never
/// replacing what is there: 0, EEXIST when the name is taken, else the errno. Where the file
/// system has no RENAME_NOREPLACE (EINVAL or ENOSYS: FAT through FUSE, some network file systems)
/// a file is hard-linked and its old name unlinked while it is still that file; where there are
/// no hard links either, an empty file made exclusively holds the name and only that placeholder
/// is renamed over. Killed half-way, the file keeps both names rather than neither.
int RenameNoReplace(int fromDir, const char* from, int toDir, const char* to,
                    FolderWithoutFlag folders = FolderWithoutFlag::Refuse);

/// The same as on a file system without the flag, from the first fallback on; for the tests.
int RenameNoReplaceWithoutFlag(int fromDir, const char* from, int toDir, const char* to,
                               FolderWithoutFlag folders = FolderWithoutFlag::Refuse);

} // namespace tobimaru
