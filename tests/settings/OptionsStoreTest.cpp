#include "settings/OptionsStore.h"

#include "base/ErrorTable.h"
#include "base/RuntimeSettings.h"
#include "settings/PrivateProfile.h"
#include "support/FileWatch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::FileWatch;
using tobimaru::test::TempDir;

namespace {

struct Store {
    TempDir dir;
    explicit Store(const QByteArray& ini = {}) {
        if (!ini.isNull())
            dir.write("TobimaruMe.ini", ini);
    }
    QString path() const { return dir.file("TobimaruMe.ini"); }
    QString read(const char* section, const char* key) const {
        return ReadProfileString(path(), section, key, QStringLiteral("<none>"));
    }
};

int FailureCode(const std::function<void()>& f) {
    try {
        f();
    } catch (const Failure& e) {
        return ErrorNumber(e.code());
    }
    return 0;
}

} // namespace

TEST(OptionsStore, NoFileShowsEverythingClear) {
    Store s;
    OptionValues v;
    RuntimeSettings rt;
    rt.SlideSeconds = 7;
    LoadOptions(s.path(), v, rt);
    ASSERT_EQ(v.rows.size(), MediaTypeCount);
    for (const MediaType& r : v.rows)
        EXPECT_FALSE(r.checked) << r.extension.toStdString() << ": no list pattern in use";
    EXPECT_EQ(v.slideTime, "0");
    EXPECT_EQ(v.slideType, 0);
    EXPECT_EQ(v.boot, (std::array<int, 5>{}));
    EXPECT_EQ(v.fileView, (std::array<int, 4>{}));
    EXPECT_FALSE(v.selectFolder);
    EXPECT_EQ(rt.SlideSeconds, 0) << "the file's value, read again";
}

TEST(OptionsStore, SavedValuesComeBackAndReachTheRunningProgram) {
    Store s;
    OptionValues v;
    for (MediaType& r : v.rows)
        r.checked = r.extension == "avi" || r.extension == "mpg";
    v.slideTime = "45"; // beyond the arrows' 30: stored as typed
    v.slideType = 1;
    v.boot = {1, 0, 1, 0, 1};
    v.fileView = {0, 1, 0, 2};
    v.selectFolder = true;
    RuntimeSettings rt;
    SaveOptions(s.path(), v, "*.avi;*.mpg;", rt);

    EXPECT_EQ(s.read("PlayFile", "Value5"), "True");
    EXPECT_EQ(s.read("PlayFile", "Value18"), "True");
    EXPECT_EQ(s.read("PlayFile", "Value1"), "False");
    EXPECT_EQ(s.read("PlayFile", "kakuchosi28"), "wmv");
    EXPECT_EQ(s.read("ListFile", "DspFile"), "*.avi;*.mpg;");
    EXPECT_EQ(s.read("SlideShow", "SlideTime"), "45");
    EXPECT_EQ(s.read("SlideShow", "SlideType"), "1");
    EXPECT_EQ(s.read("Boot", "MousePlay"), "1");
    EXPECT_EQ(s.read("Boot", "BootPosition"), "0");
    EXPECT_EQ(s.read("FileView", "FolderDsp"), "2");
    EXPECT_EQ(s.read("Melt", "SelectFolder"), "1");
    EXPECT_EQ(rt.SlideSeconds, 45);
    EXPECT_EQ(rt.SlideKind, 1);
    // A grey check (2) stays in the file; the running program only asks whether it is on.
    EXPECT_EQ((std::array<bool, 4>{rt.ShowHidden, rt.ShowSystem, rt.ShowReadOnly, rt.ShowFolders}),
              (std::array<bool, 4>{v.fileView[0] != 0, v.fileView[1] != 0, v.fileView[2] != 0,
                                   v.fileView[3] != 0}));
    EXPECT_TRUE(ExtractionAsksForFolder(s.path()));

    OptionValues back;
    back.slideTime.clear();
    RuntimeSettings rt2;
    LoadOptions(s.path(), back, rt2);
    for (qsizetype i = 0; i < v.rows.size(); ++i)
        EXPECT_EQ(back.rows[i].checked, v.rows[i].checked) << v.rows[i].extension.toStdString();
    EXPECT_EQ(back.slideTime, "45");
    EXPECT_EQ(back.slideType, 1);
    EXPECT_EQ(back.boot, v.boot);
    EXPECT_EQ(back.fileView, v.fileView);
    EXPECT_TRUE(back.selectFolder);
}

TEST(OptionsStore, StoredValuesWithoutAControlStateStopTheLoadThere) {
    struct Case {
        const char* what;
        QByteArray ini;
        int code;
        QString slideTime; ///< read before the failure, or the box's own "1"
        std::array<int, 5> boot;
    };
    const Case cases[] = {
        {"a type mark that is no Boolean",
         "[PlayFile]\nValue3=maybe\n[SlideShow]\nSlideTime=5\n",
         ErrorNumber(ErrorCode::TypeMismatch),
         "1",
         {}},
        {"slide type 2",
         "[SlideShow]\nSlideTime=5\nSlideType=2\n[Boot]\nSearchPath=1\n",
         ErrorNumber(ErrorCode::SubscriptOutOfRange),
         "5",
         {}},
        {"slide type -1",
         "[SlideShow]\nSlideType=-1\n",
         ErrorNumber(ErrorCode::SubscriptOutOfRange),
         "0",
         {}},
        {"a slide time that is no number",
         "[SlideShow]\nSlideTime=ten\n",
         ErrorNumber(ErrorCode::TypeMismatch),
         "1",
         {}},
        {"a check value of 3",
         "[Boot]\nSearchPath=1\nBootPosition=3\nScreenSaver=1\n",
         ErrorNumber(ErrorCode::InvalidPropertyValue),
         "0",
         {1, 0, 0, 0, 0}},
        {"a negative check value",
         "[FileView]\nHiddenAtr=-1\n[Boot]\nMousePlay=2\n",
         ErrorNumber(ErrorCode::InvalidPropertyValue),
         "0",
         {0, 0, 0, 0, 2}},
    };
    for (const Case& c : cases) {
        Store s(c.ini);
        OptionValues v;
        RuntimeSettings rt;
        EXPECT_EQ(FailureCode([&] { LoadOptions(s.path(), v, rt); }), c.code) << c.what;
        EXPECT_EQ(v.slideTime, c.slideTime) << c.what;
        EXPECT_EQ(v.boot, c.boot) << c.what;
        EXPECT_EQ(v.slideType, 0) << c.what;
        EXPECT_EQ(v.fileView, (std::array<int, 4>{})) << c.what;
    }
}

TEST(OptionsStore, SlideTimeThatIsNoSixteenBitIntegerStopsTheSaveAfterIt) {
    const char* texts[] = {"abc", "", "40000", "-40000"};
    for (const char* text : texts) {
        Store s("[Boot]\nSearchPath=1\n[FileView]\nHiddenAtr=1\n");
        OptionValues v;
        for (MediaType& r : v.rows)
            r.checked = r.extension == "aifc";
        v.slideTime = text;
        v.slideType = 1;
        v.fileView = {0, 0, 0, 1};
        v.selectFolder = true;
        RuntimeSettings rt;
        rt.SlideSeconds = 9;
        EXPECT_NE(FailureCode([&] { SaveOptions(s.path(), v, "*.aifc;", rt); }), 0) << text;
        EXPECT_EQ(s.read("PlayFile", "Value1"), "True") << text;
        EXPECT_EQ(s.read("ListFile", "DspFile"), "*.aifc;") << text;
        EXPECT_EQ(s.read("SlideShow", "SlideTime"), text) << text;
        EXPECT_EQ(s.read("SlideShow", "SlideType"), "<none>") << text;
        EXPECT_EQ(s.read("Boot", "SearchPath"), "1") << text;
        EXPECT_EQ(s.read("FileView", "HiddenAtr"), "1") << text;
        EXPECT_EQ(s.read("Melt", "SelectFolder"), "<none>") << text;
        EXPECT_EQ(rt.SlideSeconds, 9) << text;
        EXPECT_EQ(rt.ShowFolders, 0) << text;
    }
}

// A kill between two of a hundred separate writes left a file with the new marks and the old
// pattern list, which the next start believed. One replace leaves the old file or the new one.
TEST(OptionsStore, OkReplacesTheFileOnceWithEveryKey) {
    for (const char* slideTime : {"5", "abc"}) {
        Store s("[ListFile]\nDspFile=*.avi;\n[FileView]\nHiddenAtr=0\n");
        OptionValues v;
        for (MediaType& r : v.rows)
            r.checked = r.extension == "mp4";
        v.slideTime = slideTime;
        v.fileView = {1, 0, 0, 0};
        RuntimeSettings rt;
        FileWatch watch(s.dir.path());
        FailureCode([&] { SaveOptions(s.path(), v, "*.mp4;", rt); });
        const QStringList events = watch.take();
        EXPECT_EQ(events.count("moved_to TobimaruMe.ini"), 1)
            << slideTime << ": " << events.join(", ").toStdString();
        EXPECT_EQ(events.filter("create").size(), 1) << slideTime;
        EXPECT_EQ(s.read("ListFile", "DspFile"), "*.mp4;") << slideTime;
        EXPECT_EQ(s.read("PlayFile", "Value29"), "True") << slideTime;
    }
}

TEST(OptionsStore, ExtractionAsksForAFolderOnlyWhenSetToOne) {
    const struct {
        QByteArray ini;
        bool asks;
    } cases[] = {
        {{}, false},
        {"[Melt]\nSelectFolder=0\n", false},
        {"[Melt]\nSelectFolder=1\n", true},
        {"[Melt]\nSelectFolder=2\n", false},
        {"[Melt]\nSelectFolder=yes\n", false},
    };
    for (const auto& c : cases) {
        Store s(c.ini);
        EXPECT_EQ(ExtractionAsksForFolder(s.path()), c.asks) << c.ini.toStdString();
    }
}
