#include "browse/SystemFolders.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace tobimaru;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvOverride {
public:
    EnvOverride(const char* name, const QByteArray& value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvOverride() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name = nullptr;
    bool m_had = false;
    QByteArray m_old;
};

} // namespace

TEST(SpecialFolders, DesktopAndDocumentsComeFromTheXdgUserFolders) {
    test::TempDir dir;
    const QString docs = dir.mkdir(QString::fromUtf8("ドキュメント"));
    dir.write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                       "XDG_DOCUMENTS_DIR=\"" +
                                           docs.toUtf8() + "/\"\n");
    EnvOverride config("XDG_CONFIG_HOME", dir.file("config").toUtf8());

    const ClsGetSpecialFolder folders;
    EXPECT_EQ(folders.DesktopPath(), QDir::homePath() + "/Schreibtisch");
    EXPECT_EQ(folders.MyDocumentPath(), docs); // no trailing slash, whatever the file says
}

TEST(SpecialFolders, FoldersWithoutALinuxCounterpartAreEmpty) {
    const ClsGetSpecialFolder folders;
    EXPECT_EQ(folders.NetWorkPath(), "");
    EXPECT_EQ(folders.SendToPath(), "");
    EXPECT_EQ(folders.FavoritesDirPath(), "");
    EXPECT_EQ(folders.WindowsPath(), "");
    EXPECT_EQ(folders.SystemPath(), "");
    EXPECT_FALSE(folders.ProgramsDirPath().endsWith('/'));
}

TEST(SpecialFolders, TempPathEndsInOneSlash) {
    test::TempDir dir;
    for (const QString& tmp : {dir.path(), dir.path() + "/"}) {
        EnvOverride env("TMPDIR", tmp.toUtf8());
        EXPECT_EQ(ClsGetSpecialFolder().TempPath(), dir.path() + "/") << tmp.toStdString();
    }
    EXPECT_EQ(TrimAtNull(QString("abc") + QChar(u'\0') + "def"), "abc");
    EXPECT_EQ(TrimAtNull("abc"), "abc");
}
