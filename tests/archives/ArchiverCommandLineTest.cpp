#include "archives/ArchiverCommandLine.h"
#include "archives/ArchiverCodes.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

namespace tobimaru {
namespace {

TEST(ArchiverCommandLine, BuildsTheFrontEndsLines) {
    struct Row {
        QString archive, destination, lzh, zip;
    };
    const Row rows[] = {
        // A destination with a space is quoted with its trailing separator inside the quotes.
        {"/home/me/a.lzh", "/home/me/my music", R"(e -x1m1 "/home/me/a.lzh" "/home/me/my music/" )",
         R"(-x -s -V -i -C "/home/me/a.lzh" "/home/me/my music/" )"},
        // Neither dot nor space: unquoted; trailing blanks go before the separator is added.
        {"/tmp/archive", "/tmp/out  ", "e -x1m1 /tmp/archive /tmp/out/ ",
         "-x -s -V -i -C /tmp/archive /tmp/out/ "},
        // A destination that already ends in "/" gets no second one.
        {"/x/b.zip", "/", R"(e -x1m1 "/x/b.zip" / )", R"(-x -s -V -i -C "/x/b.zip" / )"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(LzhCommandLine("e", "-x1m1", r.archive, r.destination), r.lzh);
        EXPECT_EQ(ZipCommandLine("-x -s -V -i -C", r.archive, r.destination), r.zip);
    }
}

TEST(ArchiverCommandLine, ParsesBackWhatItBuilds) {
    // Paths a Linux folder may really have: blanks, dots, Japanese, a double quote inside.
    const QStringList paths{"/tmp/d", "/tmp/my dir", "/home/me/動画 フォルダ/x.y", R"(/tmp/say "hi" there)",
                            "/tmp/a\"b"};
    for (const QString& archive : paths) {
        for (const QString& destination : paths) {
            const ArchiverCommand lzh =
                ParseLzhCommandLine(LzhCommandLine("e", "-x1m1", archive + ".lzh", destination));
            EXPECT_EQ(lzh.code, ArchiverCode::Ok) << archive.toStdString();
            EXPECT_EQ(lzh.archive, archive + ".lzh");
            EXPECT_EQ(lzh.destination, destination + "/");
            const ArchiverCommand zip =
                ParseZipCommandLine(ZipCommandLine("-x -s -V -i -C", archive + ".zip", destination));
            EXPECT_EQ(zip.code, ArchiverCode::Ok);
            EXPECT_EQ(zip.archive, archive + ".zip");
            EXPECT_EQ(zip.destination, destination + "/");
        }
    }
}

TEST(ArchiverCommandLine, RefusesWhatItCannotDo) {
    struct Row {
        const char* line;
        bool lzh;
        ArchiverCode code;
    };
    const Row rows[] = {
        {"x -x1m1 /a.lzh /d/ ", true, ArchiverCode::Command},     // unknown command
        {"e -x0 /a.lzh /d/ ", true, ArchiverCode::Command},       // an offer we do not make
        {"e -x1m1 ", true, ArchiverCode::NoArchiveName},          // no archive
        {"e -x1m1 \"\" /d/ ", true, ArchiverCode::NoArchiveName}, // an empty one
        {"e -x1m1 /a.lzh ", true, ArchiverCode::Command},         // no destination
        {"e -x1m1 a.lzh /d/ ", true, ArchiverCode::Command},      // relative: the working folder is no one's
        {"e -x1m1 \"/a b.lzh /d/ ", true, ArchiverCode::Command}, // quote never closed
        // Two readings (archive /a into /b" "/c/, or /a" "/b into /c/): refused, not guessed.
        {"e -x1m1 \"/a\" \"/b\" \"/c/\" ", true, ArchiverCode::Command},
        {"-x -s -q /a.zip /d/ ", false, ArchiverCode::Command}, // unknown switch
        {"-x /a.zip /d/ more ", false, ArchiverCode::Command},  // a selection after the destination
        {"", false, ArchiverCode::NoArchiveName},
    };
    for (const Row& r : rows) {
        const QString line = QString::fromUtf8(r.line);
        EXPECT_EQ((r.lzh ? ParseLzhCommandLine(line) : ParseZipCommandLine(line)).code, r.code) << r.line;
    }
}

TEST(ArchiverCodes, EveryCodeOfTheTableHasItsText) {
    const QString unknown = QStringLiteral("未知のｴﾗｰです。&H");
    for (int code = 0x8005; code <= 0x8025; ++code) {
        const bool listed = code <= 0x8020 || code == 0x8025;
        EXPECT_EQ(!LzhErrorText(ArchiverCode{code}).startsWith(unknown), listed) << std::hex << code;
        EXPECT_EQ(!ZipErrorText(ArchiverCode{code}).startsWith(unknown), listed) << std::hex << code;
    }
    EXPECT_EQ(LzhErrorText(ArchiverCode{0}), QString());
    EXPECT_EQ(ZipErrorText(ArchiverCode{0x8010}), QStringLiteral("ﾌｧｲﾙが展開先に既に存在しています。"));
    EXPECT_EQ(LzhErrorText(ArchiverCode{0x800A}), QStringLiteral("格納ﾌｧｲﾙにﾊﾟｽﾜｰﾄﾞがかかっています。"));
    EXPECT_EQ(LzhErrorText(ArchiverCode{0x8009}),
              QStringLiteral("UnLHA32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。"));
    EXPECT_EQ(ZipErrorText(ArchiverCode{0x8009}),
              QStringLiteral("UnZip32.DLLで扱えない格納ﾓｰﾄﾞで格納されています。"));
    EXPECT_EQ(ZipErrorText(ArchiverCode{0x801B}), QStringLiteral("指定されたﾌｧｲﾙはZipﾌｧｲﾙではありません。"));
    EXPECT_EQ(ZipErrorText(ArchiverCode{0x8022}), unknown + "8022");
    EXPECT_EQ(LzhErrorText(ArchiverCode{0xabcde}), unknown + "ABCDE");
    EXPECT_EQ(LzhErrorText(ArchiverCode{-1}), unknown + "FFFFFFFF");
}

} // namespace
} // namespace tobimaru
