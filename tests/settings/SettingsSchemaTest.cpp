#include "settings/SettingsSchema.h"
#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "settings/FakeSettingsHost.h"
#include "settings/MediaTypeTable.h"
#include "settings/PrivateProfile.h"
#include "settings/SettingsHost.h"
#include "support/FakePrompts.h"
#include "support/FileWatch.h"
#include "support/ForkedChild.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tobimaru;
using tobimaru::test::FakePrompts;
using tobimaru::test::FakeSettingsHost;
using tobimaru::test::FileWatch;
using tobimaru::test::ForkedChild;
using tobimaru::test::TempDir;

namespace {

class SettingsSchema : public ::testing::Test {
protected:
    QString ini() const { return m_dir.file("TobimaruMe.ini"); }
    void writeIni(const QByteArray& text) const { m_dir.write("TobimaruMe.ini", text); }
    void load() { LoadSettings(ini(), host, prompts, out); }
    QString stored(const QString& section, const QString& key) const {
        return ReadProfileString(ini(), section, key, "<absent>");
    }

    TempDir m_dir;
    FakeSettingsHost host;
    FakePrompts prompts;
    RuntimeSettings out;
};

const char* const kMenuOptions[] = {"Opt(1)", "Opt(2)", "Opt(3)", "MnuGrid", "MnuIconSet", "TreeViewLine"};

} // namespace

TEST_F(SettingsSchema, NoFileGivesEveryBuiltInValue) {
    host.checks["Dspsize(3)"] = true;
    host.checks["MnuGrid"] = true;
    load();

    EXPECT_TRUE(prompts.boxes.isEmpty());
    EXPECT_EQ(host.left, 1260);
    EXPECT_EQ(host.top, 1695);
    EXPECT_EQ(host.width, 12180);
    EXPECT_EQ(host.height, 9165);
    EXPECT_EQ(host.state, 0);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_FALSE(host.visible[i]);
        EXPECT_EQ(host.captions[i], "");
    }
    EXPECT_EQ(out.ListPattern, BuiltInListPattern());
    EXPECT_EQ(out.StartFolder, host.cwd);
    EXPECT_EQ(out.StartDrive, "/");
    EXPECT_EQ(out.NetworkShareRoot, "");
    for (const char* item : kMenuOptions)
        EXPECT_FALSE(host.checks[item]) << item;
    EXPECT_TRUE(host.checks["Dspsize(0)"]);
    EXPECT_FALSE(host.checks["Dspsize(3)"]);
    EXPECT_EQ(host.playerHeight, 0.0); // applied even when 0
    EXPECT_EQ(host.playerWidth, 0.0);
    EXPECT_EQ(host.shadowLeftValue, -1.0); // "0" is not applied
    EXPECT_FALSE(out.ScreenSaverOff);
    EXPECT_FALSE(out.GesturesOn);
    EXPECT_EQ(out.QuickPathMode, 0);
    EXPECT_EQ(out.SlideSeconds, 0);
    EXPECT_FALSE(out.ShowFolders);
    EXPECT_FALSE(host.log.contains("screensaver 0"));
    EXPECT_FALSE(QFile::exists(ini())); // nothing is written at start-up
}

TEST_F(SettingsSchema, StepsRunInTheirOrder) {
    writeIni("[Boot]\nScreenSaver=1\n[FormPos]\nXPosition=100\nYPosition=200\nWidth=9000\nHeight=7000\n"
             "WindowState=2\n[QuickPath]\nPath1=/a\n");
    load();
    const QStringList expected = {
        "screensaver 0",      "size 9000 7000",     "move 100 200",        "state 2",
        "check Dspsize(0) 0", "check Dspsize(1) 0", "check Dspsize(2) 0",  "check Dspsize(3) 0",
        "check Dspsize(4) 0", "check Dspsize(0) 1", "check Opt(1) 0",      "check Opt(2) 0",
        "check Opt(3) 0",     "check MnuGrid 0",    "check MnuIconSet 0",  "pass(0) '/a' 1",
        "pass(1) '' 0",       "pass(2) '' 0",       "pass(3) '' 0",        "pass(4) '' 0",
        "pass(5) '' 0",       "pass(6) '' 0",       "check TreeViewLine 0"};
    EXPECT_EQ(host.log, expected);
    EXPECT_TRUE(out.ScreenSaverOff);
}

TEST_F(SettingsSchema, WindowPlacementRules) {
    const struct {
        const char* name;
        QByteArray file;
        int maxWidth;
        int left, top, width, height, state;
    } cases[] = {
        {"stored place", "[FormPos]\nXPosition=-120\nYPosition=200\nWidth=9000\nHeight=7000\nWindowState=0\n",
         1 << 30, -120, 200, 9000, 7000, 0},
        {"centred with the size the window took",
         "[Boot]\nBootPosition=1\n[FormPos]\nXPosition=5\nYPosition=5\nWidth=9000\nHeight=7000\n", 8000,
         (19200 - 8000) / 2, (14400 - 7000) / 2, 8000, 7000, 0},
        {"centring ignores a first start", "[Boot]\nBootPosition=1\n[FormPos]\nWindowState=2\n", 1 << 30,
         1260, 1695, 12180, 9165, 2},
        {"minimised is not restored",
         "[FormPos]\nXPosition=1\nYPosition=2\nWidth=3\nHeight=4\nWindowState=1\n", 1 << 30, 1, 2, 3, 4, -1},
    };
    for (const auto& c : cases) {
        FakeSettingsHost h;
        h.maxWidth = c.maxWidth;
        writeIni(c.file);
        RuntimeSettings r;
        LoadSettings(ini(), h, prompts, r);
        EXPECT_EQ(QList<int>({h.left, h.top, h.width, h.height, h.state}),
                  QList<int>({c.left, c.top, c.width, c.height, c.state}))
            << c.name;
    }
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST_F(SettingsSchema, WhereTheDesktopPlacesTheWindowTheLoadOnlySizesIt) {
    const struct {
        const char* name;
        QByteArray file;
        int width, height, state;
    } cases[] = {
        {"stored place", "[FormPos]\nXPosition=-120\nYPosition=200\nWidth=9000\nHeight=7000\n", 9000, 7000,
         0},
        {"centred", "[Boot]\nBootPosition=1\n[FormPos]\nXPosition=5\nYPosition=5\nWidth=9000\nHeight=7000\n",
         9000, 7000, 0},
        {"first start", "[FormPos]\nWindowState=2\n", 12180, 9165, 2},
    };
    for (const auto& c : cases) {
        FakeSettingsHost h;
        h.positionKnown = false;
        writeIni(c.file);
        RuntimeSettings r;
        LoadSettings(ini(), h, prompts, r);
        EXPECT_EQ(h.log.filter(QStringLiteral("move ")), QStringList()) << c.name;
        EXPECT_EQ(QList<int>({h.width, h.height, h.state}), QList<int>({c.width, c.height, c.state}))
            << c.name;
    }
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST_F(SettingsSchema, WhereThePositionIsUnknownTheSaveKeepsTheStoredOne) {
    const struct {
        const char* name;
        QByteArray file;
        const char* x;
        const char* y;
    } cases[] = {
        {"stored place kept", "[FormPos]\nXPosition=1500\nYPosition=-450\nWidth=9000\nHeight=7000\n", "1500",
         "-450"},
        {"none stored, none written", "", "<absent>", "<absent>"},
    };
    for (const auto& c : cases) {
        writeIni(c.file);
        FakeSettingsHost h;
        h.positionKnown = false;
        h.left = -45; // what a Wayland window reports, nowhere near where it stands
        h.top = -450;
        h.normalWidth = 9600;
        h.normalHeight = 7200;
        h.state = 0;
        h.selected = "/";
        SaveSettings(ini(), h, prompts);
        EXPECT_EQ(stored("FormPos", "XPosition"), c.x) << c.name;
        EXPECT_EQ(stored("FormPos", "YPosition"), c.y) << c.name;
        EXPECT_EQ(stored("FormPos", "Width"), "9600") << c.name;
        EXPECT_EQ(stored("FormPos", "WindowState"), "0") << c.name;
        EXPECT_EQ(stored("FilePath", "Path"), "/") << c.name;
    }
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST_F(SettingsSchema, StartFolderRules) {
    // The temporary folder is the drive; below it one folder of every kind the tree admits or
    // hides, so that the start folder is one the tree can open down to, or else the current one.
    const bool root = ::geteuid() == 0;
    const QString saved = m_dir.mkdir("saved");
    const QString inDot = m_dir.mkdir(".dot/inner");
    const QString listed = m_dir.mkdir("listed");
    m_dir.write(".hidden", "listed\n");
    const QString readOnly = m_dir.mkdir("ro");
    ::chmod(QFile::encodeName(readOnly).constData(), 0555);
    const QString lostFound = m_dir.mkdir("lost+found");
    const QString locked = m_dir.mkdir("locked/inner");
    ::chmod(QFile::encodeName(m_dir.file("locked")).constData(), 0300); // not read-only, not listable
    const QString dotCwd = m_dir.mkdir("saved/.cache/run");
    const struct {
        const char* name;
        QByteArray searchPath;
        QByteArray path;
        QByteArray more; // further sections
        QString start;   // empty: the current folder
        QString cwd{};   // empty: the host's own
        QStringList notReady{};
    } cases[] = {
        {"stored folder opened", "1", saved.toUtf8(), "", saved},
        {"option off", "0", saved.toUtf8(), "", ""},
        {"drive not ready", "1", saved.toUtf8(), "", "", "", {m_dir.path()}},
        {"folder gone", "1", (saved + "/gone").toUtf8(), "", ""},
        {"inside a dot folder", "1", inDot.toUtf8(), "", ""},
        {"inside a dot folder, hidden shown", "1", inDot.toUtf8(), "[FileView]\nHiddenAtr=1\n", inDot},
        {"listed in .hidden", "1", listed.toUtf8(), "", ""},
        {"read-only", "1", readOnly.toUtf8(), "", ""},
        {"read-only shown", "1", readOnly.toUtf8(), "[FileView]\nReadOnlyAtr=1\n", readOnly},
        {"lost+found is a system folder", "1", lostFound.toUtf8(), "[FileView]\nHiddenAtr=1\n", ""},
        {"lost+found shown", "1", lostFound.toUtf8(), "[FileView]\nSystemAtr=1\n", lostFound},
        {"the value ends at its NUL", "1", saved.toUtf8() + QByteArray("\0/.dot", 6), "", saved},
        {"a relative path", "1", ".", "", ""},
        {"written with a slash at the end", "1", (saved + "/").toUtf8(), "", saved},
        {"behind a folder nobody may list", "1", locked.toUtf8(), "", root ? locked : QString()},
        {"a current folder the tree hides gives the nearest above", "1", inDot.toUtf8(), "", saved, dotCwd},
        {"a load that failed first", "1", saved.toUtf8(), "[FileView]\nHiddenAtr=x\n", saved},
    };
    for (const auto& c : cases) {
        writeIni("[Boot]\nSearchPath=" + c.searchPath + "\n[FilePath]\nPath=" + c.path + "\n" + c.more);
        FakeSettingsHost h;
        h.mounts << m_dir.path() << "/home";
        h.notReady = c.notReady;
        if (!c.cwd.isEmpty())
            h.cwd = c.cwd;
        RuntimeSettings r;
        FakePrompts p;
        LoadSettings(ini(), h, p, r);
        const QString start = c.start.isEmpty() ? h.cwd : c.start;
        EXPECT_EQ(r.StartFolder, start) << c.name;
        EXPECT_EQ(r.StartDrive, h.driveName(start)) << c.name;
        EXPECT_EQ(h.log.filter("checkDriveReady").size(), c.searchPath == "1" ? 1 : 0) << c.name;
        EXPECT_EQ(p.boxes.size(), c.more.contains("=x") ? 1 : 0) << c.name;
    }
    ::chmod(QFile::encodeName(m_dir.file("locked")).constData(), 0755);
}

TEST_F(SettingsSchema, QuickPathSlots) {
    const struct {
        const char* name;
        QByteArray file;
        QStringList captions; // "" = hidden
    } cases[] = {
        {"stored slots shown, others hidden",
         "[QuickPath]\nPath1=/a\nPath2=0\nPath3=\nPath4=/b\nPath7=/g\n",
         {"/a", "", "", "/b", "", "", "/g"}},
        {"cleared slots are no paths",
         "[QuickPath]\nPath1=\nPath2=\nPath3=0\n",
         {"", "", "", "", "", "", ""}},
        {"only the first six decide", "[QuickPath]\nPath7=/g\n", {"", "", "", "", "", "", ""}},
        {"not loaded when asked",
         "[Boot]\nQuickPathLoad=1\n[QuickPath]\nPath1=/a\nPath2=/b\n",
         {"", "", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        writeIni(c.file);
        FakeSettingsHost h;
        RuntimeSettings r;
        LoadSettings(ini(), h, prompts, r);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(h.captions[size_t(i)], c.captions[i]) << c.name << " pass(" << i << ")";
            EXPECT_EQ(h.visible[size_t(i)], !c.captions[i].isEmpty()) << c.name << " pass(" << i << ")";
        }
    }
}

TEST_F(SettingsSchema, QuickPathLoadOffMakesTheSaveClearTheStoredPaths) {
    writeIni("[Boot]\nQuickPathLoad=1\n[QuickPath]\nPath1=/a\nPath2=/b\nQuickPathValue=2\n");
    load();
    EXPECT_EQ(out.QuickPathMode, 2);
    host.selected = "/x";
    SaveSettings(ini(), host, prompts);
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(stored("QuickPath", QStringLiteral("Path%1").arg(i)), "");
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST_F(SettingsSchema, AFailureEndsTheLoadWhereItHappens) {
    const struct {
        const char* name;
        QByteArray file;
        ErrorCode code;
        std::function<void(const FakeSettingsHost&, const RuntimeSettings&)> check;
    } cases[] = {
        {"no number in Boot", "[Boot]\nSearchPath=abc\nScreenSaver=1\n", ErrorCode::TypeMismatch,
         [](const FakeSettingsHost& h, const RuntimeSettings& r) {
             EXPECT_TRUE(h.log.isEmpty());
             EXPECT_FALSE(r.ScreenSaverOff);
             EXPECT_EQ(r.ListPattern, BuiltInListPattern());
             EXPECT_EQ(r.StartFolder, h.cwd);
         }},
        {"position beyond 16 bits", "[Boot]\nScreenSaver=1\nmousePlay=1\n[FormPos]\nXPosition=100000\n",
         ErrorCode::Overflow,
         [](const FakeSettingsHost& h, const RuntimeSettings& r) {
             EXPECT_EQ(h.log, QStringList{"screensaver 0"});
             EXPECT_TRUE(r.GesturesOn);
             EXPECT_EQ(h.width, -1);
         }},
        {"16-bit text out of range", "[Boot]\nBootPosition=40000\n", ErrorCode::Overflow,
         [](const FakeSettingsHost& h, const RuntimeSettings&) { EXPECT_TRUE(h.log.isEmpty()); }},
        {"window state the window does not have", "[FormPos]\nWindowState=3\n[MoviePlay]\nScreenSize=1\n",
         ErrorCode::InvalidPropertyValue,
         [](const FakeSettingsHost& h, const RuntimeSettings&) {
             EXPECT_EQ(h.width, 12180);
             EXPECT_EQ(h.state, -1);
             EXPECT_FALSE(h.checks["Dspsize(1)"]);
         }},
        {"no Boolean word", "[MoviePlay]\nScreenSize=2\nMuteState=maybe\n[ListFile]\nDspFile=*.avi;\n",
         ErrorCode::TypeMismatch,
         [](const FakeSettingsHost& h, const RuntimeSettings& r) {
             EXPECT_EQ(h.width, 12180);
             EXPECT_TRUE(h.checks["Dspsize(2)"]);
             EXPECT_FALSE(h.log.contains("check Opt(1) 0"));
             EXPECT_EQ(r.ListPattern, BuiltInListPattern());
         }},
        {"display size beyond the five", "[MoviePlay]\nScreenSize=7\nMuteState=True\n",
         ErrorCode::SubscriptOutOfRange,
         [](const FakeSettingsHost& h, const RuntimeSettings&) {
             for (int i = 0; i < 5; ++i)
                 EXPECT_FALSE(h.checks[QStringLiteral("Dspsize(%1)").arg(i)]);
             EXPECT_FALSE(h.checks["Opt(1)"]);
         }},
        {"slide time out of range",
         "[ListFile]\nDspFile=*.avi;*.mpg;\n[SlideShow]\nSlideTime=70000\n"
         "[TreeView]\nTreeViewLine=True\n",
         ErrorCode::Overflow,
         [](const FakeSettingsHost& h, const RuntimeSettings& r) {
             EXPECT_EQ(r.ListPattern, "*.avi;*.mpg");
             EXPECT_FALSE(h.checks["TreeViewLine"]);
             EXPECT_FALSE(h.log.contains("check TreeViewLine 0"));
         }},
        {"file-view flag no number", "[SlideShow]\nSlideTime=5\n[FileView]\nHiddenAtr=1\nSystemAtr=x\n",
         ErrorCode::TypeMismatch,
         [](const FakeSettingsHost&, const RuntimeSettings& r) {
             EXPECT_EQ(r.SlideSeconds, 5);
             EXPECT_TRUE(r.ShowHidden);
             EXPECT_FALSE(r.ShowSystem);
         }},
        {"player size no number", "[MediaSize]\nMediaSizeHeight=4000\nMediaSizeWidth=wide\n",
         ErrorCode::TypeMismatch,
         [](const FakeSettingsHost& h, const RuntimeSettings&) {
             EXPECT_EQ(h.playerHeight, 4000.0);
             EXPECT_EQ(h.playerWidth, -1.0);
         }},
    };
    for (const auto& c : cases) {
        writeIni(c.file);
        FakeSettingsHost h;
        FakePrompts p;
        RuntimeSettings r;
        LoadSettings(ini(), h, p, r);
        ASSERT_EQ(p.boxes.size(), 1) << c.name;
        EXPECT_EQ(p.boxes[0].text, ComposeErrorMessage(c.code)) << c.name;
        EXPECT_EQ(p.boxes[0].caption, "TobimaruMeエラー");
        c.check(h, r);
    }
}

TEST_F(SettingsSchema, TheBoxNamesTheFailure) {
    writeIni("[MoviePlay]\nScreenSize=5\n");
    load();
    ASSERT_EQ(prompts.boxes.size(), 1);
    EXPECT_EQ(prompts.boxes[0].text, "(エラー番号):  9\r(エラー内容):  インデックスが有効範囲にありません。");
    EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(SettingsSchema, SaveThenLoadGivesTheSameWindow) {
    const QString folder = m_dir.mkdir("last");
    host.left = 1500;
    host.top = 300;
    host.normalWidth = 9600;
    host.normalHeight = 7200;
    host.state = 2;
    host.selected = folder;
    host.captions = {"/v/1", "/v/2", "", "", "", "", ""};
    host.checks["QuickPathSet(1)"] = true;
    host.checks["QuickPathSet(2)"] = true;
    host.playerHeight = 4512.5;
    host.playerWidth = 6000;
    host.shadowLeftValue = 3000;
    host.shadowTopValue = 2500.25;
    host.checks["MnuGrid"] = true;
    host.checks["Dspsize(3)"] = true;
    host.checks["Opt(2)"] = true;
    host.checks["Opt(3)"] = true;
    host.checks["TreeViewLine"] = true;
    writeIni("[Boot]\nSearchPath=1\n[ListFile]\nDspFile=*.avi;*.mpg;\n");
    SaveSettings(ini(), host, prompts);
    EXPECT_TRUE(prompts.boxes.isEmpty());

    const struct {
        const char* section;
        const char* key;
        const char* text;
    } written[] = {
        {"FormPos", "XPosition", "1500"},     {"FormPos", "Width", "9600"},
        {"FormPos", "WindowState", "2"},      {"QuickPath", "Path3", ""},
        {"QuickPath", "QuickPathValue", "1"}, {"MediaSize", "MediaSizeHeight", "4512.5"},
        {"SpPos", "SpTop", "2500.25"},        {"ListView", "GridLine", "True"},
        {"ListView", "IConDsp", "False"},     {"MoviePlay", "ScreenSize", "3"},
        {"TreeView", "TreeViewLine", "True"},
    };
    for (const auto& w : written)
        EXPECT_EQ(stored(w.section, w.key), QString::fromUtf8(w.text)) << w.key;

    FakeSettingsHost again;
    LoadSettings(ini(), again, prompts, out);
    EXPECT_TRUE(prompts.boxes.isEmpty());
    EXPECT_EQ(QList<int>({again.left, again.top, again.width, again.height, again.state}),
              QList<int>({1500, 300, 9600, 7200, 2}));
    EXPECT_EQ(out.StartFolder, folder);
    EXPECT_EQ(again.captions[0], "/v/1");
    EXPECT_TRUE(again.visible[1]);
    EXPECT_FALSE(again.visible[2]);
    EXPECT_EQ(out.QuickPathMode, 1);
    EXPECT_EQ(again.playerHeight, 4512.5);
    EXPECT_EQ(again.playerWidth, 6000.0);
    EXPECT_EQ(again.shadowLeftValue, 3000.0);
    EXPECT_EQ(again.shadowTopValue, 2500.25);
    for (const char* item : {"MnuGrid", "Dspsize(3)", "Opt(2)", "Opt(3)", "TreeViewLine"})
        EXPECT_TRUE(again.checks[item]) << item;
    for (const char* item : {"MnuIconSet", "Dspsize(0)", "Opt(1)"})
        EXPECT_FALSE(again.checks[item]) << item;
    EXPECT_EQ(out.ListPattern, "*.avi;*.mpg");
}

TEST_F(SettingsSchema, TheLoadReadsTheFileOnceAndTheSaveReplacesItOnce) {
    writeIni("[Boot]\nSearchPath=1\n[FormPos]\nXPosition=100\nYPosition=200\nWidth=9000\nHeight=7000\n");
    FileWatch watch(m_dir.path());
    load();
    const QStringList loaded = watch.take();
    EXPECT_EQ(loaded.filter("TobimaruMe.ini").size(), 1) << loaded.join(", ").toStdString();
    EXPECT_EQ(loaded.count("open TobimaruMe.ini"), 1);

    host.selected = "/";
    host.captions = {"/v/1", "/v/2", "", "", "", "", ""};
    SaveSettings(ini(), host, prompts);
    const QStringList saved = watch.take();
    EXPECT_EQ(saved.count("open TobimaruMe.ini"), 1) << saved.join(", ").toStdString();
    EXPECT_EQ(saved.count("moved_to TobimaruMe.ini"), 1);
    EXPECT_EQ(saved.filter("create").size(), 1);
    EXPECT_EQ(stored("QuickPath", "Path2"), "/v/2");
    EXPECT_EQ(stored("FormPos", "Width"), "9000");

    // The same window saved again writes nothing at all.
    SaveSettings(ini(), host, prompts);
    EXPECT_EQ(watch.take().filter("moved_to").size(), 0);
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST_F(SettingsSchema, ASaveKilledMidwayLeavesTheOldFileWholeAndTheNextStartClearsUp) {
    const QByteArray before = "[QuickPath]\nPath1=/old/1\nPath2=/old/2\n";
    writeIni(before);
    const QString mine = m_dir.write("TobimaruMe.ini.save-copy", "a file of the user's");
    host.selected = "/";
    for (QString& caption : host.captions)
        caption = QString(600, QLatin1Char('x'));
    // The child may write no file beyond 1 KiB: the kernel kills it in the middle of the save.
    ForkedChild child([&] {
        const rlimit small{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &small);
        SaveSettings(ini(), host, prompts);
    });
    ASSERT_EQ(child.wait(), SIGXFSZ);
    QFile file(ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    const auto entries = [&] { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); };
    ASSERT_EQ(entries().size(), 3) << entries().join(", ").toStdString(); // the half-written file

    load();
    EXPECT_EQ(entries(), QStringList({"TobimaruMe.ini", "TobimaruMe.ini.save-copy"}));
    EXPECT_EQ(host.captions[1], "/old/2");
    EXPECT_TRUE(QFile::exists(mine));
}

TEST_F(SettingsSchema, SavePositionsAreRoundedAndUncheckedArraysNotWritten) {
    FakeSettingsHost h;
    h.left = 1500;
    h.fractionLeft = 0.5;
    h.top = -44;
    h.fractionTop = -0.6;
    h.selected = "/";
    SaveSettings(ini(), h, prompts);
    EXPECT_EQ(stored("FormPos", "XPosition"), "1500"); // half to even
    EXPECT_EQ(stored("FormPos", "YPosition"), "-45");
    EXPECT_EQ(stored("QuickPath", "QuickPathValue"), "<absent>");
    EXPECT_EQ(stored("MoviePlay", "ScreenSize"), "<absent>");
    EXPECT_EQ(stored("MoviePlay", "MuteState"), "False");
}

TEST_F(SettingsSchema, AWindowNeverSeenInTheNormalStateKeepsTheStoredSize) {
    writeIni("[FormPos]\nXPosition=1500\nYPosition=300\nWidth=9600\nHeight=7200\nWindowState=2\n");
    FakeSettingsHost h;
    h.left = 0;
    h.top = 0;
    h.state = 2;
    h.normalWidth = -15; // what a size never recorded reads as
    h.normalHeight = -15;
    h.selected = "/";
    SaveSettings(ini(), h, prompts);
    EXPECT_EQ(stored("FormPos", "Width"), "9600");
    EXPECT_EQ(stored("FormPos", "Height"), "7200");
    EXPECT_EQ(stored("FormPos", "WindowState"), "2");
    EXPECT_TRUE(prompts.boxes.isEmpty());
}

TEST_F(SettingsSchema, AWindowBeyondSixteenBitsIsSavedSoTheNextStartReadsEverything) {
    // A window on the right half of a 3840-pixel desktop, and one wider than 2200 pixels.
    FakeSettingsHost h;
    h.left = 40000;
    h.top = -40000;
    h.normalWidth = 45000;
    h.normalHeight = 9000;
    h.state = 0;
    h.selected = "/";
    h.checks["Opt(1)"] = true;
    SaveSettings(ini(), h, prompts);
    EXPECT_EQ(stored("FormPos", "XPosition"), "32767");
    EXPECT_EQ(stored("FormPos", "YPosition"), "-32768");
    EXPECT_EQ(stored("FormPos", "Width"), "32767");

    load();
    EXPECT_TRUE(prompts.boxes.isEmpty()) << prompts.texts().join("|").toStdString();
    EXPECT_EQ(QList<int>({host.left, host.top, host.width}), QList<int>({32767, -32768, 32767}));
    EXPECT_TRUE(host.checks["Opt(1)"]);
}

TEST_F(SettingsSchema, SaveWithoutATreeSelectionStopsAfterTheWindow) {
    host.left = 10;
    host.checks["MnuGrid"] = true;
    SaveSettings(ini(), host, prompts);
    ASSERT_EQ(prompts.boxes.size(), 1);
    EXPECT_EQ(prompts.boxes[0].text, ComposeErrorMessage(ErrorCode::ObjectNotSet));
    EXPECT_EQ(stored("FormPos", "XPosition"), "10");
    for (const char* section :
         {"FilePath", "QuickPath", "MediaSize", "SpPos", "ListView", "MoviePlay", "TreeView"})
        EXPECT_EQ(PrivateProfile::load(ini()).toText().contains(QStringLiteral("[%1]").arg(section)), false)
            << section;
}
