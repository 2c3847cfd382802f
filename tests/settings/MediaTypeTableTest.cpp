#include "settings/MediaTypeTable.h"
#include "base/ErrorTable.h"
#include "settings/IniFile.h"
#include "settings/PrivateProfile.h"
#include "support/TempDir.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::TempDir;

namespace {

QStringList Extensions(const QList<MediaType>& rows) {
    QStringList out;
    for (const MediaType& r : rows)
        out << r.extension;
    return out;
}

QList<MediaType> Checked(QList<MediaType> rows, const QStringList& extensions) {
    for (MediaType& r : rows)
        r.checked = extensions.contains(r.extension);
    return rows;
}

QStringList CheckedExtensions(const QList<MediaType>& rows) {
    QStringList out;
    for (const MediaType& r : rows) {
        if (r.checked)
            out << r.extension;
    }
    return out;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(MediaTypeTable, RowsAreNumberedByExtensionOrder) {
    const QList<MediaType> rows = MediaTypeRows();
    ASSERT_EQ(rows.size(), MediaTypeCount);
    EXPECT_EQ(rows.first().extension, "wmv");
    EXPECT_EQ(rows[27].extension, "gif");
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [](const MediaType& r) { return r.checked; }));

    const QStringList sorted = Extensions(SortedByExtension(rows.mid(0, 28)));
    EXPECT_EQ(sorted,
              QString("aifc asf asx au avi bmp dat gif jpeg jpg m1v mid mp2 mp3 mpa mpe mpeg mpg png qt "
                      "rmi tif tiff vob wav wax wma wmv")
                  .split(' '));
    const struct {
        const char* extension;
        int number;
    } numbers[] = {{"aifc", 1}, {"avi", 5},  {"jpeg", 9}, {"jpg", 10},
                   {"mpg", 18}, {"WMV", 28}, {"aif", 0},  {"", 0}};
    for (const auto& n : numbers)
        EXPECT_EQ(MediaTypeNumber(n.extension), n.number) << n.extension;

    const auto description = [&](const char* ext) {
        return std::find_if(rows.begin(), rows.end(), [&](const MediaType& r) { return r.extension == ext; })
            ->description;
    };
    EXPECT_EQ(description("rmi"), "Windows Media ファイル");
    EXPECT_EQ(description("qt"), description("aifc"));
    EXPECT_EQ(description("png"), "Portable Network Graphics イメージ ファイル");
}

TEST(MediaTypeTable, PatternListFollowsDisplayOrder) {
    const QList<MediaType> rows = SortedByExtension(MediaTypeRows());
    EXPECT_EQ(BuildPatternList(rows), "");
    EXPECT_EQ(BuildPatternList(Checked(rows, {"mpg", "avi"})), "*.avi;*.mpg;");
    EXPECT_EQ(BuildPatternList(Checked(MediaTypeRows(), {"mpg", "avi"})), "*.mpg;*.avi;");
}

TEST(MediaTypeTable, StoredListBecomesTheRunTimeList) {
    const struct {
        const char* stored;
        QString expected;
    } cases[] = {
        {"", BuiltInListPattern()}, {"0", BuiltInListPattern()},    {"*.avi;*.mpg;", "*.avi;*.mpg"},
        {"*.avi;", "*.avi"},        {"*.avi;*.mpg", "*.avi;*.mpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListPatternFromStored(c.stored), c.expected) << c.stored;
    EXPECT_EQ(BuiltInListPattern(), "*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png;"
                                    "*.mp4;*.m4v;*.mkv;*.webm;*.flac;*.ogg;*.opus;*.m4a;*.jpg;*.jpeg");
}

// The formats added after the classic 28: each keeps a fixed number after them, whatever it sorts
// like, so a settings file written before keeps every mark where it was.
TEST(MediaTypeTable, TodaysFormatsAreNumberedAfterTheClassicRowsAndStoredThere) {
    const struct {
        const char* extension;
        int number;
    } rows[] = {{"mp4", 29},  {"m4v", 30}, {"mkv", 31},  {"webm", 32}, {"mov", 33}, {"ogv", 34}, {"ts", 35},
                {"flac", 36}, {"ogg", 37}, {"opus", 38}, {"m4a", 39},  {"aac", 40}, {"webp", 41}};
    ASSERT_EQ(std::size(rows) + 28, size_t(MediaTypeCount));
    TempDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.extension);
        EXPECT_EQ(MediaTypeNumber(QString::fromLatin1(r.extension).toUpper()), r.number);
        const QString path = dir.file(QStringLiteral("%1.ini").arg(r.extension));
        clsIniFile ini(path);
        QString listPattern;
        ASSERT_TRUE(ApplyMediaTypeChoice(ini, Checked(SortedByExtension(MediaTypeRows()), {r.extension}),
                                         listPattern));
        const QString n = QString::number(r.number);
        EXPECT_EQ(ReadProfileString(path, "PlayFile", "Value" + n, "0"), "True");
        EXPECT_EQ(ReadProfileString(path, "PlayFile", "kakuchosi" + n, "0"), r.extension);
        EXPECT_FALSE(ReadProfileString(path, "PlayFile", "setumei" + n, "0").isEmpty());
        EXPECT_EQ(listPattern, QStringLiteral("*.") + r.extension);
    }
}

TEST(MediaTypeTable, AFileWrittenBeforeKeepsEveryMark) {
    TempDir dir;
    QByteArray old = "[PlayFile]\n";
    for (int i = 1; i <= 28; ++i)
        old += "Value" + QByteArray::number(i) + (i == 5 || i == 28 ? "=True\n" : "=False\n");
    clsIniFile ini(dir.write("old.ini", old));
    QList<MediaType> rows = SortedByExtension(MediaTypeRows());
    LoadMediaMarks(ini, rows, BuiltInListPattern());
    const QStringList marked = CheckedExtensions(rows);
    EXPECT_EQ(marked, QStringList({"avi", "wmv"})) << "stored marks win over the list in use";
}

TEST(MediaTypeTable, WithNoStoredMarksTheRowsTheListUsesAreCheckedAndOkKeepsThem) {
    TempDir dir;
    const QString path = dir.file("first.ini");
    clsIniFile ini(path);
    QList<MediaType> rows = SortedByExtension(MediaTypeRows());
    LoadMediaMarks(ini, rows, BuiltInListPattern());
    const QStringList marked = CheckedExtensions(rows);
    EXPECT_EQ(
        marked,
        QString("avi dat flac jpeg jpg m4a m4v mkv mov mp4 mpeg mpg ogg opus png wav webm wmv").split(' '));
    QString listPattern = BuiltInListPattern();
    ASSERT_TRUE(ApplyMediaTypeChoice(ini, rows, listPattern)) << "OK without a change is accepted";
    QList<MediaType> again = SortedByExtension(MediaTypeRows());
    LoadMediaMarks(ini, again, QStringLiteral("*.avi"));
    const QStringList stored = CheckedExtensions(again);
    EXPECT_EQ(stored, marked) << "what the user saw is what was stored";
}

TEST(MediaTypeTable, OkWithAviAndMpgStoresMarksAndPatterns) {
    TempDir dir;
    const QString path = dir.file("a.ini");
    clsIniFile ini(path);
    QString listPattern = BuiltInListPattern();
    ASSERT_TRUE(
        ApplyMediaTypeChoice(ini, Checked(SortedByExtension(MediaTypeRows()), {"avi", "mpg"}), listPattern));

    EXPECT_EQ(listPattern, "*.avi;*.mpg");
    EXPECT_EQ(ReadProfileString(path, "ListFile", "DspFile", "0"), "*.avi;*.mpg;");
    for (int i = 1; i <= MediaTypeCount; ++i) {
        const QString key = QString::number(i);
        EXPECT_EQ(ReadProfileString(path, "PlayFile", "Value" + key, "0"),
                  (i == 5 || i == 18) ? "True" : "False");
    }
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "kakuchosi5", "0"), "avi");
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "setumei5", "0"), "aviファイル");
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "kakuchosi28", "0"), "wmv");
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "kakuchosi29", "0"), "mp4");

    // Reading the marks back checks the same two rows, whatever order the rows are in.
    QList<MediaType> again = MediaTypeRows();
    LoadMediaMarks(ini, again);
    const QStringList marked = CheckedExtensions(again);
    EXPECT_EQ(marked, QStringList({"mpg", "avi"}));
}

TEST(MediaTypeTable, ASortByDescriptionStillStoresWmvAsRow28) {
    TempDir dir;
    const QString path = dir.file("a.ini");
    clsIniFile ini(path);
    QList<MediaType> byDescription = Checked(MediaTypeRows(), {"wmv", "dat"});
    std::stable_sort(byDescription.begin(), byDescription.end(),
                     [](const MediaType& a, const MediaType& b) { return a.description < b.description; });
    QString listPattern;
    ASSERT_TRUE(ApplyMediaTypeChoice(ini, byDescription, listPattern));
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "Value28", "0"), "True");
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "Value7", "0"), "True");
    EXPECT_EQ(ReadProfileString(path, "PlayFile", "Value1", "0"), "False");
    // The pattern order is the order the user saw: "Windows Media" sorts before "ビデオCD".
    EXPECT_EQ(listPattern, "*.wmv;*.dat");
}

TEST(MediaTypeTable, NoCheckedRowIsRefusedAndNothingIsStored) {
    TempDir dir;
    const QByteArray before = "[ListFile]\nDspFile=*.avi;\n[PlayFile]\nValue5=True\n";
    const QString path = dir.write("a.ini", before);
    clsIniFile ini(path);
    QString listPattern = "*.avi";
    EXPECT_FALSE(ApplyMediaTypeChoice(ini, SortedByExtension(MediaTypeRows()), listPattern));
    EXPECT_EQ(listPattern, "*.avi");
    EXPECT_EQ(ReadAll(path), before);
}

TEST(MediaTypeTable, MarksStartUncheckedAndABadMarkIsATypeMismatch) {
    TempDir dir;
    clsIniFile none(dir.file("none.ini"));
    QList<MediaType> rows = Checked(MediaTypeRows(), {"avi"});
    LoadMediaMarks(none, rows);
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [](const MediaType& r) { return r.checked; }));

    clsIniFile bad(dir.write("bad.ini", "[PlayFile]\nValue3=1\nValue4=maybe\n"));
    std::optional<ErrorCode> code;
    try {
        LoadMediaMarks(bad, rows);
    } catch (const Failure& f) {
        code = f.code();
    }
    EXPECT_EQ(code, ErrorCode::TypeMismatch);
}
