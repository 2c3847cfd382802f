#include "settings/OptionsStore.h"

#include "base/ErrorTable.h"
#include "base/RuntimeSettings.h"
#include "settings/IniFile.h"
#include "settings/IniSession.h"
#include "settings/SettingsConvert.h"

namespace tobimaru {

namespace {

const char* const kBootKeys[] = {"SearchPath", "BootPosition", "ScreenSaver", "QuickPathLoad", "MousePlay"};
const char* const kFileViewKeys[] = {"HiddenAtr", "SystemAtr", "ReadOnlyAtr", "FolderDsp"};

const QString kMelt = QStringLiteral("Melt");
const QString kSelectFolder = QStringLiteral("SelectFolder");

/// A check box takes 0, 1 or 2 and refuses anything else.
int CheckValue(qint32 stored) {
    if (stored < kUnchecked || stored > kGrayed)
        throw Failure(ErrorCode::InvalidPropertyValue, "check box");
    return int(stored);
}

/// Replaces the file once, whichever way the save ends.
class CommitAtEnd final {
public:
    explicit CommitAtEnd(IniSession& session)
        : m_session(session) {}
    ~CommitAtEnd() { m_session.commit(); }
    Q_DISABLE_COPY(CommitAtEnd)

private:
    IniSession& m_session;
};

int16_t ReadInt16(const clsIniFile& ini, const QString& key) {
    return ToInt16(ini.GetStrValue({}, {}, key, QStringLiteral("0")));
}

} // namespace

void LoadOptions(const QString& iniPath, OptionValues& values, RuntimeSettings& runtime) {
    IniSession session(iniPath);
    clsIniFile ini(session);
    LoadMediaMarks(ini, values.rows, runtime.ListPattern);

    ini.setSection(QStringLiteral("SlideShow"));
    runtime.SlideSeconds = ReadInt16(ini, QStringLiteral("SlideTime"));
    values.slideTime = QString::number(runtime.SlideSeconds);
    const int16_t slideType = ReadInt16(ini, QStringLiteral("SlideType"));
    runtime.SlideKind = slideType;
    if (slideType != 0 && slideType != 1)
        throw Failure(ErrorCode::SubscriptOutOfRange, "Option1");
    values.slideType = slideType;

    ini.setSection(QStringLiteral("Boot"));
    for (size_t i = 0; i < values.boot.size(); ++i)
        values.boot[i] = CheckValue(ini.GetIntValue({}, {}, QLatin1String(kBootKeys[i]), 0));

    ini.setSection(QStringLiteral("FileView"));
    for (size_t i = 0; i < values.fileView.size(); ++i)
        values.fileView[i] = CheckValue(ini.GetIntValue({}, {}, QLatin1String(kFileViewKeys[i]), 0));

    values.selectFolder = ini.GetIntValue({}, kMelt, kSelectFolder, 0) == 1;
}

void SaveOptions(const QString& iniPath, const OptionValues& values, const QString& patterns,
                 RuntimeSettings& runtime) {
    // Every key goes into one session and the file is replaced once, also when a bad slide time
    // ends the save half-way: a kill can then find the old file or the new one, never a mix.
    IniSession session(iniPath);
    const CommitAtEnd commit(session);
    clsIniFile ini(session);
    StoreMediaTypes(ini, values.rows, patterns);

    ini.setSection(QStringLiteral("SlideShow"));
    ini.SetValue(values.slideTime, {}, {}, QStringLiteral("SlideTime"));
    runtime.SlideSeconds = ToInt16(values.slideTime);
    ini.SetValue(values.slideType, {}, {}, QStringLiteral("SlideType"));
    runtime.SlideKind = int16_t(values.slideType);

    ini.setSection(QStringLiteral("Boot"));
    for (size_t i = 0; i < values.boot.size(); ++i)
        ini.SetValue(values.boot[i], {}, {}, QLatin1String(kBootKeys[i]));

    ini.setSection(QStringLiteral("FileView"));
    for (size_t i = 0; i < values.fileView.size(); ++i)
        ini.SetValue(values.fileView[i], {}, {}, QLatin1String(kFileViewKeys[i]));
    runtime.ShowHidden = values.fileView[0] != 0;
    runtime.ShowSystem = values.fileView[1] != 0;
    runtime.ShowReadOnly = values.fileView[2] != 0;
    runtime.ShowFolders = values.fileView[3] != 0;

    ini.SetValue(values.selectFolder ? 1 : 0, {}, kMelt, kSelectFolder);
}

bool ExtractionAsksForFolder(const QString& iniPath) {
    return clsIniFile(iniPath).GetIntValue({}, kMelt, kSelectFolder, 0) == 1;
}

} // namespace tobimaru
