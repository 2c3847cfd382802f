#include "base/FileNames.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace tobimaru;

TEST(FileNames, EveryNameComesBackToItsOwnBytesAndOnlyTheShownTextHasReplacements) {
    const struct {
        const char* what;
        QByteArray bytes;
        int replaced; ///< bytes that are not UTF-8
    } cases[] = {
        {"ASCII", "clip.avi", 0},
        {"UTF-8 Japanese", "動画ファイル.mp4", 0},
        {"UTF-8 outside the BMP", "\xF0\x9F\x8E\xAC.avi", 0},
        {"Latin-1", "caf\xE9.avi", 1},
        {"CP932 from an old archive", "\x83\x65\x83\x58\x83\x67.avi", 3},
        {"an overlong slash",
         "a\xC0\xAF"
         "b",
         2},
        {"a surrogate written as UTF-8", "\xED\xA0\x80x", 3},
        {"a sequence cut short", "\xE3\x81", 2},
        {"past U+10FFFF", "\xF4\x90\x80\x80", 4},
        {"a lone continuation byte", "\x80", 1},
    };
    QSet<QString> seen;
    for (const auto& c : cases) {
        const QString path = DecodeFileName(c.bytes);
        EXPECT_EQ(EncodeFileName(path), c.bytes) << c.what;
        const QString shown = DisplayFileName(path);
        EXPECT_EQ(shown.count(QChar::ReplacementCharacter), c.replaced) << c.what;
        if (c.replaced == 0) {
            EXPECT_EQ(path, QString::fromUtf8(c.bytes)) << c.what;
            EXPECT_EQ(shown, path) << c.what;
        }
        seen.insert(path);
    }
    EXPECT_EQ(seen.size(), int(std::size(cases))) << "two names came out as one";
    // Two names that Qt would both show as "caf\uFFFD.avi" stay two paths.
    EXPECT_NE(DecodeFileName("caf\xE9.avi"), DecodeFileName("caf\xE8.avi"));
}
