#include "archives/LhaZipMelt.h"

#include "archives/Archiver.h"
#include "archives/ArchiverCommandLine.h"
#include "base/FileNames.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"

namespace tobimaru {

namespace {

void ShowNotSound(Prompts& prompts, const QString& archive) {
    prompts.message(archive + QStringLiteral("は、正常な書庫ファイルでは、ありません。"), AppTitle(),
                    PromptIcon::None, PromptButtons::Ok);
}

bool Cancelled(const ExtractCallbacks& callbacks) {
    return callbacks.cancel && callbacks.cancel->load();
}

/// The result of one extraction as the melt functions give it: 0, or 1 once the code's text has
/// been shown. Below the text, each on a line of its own, come the archive, the entry it failed
/// at and why: with several archives selected the code's text alone cannot say which one.
int Reported(Prompts& prompts, ArchiveKind kind, ArchiverCode code, const QString& archive,
             const ExtractFailure& failure) {
    if (code == ArchiverCode::Ok)
        return 0;
    QStringList lines{ArchiverErrorText(kind, code),
                      QStringLiteral("書庫: ") + DisplayFileName(GetFileNamePart(archive))};
    if (!failure.entry.isEmpty())
        lines << QStringLiteral("項目: ") + DisplayFileName(failure.entry);
    if (!failure.reason.isEmpty())
        lines << QStringLiteral("理由: ") + failure.reason;
    prompts.message(lines.join(QLatin1Char('\n')), AppTitle(), PromptIcon::Warning, PromptButtons::Ok);
    return 1;
}

} // namespace

std::optional<ArchiveKind> ArchiveKindOfExtension(const QString& extension) {
    const QString lower = extension.toLower();
    if (lower == QLatin1String("zip"))
        return ArchiveKind::Zip;
    if (lower == QLatin1String("lzh"))
        return ArchiveKind::Lzh;
    return std::nullopt;
}

QString WithTrailingBackslash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

bool LzhCheck(const QString& archive) {
    return UnlhaCheckArchive(archive, 2);
}

bool ZipCheck(const QString& archive) {
    return UnZipCheckArchive(archive, 2);
}

int LzhMelt(Prompts& prompts, const QString& archive, const QString& destination, const QString& command,
            const QString& switches, const ExtractCallbacks& callbacks) {
    if (!ExistsFile(archive)) {
        prompts.message(QStringLiteral("ファイルが見つかりません。No.4"), QStringLiteral("LzhMeltエラー"),
                        PromptIcon::None, PromptButtons::Ok);
        return 1;
    }
    const QString line = LzhCommandLine(command, switches, archive, WithTrailingBackslash(destination));
    ExtractFailure failure;
    const ArchiverCode code = Unlha(line, callbacks, &failure);
    return Reported(prompts, ArchiveKind::Lzh, code, archive, failure);
}

int ZipMelt(Prompts& prompts, const QString& archive, const QString& destination, const QString& switches,
            const ExtractCallbacks& callbacks) {
    if (!ExistsFile(archive)) {
        prompts.message(QStringLiteral("ファイルが存在しません。No.9"), QStringLiteral("ZipMeltエラー"),
                        PromptIcon::None, PromptButtons::Ok);
        return 1;
    }
    const QString line = ZipCommandLine(switches, archive, WithTrailingBackslash(destination));
    ExtractFailure failure;
    const ArchiverCode code = UnZip(line, callbacks, &failure);
    return Reported(prompts, ArchiveKind::Zip, code, archive, failure);
}

QStringList MeltArchives(const std::vector<MeltItem>& items, const QString& destination, Prompts& prompts,
                         const ExtractCallbacks& callbacks,
                         const std::function<void(int index, MeltStage stage)>& onStage) {
    const auto stage = [&](int index, MeltStage s) {
        if (onStage)
            onStage(index, s);
    };
    QStringList done;
    for (int i = 0; i < int(items.size()); ++i) {
        if (Cancelled(callbacks))
            break;
        const MeltItem& item = items[size_t(i)];
        if (ExistsFolder(item.path))
            continue;
        stage(i, MeltStage::Checking);
        int result = 1;
        if (item.kind == ArchiveKind::Zip) {
            // An encrypted entry's data cannot be read without its password, so the check
            // would tell nothing about it: the extraction asks and checks as it goes.
            const int state = ZipFirstEntryState(item.path);
            if (state == 1 || (state == 0 && ZipCheck(item.path))) {
                stage(i, MeltStage::Extracting);
                result =
                    ZipMelt(prompts, item.path, destination, QStringLiteral("-x -s -V -i -C"), callbacks);
            } else {
                ShowNotSound(prompts, item.path);
            }
        } else if (!LzhCheck(item.path)) {
            ShowNotSound(prompts, item.path);
        } else {
            stage(i, MeltStage::Extracting);
            result = LzhMelt(prompts, item.path, destination, QStringLiteral("e"), QStringLiteral("-x1m1"),
                             callbacks);
        }
        if (result == 0)
            done << item.path;
    }
    return done;
}

} // namespace tobimaru
