// The options dialog on its own, over a settings file of its own.
#include "ui/Form2.h"

#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "base/RuntimeSettings.h"
#include "platform/AboutTexts.h"
#include "settings/PrivateProfile.h"
#include "support/DesktopFakes.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::FakePrompts;
using tobimaru::test::RecordingShell;
using tobimaru::test::TempDir;

namespace {

struct OptionsRig {
    TempDir dir;
    FakePrompts prompts;
    RecordingShell shell;
    RuntimeSettings settings;
    int relists = 0;
    std::unique_ptr<Form2> dialog;

    explicit OptionsRig(const QByteArray& ini = {}, bool topmost = false) {
        if (!ini.isNull())
            dir.write("TobimaruMe.ini", ini);
        settings.ListPattern = QStringLiteral("*.avi");
        Form2Context ctx;
        ctx.iniPath = path();
        ctx.prompts = &prompts;
        ctx.shell = &shell;
        ctx.settings = &settings;
        ctx.topmost = topmost;
        ctx.relist = [this] { ++relists; };
        dialog = std::make_unique<Form2>(ctx);
        dialog->show();
    }
    QString path() const { return dir.file("TobimaruMe.ini"); }
    QString read(const char* section, const char* key) const {
        return ReadProfileString(path(), section, key, QStringLiteral("<none>"));
    }
    template <typename T = QWidget> T* part(const char* name) const {
        T* w = dialog->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QTreeWidget* types() const { return part<QTreeWidget>("ListView1"); }
    void click(const char* name) const { part<QAbstractButton>(name)->click(); }
    QStringList column(int c) const {
        QStringList out;
        for (int i = 0; i < types()->topLevelItemCount(); ++i)
            out << types()->topLevelItem(i)->text(c);
        return out;
    }
    QStringList checkedRows() const {
        QStringList out;
        for (int i = 0; i < types()->topLevelItemCount(); ++i)
            if (types()->topLevelItem(i)->checkState(0) == Qt::Checked)
                out << types()->topLevelItem(i)->text(0);
        return out;
    }
    void check(const QString& extension) const {
        for (int i = 0; i < types()->topLevelItemCount(); ++i)
            if (types()->topLevelItem(i)->text(0) == extension)
                types()->topLevelItem(i)->setCheckState(0, Qt::Checked);
    }
    /// A click on a column header of the type list, shown for it.
    void clickHeader(int c) const {
        part<QTabBar>("TabStrip1")->setCurrentIndex(1);
        QHeaderView* h = types()->header();
        const QPoint at(h->sectionViewportPosition(c) + h->sectionSize(c) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    }
    int visiblePage() const {
        int shown = -1;
        for (int i = 0; i < 4; ++i) {
            if (part(QString("Frame1(%1)").arg(i).toUtf8())->isVisibleTo(dialog.get())) {
                EXPECT_EQ(shown, -1) << "two pages shown";
                shown = i;
            }
        }
        return shown;
    }
};

QString ErrorBoxText(ErrorCode code) {
    return ComposeErrorMessage(code);
}

} // namespace

TEST(Form2, EveryControlWithItsCaption) {
    OptionsRig rig;
    EXPECT_EQ(rig.dialog->windowTitle(), QStringLiteral("環境設定"));
    EXPECT_TRUE(rig.dialog->isModal());
    const struct {
        const char* name;
        const char* caption;
    } captions[] = {
        {"Check1(0)", "前回の再生フォルダを開く。"},
        {"Check1(1)", "常に中央に表示する。"},
        {"Check1(2)", "スクリーンセーバーを無効にする。"},
        {"Check1(3)", "クイックパスを読み込まない。"},
        {"Check1(4)", "マウスジェスチャーを有効にする。"},
        {"Check3(0)", "隠しファイル"},
        {"Check3(1)", "システムファイル"},
        {"Check3(2)", "読取専用ファイル"},
        {"Check3(3)", "リストビューにフォルダを表示する。"},
        {"Option1(0)", "画像ファイル(jpg,gif,bmp)のみ"},
        {"Option1(1)", "すべて（動画、画像ファイル等）"},
        {"Check2", "解凍時にフォルダを選択する。"},
        {"Command1(0)", "全選択"},
        {"Command1(1)", "全解除"},
        {"Command2(0)", "OK"},
        {"Command2(1)", "キャンセル"},
        {"Command3(0)", "メール"},
        {"Command3(1)", "ホームページ"},
    };
    for (const auto& c : captions)
        EXPECT_EQ(rig.part<QAbstractButton>(c.name)->text(), QString::fromUtf8(c.caption)) << c.name;

    QStringList groups, labels;
    for (const QGroupBox* g : rig.dialog->findChildren<QGroupBox*>())
        groups << g->title();
    for (const QLabel* l : rig.dialog->findChildren<QLabel*>())
        labels << l->text();
    EXPECT_EQ(groups,
              (QStringList{"起動時の動作（再起動後に有効）",
                           "ツリービュー・ファイルビューの表示（チェックで表示する。）", "スライドショー"}));
    for (const char* text : {"該当ファイル", "表示間隔", "秒(1～30秒)"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;

    auto* tabs = rig.part<QTabBar>("TabStrip1");
    ASSERT_EQ(tabs->count(), 4);
    const struct {
        const char* caption;
        const char* tooltip;
    } tabRows[] = {{"動作", "プレイヤーの動作を設定します。"},
                   {"ファイル設定", "再生するファイルの設定をします。"},
                   {"解凍の設定", ""},
                   {"バージョン情報", ""}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), QString::fromUtf8(tabRows[i].caption));
        EXPECT_EQ(tabs->tabToolTip(i), QString::fromUtf8(tabRows[i].tooltip));
    }
    EXPECT_EQ(rig.types()->headerItem()->text(0), QStringLiteral("拡張子"));
    EXPECT_EQ(rig.types()->headerItem()->text(1), QStringLiteral("説明"));
    EXPECT_EQ(rig.types()->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(Form2, NoSettingsFileShowsTheTypesTheListUses) {
    OptionsRig rig;
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());
    EXPECT_EQ(rig.types()->topLevelItemCount(), MediaTypeCount);
    EXPECT_EQ(rig.checkedRows(), QStringList{"avi"}) << "the rig's list shows avi files";
    EXPECT_EQ(rig.column(0).first(), "aac") << "sorted by extension";
    EXPECT_EQ(rig.column(0).last(), "wmv");
    for (QCheckBox* box : rig.dialog->findChildren<QCheckBox*>())
        EXPECT_EQ(box->checkState(), Qt::Unchecked) << box->objectName().toStdString();
    EXPECT_TRUE(rig.part<QRadioButton>("Option1(0)")->isChecked());
    EXPECT_EQ(rig.part<QLineEdit>("Text2")->text(), "0");
    EXPECT_EQ(rig.visiblePage(), 0);
    EXPECT_FALSE(QFile::exists(rig.path())) << "opening writes nothing";
    rig.click("Command2(0)");
    EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << "OK without a change is accepted";
    EXPECT_EQ(rig.read("ListFile", "DspFile"), "*.avi;");
    EXPECT_EQ(rig.read("PlayFile", "Value5"), "True");
}

TEST(Form2, TabsShowTheirPageAlone) {
    OptionsRig rig;
    auto* tabs = rig.part<QTabBar>("TabStrip1");
    for (int i : {1, 3, 2, 0, 3}) {
        tabs->setCurrentIndex(i);
        EXPECT_EQ(rig.visiblePage(), i);
    }
    const QRect page = rig.part("Frame1(0)")->geometry();
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(rig.part(QString("Frame1(%1)").arg(i).toUtf8())->geometry(), page) << "one place for all";
}

TEST(Form2, OneSortOrderForBothColumns) {
    OptionsRig rig;
    rig.clickHeader(1);
    QStringList descending = rig.column(1);
    EXPECT_EQ(descending.first(), QStringLiteral("ビデオCDファイル"));
    EXPECT_EQ(descending.last(), QStringLiteral("AAC オーディオ ファイル"));
    rig.clickHeader(1);
    EXPECT_EQ(rig.column(1).first(), QStringLiteral("AAC オーディオ ファイル"));
    EXPECT_EQ(rig.column(1).last(), QStringLiteral("ビデオCDファイル"));
    // The order is the list's, not the column's: the next click on the other column flips it.
    rig.clickHeader(0);
    EXPECT_EQ(rig.column(0).first(), "wmv");
}

TEST(Form2, AllRowsUncheckedRefusesOnTheFirstPage) {
    OptionsRig rig("[PlayFile]\nValue5=True\n");
    ASSERT_EQ(rig.checkedRows(), QStringList{"avi"});
    rig.part<QTabBar>("TabStrip1")->setCurrentIndex(1);
    rig.click("Command1(1)");
    rig.click("Command2(0)");
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text,
              QStringLiteral("再生ファイルのチェックを、すべてはずすことはできません。"));
    EXPECT_EQ(rig.prompts.boxes[0].icon, PromptIcon::Information);
    EXPECT_EQ(rig.prompts.boxes[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("TobimaruMe"));
    EXPECT_EQ(rig.part<QTabBar>("TabStrip1")->currentIndex(), 0);
    EXPECT_EQ(rig.visiblePage(), 0);
    EXPECT_TRUE(rig.dialog->isVisible());
    EXPECT_EQ(rig.read("PlayFile", "Value5"), "True") << "nothing saved";
    EXPECT_EQ(rig.relists, 0);
}

TEST(Form2, CheckAllThenOkStoresEveryTypeAndRelists) {
    OptionsRig rig;
    rig.click("Command1(0)");
    EXPECT_EQ(rig.checkedRows().size(), MediaTypeCount);
    rig.click("Command2(0)");
    EXPECT_TRUE(rig.prompts.boxes.isEmpty()) << rig.prompts.texts().join("|").toStdString();
    for (int i = 1; i <= MediaTypeCount; ++i)
        EXPECT_EQ(rig.read("PlayFile", QString("Value%1").arg(i).toLatin1()), "True") << i;
    const QString stored = rig.read("ListFile", "DspFile");
    EXPECT_EQ(stored.count(';'), MediaTypeCount);
    EXPECT_TRUE(stored.startsWith("*.aac;*.aifc;*.asf;"));
    EXPECT_EQ(rig.settings.ListPattern, stored.chopped(1));
    EXPECT_EQ(rig.relists, 1);
    EXPECT_EQ(rig.dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(rig.dialog->isVisible());
}

TEST(Form2, PatternsFollowTheShownOrderAndTheMarksTheExtensionOrder) {
    OptionsRig rig;
    rig.check("avi");
    rig.check("mpg");
    rig.clickHeader(0); // descending: mpg above avi
    rig.click("Command2(0)");
    EXPECT_EQ(rig.read("ListFile", "DspFile"), "*.mpg;*.avi;");
    EXPECT_EQ(rig.read("PlayFile", "Value5"), "True");
    EXPECT_EQ(rig.read("PlayFile", "Value18"), "True");
    EXPECT_EQ(rig.read("PlayFile", "Value6"), "False");
    EXPECT_EQ(rig.read("PlayFile", "kakuchosi1"), "aifc");
    EXPECT_EQ(rig.column(0).first(), "aac") << "sorted back before the save";
    EXPECT_EQ(rig.settings.ListPattern, "*.mpg;*.avi");
}

TEST(Form2, EveryControlReachesItsKeyAndTheRunningValues) {
    OptionsRig rig;
    rig.check("png");
    for (const char* name : {"Check1(1)", "Check1(4)", "Check3(0)", "Check3(3)", "Check2", "Option1(1)"})
        rig.click(name);
    rig.part<QLineEdit>("Text2")->setText("12");
    rig.click("Command2(0)");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } keys[] = {
        {"Boot", "SearchPath", "0"},      {"Boot", "BootPosition", "1"},    {"Boot", "ScreenSaver", "0"},
        {"Boot", "QuickPathLoad", "0"},   {"Boot", "MousePlay", "1"},       {"FileView", "HiddenAtr", "1"},
        {"FileView", "SystemAtr", "0"},   {"FileView", "ReadOnlyAtr", "0"}, {"FileView", "FolderDsp", "1"},
        {"SlideShow", "SlideTime", "12"}, {"SlideShow", "SlideType", "1"},  {"Melt", "SelectFolder", "1"},
    };
    for (const auto& k : keys)
        EXPECT_EQ(rig.read(k.section, k.key), k.value) << k.section << "/" << k.key;
    EXPECT_EQ(rig.settings.SlideSeconds, 12);
    EXPECT_EQ(rig.settings.SlideKind, 1);
    EXPECT_EQ(rig.settings.ShowHidden, 1);
    EXPECT_EQ(rig.settings.ShowFolders, 1);
    EXPECT_EQ(rig.settings.ShowSystem, 0);
    EXPECT_EQ(rig.settings.GesturesOn, 0) << "Boot acts at the next start";
    EXPECT_EQ(rig.settings.ScreenSaverOff, 0);
}

TEST(Form2, CancelAndTheCloseBoxWriteNothing) {
    for (bool closeBox : {false, true}) {
        OptionsRig rig;
        rig.click("Command1(0)");
        rig.click("Check1(0)");
        if (closeBox)
            rig.dialog->close();
        else
            rig.click("Command2(1)");
        EXPECT_FALSE(rig.dialog->isVisible()) << closeBox;
        EXPECT_EQ(rig.dialog->result(), QDialog::Rejected) << closeBox;
        EXPECT_FALSE(QFile::exists(rig.path())) << closeBox;
        EXPECT_EQ(rig.relists, 0) << closeBox;
        EXPECT_EQ(rig.settings.ListPattern, "*.avi") << closeBox;
    }
}

TEST(Form2, SlideTimeThatIsNoNumberIsReportedAndOkStillCloses) {
    OptionsRig rig("[Boot]\nSearchPath=0\n");
    rig.check("wav");
    rig.click("Check1(0)");
    rig.part<QLineEdit>("Text2")->setText("abc");
    rig.click("Command2(0)");
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_EQ(rig.prompts.boxes[0].text, ErrorBoxText(ErrorCode::TypeMismatch));
    EXPECT_EQ(rig.prompts.boxes[0].caption, QStringLiteral("TobimaruMeエラー"));
    EXPECT_EQ(rig.read("ListFile", "DspFile"), "*.avi;*.wav;") << "avi: the list in use, no marks stored";
    EXPECT_EQ(rig.read("SlideShow", "SlideTime"), "abc");
    EXPECT_EQ(rig.read("SlideShow", "SlideType"), "<none>");
    EXPECT_EQ(rig.read("Boot", "SearchPath"), "0");
    EXPECT_EQ(rig.settings.ListPattern, "*.avi;*.wav");
    EXPECT_EQ(rig.relists, 1);
    EXPECT_FALSE(rig.dialog->isVisible());
}

TEST(Form2, StoredValuesNoControlCanShowAreReported) {
    const struct {
        const char* what;
        QByteArray ini;
        ErrorCode code;
        const char* text2;
        const char* checkedBox; ///< read before the failure
    } cases[] = {
        {"slide type 3", "[SlideShow]\nSlideTime=8\nSlideType=3\n[Boot]\nSearchPath=1\n",
         ErrorCode::SubscriptOutOfRange, "8", ""},
        {"a check value of 5", "[Boot]\nSearchPath=1\nBootPosition=5\n[FileView]\nHiddenAtr=1\n",
         ErrorCode::InvalidPropertyValue, "0", "Check1(0)"},
    };
    for (const auto& c : cases) {
        OptionsRig rig(c.ini);
        ASSERT_EQ(rig.prompts.boxes.size(), 1) << c.what;
        EXPECT_EQ(rig.prompts.boxes[0].text, ErrorBoxText(c.code)) << c.what;
        EXPECT_EQ(rig.part<QLineEdit>("Text2")->text(), c.text2) << c.what;
        QStringList checked;
        for (QCheckBox* box : rig.dialog->findChildren<QCheckBox*>())
            if (box->checkState() != Qt::Unchecked)
                checked << box->objectName();
        EXPECT_EQ(checked.join(","), c.checkedBox) << c.what;
    }
}

TEST(Form2, GreyCheckValueShowsGreyAndIsKept) {
    OptionsRig rig("[Boot]\nScreenSaver=2\n[FileView]\nSystemAtr=2\n[PlayFile]\nValue1=True\n");
    EXPECT_EQ(rig.part<QCheckBox>("Check1(2)")->checkState(), Qt::PartiallyChecked);
    rig.click("Check3(1)"); // a click makes it a plain check box again
    EXPECT_EQ(rig.part<QCheckBox>("Check3(1)")->checkState(), Qt::Checked);
    rig.click("Check3(1)");
    EXPECT_EQ(rig.part<QCheckBox>("Check3(1)")->checkState(), Qt::Unchecked);
    rig.click("Command2(0)");
    EXPECT_EQ(rig.read("Boot", "ScreenSaver"), "2");
    EXPECT_EQ(rig.read("FileView", "SystemAtr"), "0");
}

TEST(Form2, SpinArrowsKeepToOneToThirtyTypedValuesStayAsTyped) {
    OptionsRig rig("[SlideShow]\nSlideTime=29\n");
    auto* text2 = rig.part<QLineEdit>("Text2");
    QWidget* spin = rig.part("Text2_updown");
    auto* up = spin->findChild<QToolButton*>("up");
    auto* down = spin->findChild<QToolButton*>("down");
    const QRect box = text2->geometry();
    EXPECT_EQ(spin->geometry(), QRect(box.left() + box.width() - 20, box.top() + 2, 18, box.height() - 4));
    const struct {
        const char* typed; ///< nullptr: leave the box as it is
        QAbstractButton* arrow;
        const char* shown;
    } steps[] = {
        {nullptr, up, "30"}, {nullptr, up, "30"},  {"45", nullptr, "45"}, {nullptr, down, "30"},
        {"0", up, "1"},      {nullptr, down, "1"}, {"-5", down, "1"},     {"12", down, "11"},
    };
    for (const auto& s : steps) {
        if (s.typed)
            text2->setText(s.typed);
        if (s.arrow)
            s.arrow->click();
        EXPECT_EQ(text2->text(), s.shown) << (s.typed ? s.typed : "") << " " << s.shown;
    }
    text2->setFocus();
    QTest::keyClick(text2, Qt::Key_Up);
    EXPECT_EQ(text2->text(), "12") << "the arrow keys step too";
    text2->setText("45");
    rig.check("avi");
    rig.click("Command2(0)");
    EXPECT_EQ(rig.read("SlideShow", "SlideTime"), "45");
    EXPECT_EQ(rig.settings.SlideSeconds, 45);
}

TEST(Form2, VersionPageAndItsLinks) {
    OptionsRig rig;
    const QStringList lines = rig.part<QLabel>("VerLabel")->text().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "TobimaruMe Ver1.0.1");
    EXPECT_EQ(lines[3], QStringLiteral("Shell32.dll Ver不明"));
    EXPECT_EQ(rig.part<QPlainTextEdit>("Text1")->toPlainText(),
              QStringLiteral("（バージョン履歴) \n2003.02.12 1.0.0 初公開\n"));
    EXPECT_TRUE(rig.part<QPlainTextEdit>("Text1")->isReadOnly());
    EXPECT_FALSE(rig.part<QLabel>("Image1")->pixmap().isNull());
    EXPECT_TRUE(rig.part<QAbstractButton>("Command3(0)")->isHidden()) << "no mail address is answered";
    rig.click("Command3(1)");
    ASSERT_EQ(rig.shell.opened.size(), 1);
    EXPECT_EQ(rig.shell.opened[0], ProjectHomePage());
    EXPECT_EQ(rig.shell.shows, (std::vector<int>{1}));
    EXPECT_TRUE(rig.prompts.boxes.isEmpty());

    // With nothing to open an address the button says so instead of doing nothing.
    rig.shell.result = kNoApplication;
    rig.click("Command3(1)");
    ASSERT_EQ(rig.prompts.boxes.size(), 1);
    EXPECT_TRUE(rig.prompts.boxes[0].text.contains(ProjectHomePage()));
}

TEST(Form2, TopmostWithTheMainWindow) {
    for (bool topmost : {false, true}) {
        OptionsRig rig({}, topmost);
        EXPECT_EQ(bool(rig.dialog->windowFlags() & Qt::WindowStaysOnTopHint), topmost);
    }
}
