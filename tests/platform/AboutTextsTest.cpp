#include "platform/AboutTexts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::TempDir;

TEST(AboutTexts, VersionLabelHasItsFourLines) {
    const QStringList lines = VersionLabelText("Debian GNU/Linux 12 6.1.0", "不明").split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "TobimaruMe Ver1.0.1");
    EXPECT_TRUE(lines[1].startsWith(' ')) << "the notice follows one blank";
    EXPECT_GT(lines[1].trimmed().size(), 0);
    EXPECT_EQ(lines[2], "Debian GNU/Linux 12 6.1.0");
    EXPECT_EQ(lines[3], "Shell32.dll Ver不明");
}

TEST(AboutTexts, HistoryAsWritten) {
    EXPECT_EQ(VersionHistoryText(), QStringLiteral("（バージョン履歴) \r\n2003.02.12 1.0.0 初公開\r\n"));
}

TEST(AboutTexts, HomePageIsTheInstalledReadmeElseTheOneBesideTheProgram) {
    TempDir dir;
    const QString bin = dir.mkdir("usr/bin");
    EXPECT_EQ(ProjectHomePage(bin), dir.file("usr/bin/README.md"));
    dir.write("usr/share/doc/tobimarume/README.md", "# TobimaruMe");
    EXPECT_EQ(ProjectHomePage(bin), dir.file("usr/share/doc/tobimarume/README.md"));
}

TEST(AboutTexts, MailAddressIsAMailLink) {
    EXPECT_TRUE(ProjectMailAddress().startsWith("mailto:"));
}
