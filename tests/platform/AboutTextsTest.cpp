#include "platform/AboutTexts.h"
#include "support/TempDir.h"

#include <QFile>
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

TEST(AboutTexts, HomePageIsTheOneTheMetainfoNames) {
    QFile metainfo(QString::fromUtf8(TOBIMARU_METAINFO));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    const QString homepage =
        QStringLiteral("<url type=\"homepage\">") + ProjectHomePage() + QStringLiteral("</url>");
    EXPECT_TRUE(QString::fromUtf8(metainfo.readAll()).contains(homepage))
        << "the button would open another page";
    EXPECT_TRUE(ProjectHomePage().startsWith("https://"));
}
