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

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(MediaTypeTable, RowsAreNumberedByExtensionOrder) {
    const QList<MediaType> rows = MediaTypeRows();
    ASSERT_EQ(rows.size(), MediaTypeCount);
    EXPECT_EQ(rows.first().extension, "wmv");
    EXPECT_EQ(rows.last().extension, "gif");
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [](const MediaType& r) { return r.checked; }));

    const QStringList sorted = Extensions(SortedByExtension(rows));
    EXPECT_EQ(sorted,
              QString("aifc asf asx au avi bmp dat gif jpeg jpg m1v mid mp2 mp3 mpa mpe mpeg mpg png qt "
                      "rmi tif tiff vob wav wax wma wmv")
                  .split(' '));
    const struct {
        const char* extension;
        int number;
    } numbers[] = {{"aifc", 1}, {"avi", 5}, {"jpeg", 9}, {"jpg", 10}, {"mpg", 18},
                   {"WMV", 28}, {"mov", 0}, {"aif", 0},  {"", 0}};
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
    EXPECT_EQ(BuiltInListPattern(), "*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png");
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

    // Reading the marks back checks the same two rows, whatever order the rows are in.
    QList<MediaType> again = MediaTypeRows();
    LoadMediaMarks(ini, again);
    QStringList marked;
    for (const MediaType& r : again) {
        if (r.checked)
            marked << r.extension;
    }
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
    int code = 0;
    try {
        LoadMediaMarks(bad, rows);
    } catch (const Failure& f) {
        code = f.code();
    }
    EXPECT_EQ(code, ErrorCode::TypeMismatch);
}
