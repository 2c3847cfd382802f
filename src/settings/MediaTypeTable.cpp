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

// The insertion order of the dialog; the sorted order that numbers the keys is derived from it.
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
};

bool ExtensionLess(const MediaType& a, const MediaType& b) {
    return a.extension.compare(b.extension, Qt::CaseInsensitive) < 0;
}

} // namespace

QString BuiltInListPattern() {
    return QStringLiteral("*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png");
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

int MediaTypeNumber(const QString& extension) {
    const QList<MediaType> sorted = SortedByExtension(MediaTypeRows());
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        if (sorted[i].extension.compare(extension, Qt::CaseInsensitive) == 0)
            return int(i) + 1;
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

void LoadMediaMarks(clsIniFile& ini, QList<MediaType>& rows) {
    ini.setSection(QStringLiteral("PlayFile"));
    for (MediaType& row : rows) {
        const int number = MediaTypeNumber(row.extension);
        if (number == 0)
            continue;
        row.checked =
            ToBoolean(ini.GetStrValue({}, {}, QStringLiteral("Value%1").arg(number), QStringLiteral("0")));
    }
}

void StoreMediaTypes(clsIniFile& ini, const QList<MediaType>& rows, const QString& patterns) {
    // The user may have sorted the list by another column; the keys follow the extension order.
    const QList<MediaType> sorted = SortedByExtension(rows);
    ini.setSection(QStringLiteral("PlayFile"));
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const QString n = QString::number(i + 1);
        ini.SetValue(sorted[i].checked, {}, {}, QStringLiteral("Value") + n);
        ini.SetValue(sorted[i].extension, {}, {}, QStringLiteral("kakuchosi") + n);
        ini.SetValue(sorted[i].description, {}, {}, QStringLiteral("setumei") + n);
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
