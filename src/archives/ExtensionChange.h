#pragma once

#include "base/ErrorTable.h"

#include <QString>
#include <optional>

namespace tobimaru {

/// The options of the extension change dialog, by their index in the settings file.
enum class ExtensionOption { Upper = 0, Lower = 1, Unify = 2 };

/// What the dialog does with one selected row.
struct ExtensionStep {
    enum Kind {
        Keep,   ///< the row stays as it is (a folder, a file without extension for the case options)
        Rename, ///< `newPath` is its new name, which may equal the old one (nothing to do then)
        Refuse, ///< the typed extension cannot be used: the whole walk stops
    };
    Kind kind = Keep;
    QString newPath;
};

/// True for a typed extension the dialog may give a file: 1 to 3 characters, no "/" (which
/// would move the file into another folder) and no NUL.
bool IsUsableExtension(const QString& typed);

/// The step for a row of the file list: its key (full path) and its extension column (the
/// extension, "<拡張子なし>" or "フォルダ"). The new name keeps the file in its own folder: the
/// base name (GetFileBaseName), a dot and the new extension.
ExtensionStep PlanExtensionChange(const QString& key, const QString& extensionColumn, ExtensionOption option,
                                  const QString& typed);

/// Renames a file, never replacing another: nothing, or the failure for the error box
/// (FileAlreadyExists when a file of the new name is there already). Where the file system takes the two
/// names for one (a change of case on FAT), the file is renamed by way of a temporary name.
std::optional<ErrorCode> RenameWithoutReplacing(const QString& from, const QString& to);

/// The failure for an errno of a file operation; nothing for 0.
std::optional<ErrorCode> FailureOfErrno(int error);

} // namespace tobimaru
