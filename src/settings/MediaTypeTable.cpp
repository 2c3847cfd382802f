#include "settings/MediaTypeTable.h"

#include "settings/IniFile.h"
#include "settings/SettingsConvert.h"

#include <algorithm>

namespace tobimaru {

namespace {

struct Row {
    const char* extension;
    const char* description;
};

// The first 28 rows, in the insertion order of the dialog; their key numbers are their places in
// ascending extension order, which settings files of every earlier version rely on.
constexpr int kClassicCount = 28;
constexpr Row kRows[MediaTypeCount] = {
    {"wmv", "Windows Media ファイル"},
    {"wma", "Windows Media ファイル"},
    {"wax", "Windows Media ファイル"},
    {"rmi", "Windows Media ファイル"},
    {"asf", "Windows Media ファイル"},
    {"asx", "Windows Media ファイル"},
    {"mpg", "MPEG ファイル"},
    {"mpeg", "MPEG ファイル"},
    {"m1v", "MPEG ファイル"},
    {"mp2", "MPEG ファイル"},
    {"mp3", "MPEG ファイル"},
    {"mpa", "MPEG ファイル"},
    {"mpe", "MPEG ファイル"},
    {"mid", "MIDIファイル"},
    {"au", "オーディオ ファイル"},
    {"vob", "DVD ビデオ ファイル"},
    {"qt", "Apple QuickTime, Macintosh AIFF リソース ファイル"},
    {"aifc", "Apple QuickTime, Macintosh AIFF リソース ファイル"},
    {"dat", "ビデオCDファイル"},
    {"avi", "aviファイル"},
    {"wav", "Wavファイル"},
    {"png", "Portable Network Graphics イメージ ファイル"},
    {"jpg", "JPGファイル"},
    {"jpeg", "JPEGファイル"},
    {"bmp", "BMPファイル"},
    {"tif", "TIFファイル"},
    {"tiff", "TIFFファイル"},
    {"gif", "GIFファイル"},
    // The formats people have today. Their numbers follow the 28 in this fixed order, so that
    // adding a row never renumbers a mark a settings file already holds.
    {"mp4", "MPEG-4 ビデオ ファイル"},
    {"m4v", "MPEG-4 ビデオ ファイル"},
    {"mkv", "Matroska ビデオ ファイル"},
    {"webm", "WebM ビデオ ファイル"},
    {"mov", "QuickTime ムービー ファイル"},
    {"ogv", "Ogg ビデオ ファイル"},
    {"ts", "MPEG-2 TS ビデオ ファイル"},
    {"flac", "FLAC オーディオ ファイル"},
    {"ogg", "Ogg オーディオ ファイル"},
    {"opus", "Opus オーディオ ファイル"},
    {"m4a", "MPEG-4 オーディオ ファイル"},
    {"aac", "AAC オーディオ ファイル"},
    {"webp", "WebP イメージ ファイル"},
};

bool ExtensionLess(const MediaType& a, const MediaType& b) {
    return a.extension.compare(b.extension, Qt::CaseInsensitive) < 0;
}

} // namespace

QString BuiltInListPattern() {
    return QStringLiteral("*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png;"
                          "*.mp4;*.m4v;*.mkv;*.webm;*.flac;*.ogg;*.opus;*.m4a;*.jpg;*.jpeg");
}

QList<MediaType> MediaTypeRows() {
    QList<MediaType> rows;
    rows.reserve(MediaTypeCount);
    for (const Row& r : kRows)
        rows.append({QString::fromUtf8(r.extension), QString::fromUtf8(r.description), false});
    return rows;
}

QList<MediaType> SortedByExtension(QList<MediaType> rows) {
    std::stable_sort(rows.begin(), rows.end(), ExtensionLess);
    return rows;
}

namespace {

QList<MediaType> ByNumber(QList<MediaType> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const MediaType& a, const MediaType& b) {
        return MediaTypeNumber(a.extension) < MediaTypeNumber(b.extension);
    });
    return rows;
}

} // namespace

int MediaTypeNumber(const QString& extension) {
    int place = 0;
    for (int i = 0; i < MediaTypeCount; ++i) {
        if (extension.compare(QLatin1String(kRows[i].extension), Qt::CaseInsensitive) != 0)
            continue;
        if (i >= kClassicCount)
            return i + 1;
        // One of the 28: its place among them in ascending extension order.
        for (int j = 0; j < kClassicCount; ++j) {
            if (QLatin1String(kRows[j].extension)
                    .compare(QLatin1String(kRows[i].extension), Qt::CaseInsensitive) <= 0)
                ++place;
        }
        return place;
    }
    return 0;
}

QString BuildPatternList(const QList<MediaType>& rowsInDisplayOrder) {
    QString patterns;
    for (const MediaType& row : rowsInDisplayOrder) {
        if (row.checked)
            patterns += QStringLiteral("*.") + row.extension + QLatin1Char(';');
    }
    return patterns;
}

QString ListPatternFromStored(const QString& dspFile) {
    // Reads pass "0" as the default, so "0" is what an absent key looks like.
    if (dspFile.isEmpty() || dspFile == QLatin1String("0"))
        return BuiltInListPattern();
    // Only the separator goes: a hand-edited list without the final ";" keeps its last letter.
    if (dspFile.endsWith(QLatin1Char(';')))
        return dspFile.chopped(1);
    return dspFile;
}

namespace {

bool PatternsName(const QString& listPattern, const QString& extension) {
    const QString wanted = QStringLiteral("*.") + extension;
    const QStringList patterns = listPattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
        return p.trimmed().compare(wanted, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

void LoadMediaMarks(clsIniFile& ini, QList<MediaType>& rows, const QString& listPatternInUse) {
    ini.setSection(QStringLiteral("PlayFile"));
    bool anyStored = false;
    for (MediaType& row : rows) {
        const int number = MediaTypeNumber(row.extension);
        if (number == 0)
            continue;
        const QString stored = ini.GetStrValue({}, {}, QStringLiteral("Value%1").arg(number), QString());
        anyStored = anyStored || !stored.isEmpty();
        row.checked = !stored.isEmpty() && ToBoolean(stored);
    }
    // Never stored: show what the list is using, so that OK without a change keeps it.
    if (!anyStored) {
        for (MediaType& row : rows)
            row.checked = PatternsName(listPatternInUse, row.extension);
    }
}

void StoreMediaTypes(clsIniFile& ini, const QList<MediaType>& rows, const QString& patterns) {
    // The user may have sorted the list by another column; the keys follow the rows' numbers.
    const QList<MediaType> numbered = ByNumber(rows);
    ini.setSection(QStringLiteral("PlayFile"));
    for (const MediaType& row : numbered) {
        const QString n = QString::number(MediaTypeNumber(row.extension));
        ini.SetValue(row.checked, {}, {}, QStringLiteral("Value") + n);
        ini.SetValue(row.extension, {}, {}, QStringLiteral("kakuchosi") + n);
        ini.SetValue(row.description, {}, {}, QStringLiteral("setumei") + n);
    }
    ini.setSection(QStringLiteral("ListFile"));
    ini.SetValue(patterns, {}, {}, QStringLiteral("DspFile"));
}

bool ApplyMediaTypeChoice(clsIniFile& ini, const QList<MediaType>& rowsInDisplayOrder, QString& listPattern) {
    const QString patterns = BuildPatternList(rowsInDisplayOrder);
    if (patterns.isEmpty())
        return false;
    StoreMediaTypes(ini, rowsInDisplayOrder, patterns);
    const QString pattern = patterns.chopped(1);
    if (pattern != listPattern)
        listPattern = pattern;
    return true;
}

} // namespace tobimaru
