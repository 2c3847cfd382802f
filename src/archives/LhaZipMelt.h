#pragma once

#include "archives/ArchiveExtractor.h"
#include "archives/ArchiverCodes.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace tobimaru {

class Prompts;

/// The kind of archive an extension column names ("zip", "lzh", any case); nullopt for any
/// other text, "フォルダ" included.
std::optional<ArchiveKind> ArchiveKindOfExtension(const QString& extension);

/// The destination with one "/" at its end (none added when it has one). Trailing spaces stay:
/// on Linux they are part of a folder's name, and removing them would name another folder.
QString WithTrailingBackslash(const QString& path);

/// Soundness of an archive as the front-end checks it (mode 2: every entry's data read).
/// Blocking: call it on a worker thread.
bool LzhCheck(const QString& archive);
bool ZipCheck(const QString& archive);

/// Extracts one LZH archive with `command` and `switches` into the destination. 0 on success;
/// 1 on failure, which was reported through `prompts` (a missing archive, or the code's text
/// from LzhErrorText with the warning icon, then a line each for the archive's name, the entry
/// and the reason, as far as they are known). Blocking: call it on a worker thread, with prompts
/// that reach the user from there.
int LzhMelt(Prompts& prompts, const QString& archive, const QString& destination, const QString& command,
            const QString& switches, const ExtractCallbacks& callbacks = {});
/// The same for a ZIP archive (ZipErrorText).
int ZipMelt(Prompts& prompts, const QString& archive, const QString& destination, const QString& switches,
            const ExtractCallbacks& callbacks = {});

/// One archive row chosen for extraction.
struct MeltItem {
    QString path;
    ArchiveKind kind = ArchiveKind::Zip;
};

/// Where the walk stands, for a progress display.
enum class MeltStage { Checking, Extracting };

/// Walks the archives in order: a folder is passed over, a ZIP whose first entry is encrypted
/// is extracted at once, any other archive only when its check finds it sound (otherwise the
/// "は、正常な書庫ファイルでは、ありません。" box). Returns the paths extracted without error, in
/// order. Once `callbacks.cancel` is set no further archive is started. `onStage` (may be
/// empty) hears each archive's index (0-based) and stage before that step. Blocking.
QStringList MeltArchives(const std::vector<MeltItem>& items, const QString& destination, Prompts& prompts,
                         const ExtractCallbacks& callbacks = {},
                         const std::function<void(int index, MeltStage stage)>& onStage = {});

} // namespace tobimaru
