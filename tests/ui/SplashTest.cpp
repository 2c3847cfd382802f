#include "ui/ProgramLogo.h"
#include "ui/frmSplash.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace tobimaru;

namespace {

QString LabelText(const frmSplash& s, const char* name) {
    const auto* l = s.findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<none>");
}

} // namespace

TEST(Splash, ShowsWhoAndWhatTheProgramIs) {
    frmSplash splash;
    EXPECT_EQ(LabelText(splash, "Label1"), QStringLiteral("For Windows2000/XP フリーソフト"));
    EXPECT_EQ(LabelText(splash, "lblProductName"), "TobimaruMe");
    EXPECT_EQ(LabelText(splash, "lblVersion"), "V1.0.1");
    EXPECT_EQ(LabelText(splash, "Label2"), "");
    splash.setSpeedText("MediaPlayer Play Speed:1");
    EXPECT_EQ(LabelText(splash, "Label2"), "MediaPlayer Play Speed:1");
    const auto* logo = splash.findChild<QLabel*>("imgLogo");
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->pixmap().isNull());
}

TEST(Splash, AKeyOrAClickAnywhereClosesIt) {
    const struct {
        const char* what;
        std::function<void(frmSplash&)> act;
    } cases[] = {
        {"a key", [](frmSplash& s) { QTest::keyClick(&s, Qt::Key_A); }},
        {"Escape", [](frmSplash& s) { QTest::keyClick(&s, Qt::Key_Escape); }},
        {"a click on the frame",
         [](frmSplash& s) { QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(3, 3)); }},
        {"a click on a label",
         [](frmSplash& s) { QTest::mouseClick(s.findChild<QLabel*>("lblVersion"), Qt::LeftButton); }},
        {"a right click", [](frmSplash& s) { QTest::mouseClick(&s, Qt::RightButton, {}, QPoint(3, 3)); }},
    };
    for (const auto& c : cases) {
        frmSplash splash;
        splash.show();
        ASSERT_TRUE(splash.isVisible());
        c.act(splash);
        EXPECT_FALSE(splash.isVisible()) << c.what;
    }
}

TEST(ProgramLogo, IsAlwaysAPictureOfTheSizeAsked) {
    for (int size : {16, 64, 96}) {
        const QPixmap logo = ProgramLogo(size);
        EXPECT_FALSE(logo.isNull()) << size;
        EXPECT_EQ(logo.size(), QSize(size, size)) << size;
    }
    const QImage stand = PlaceholderLogo(32).toImage();
    EXPECT_NE(stand.pixelColor(16, 2), stand.pixelColor(16, 16)) << "the initials show on the ground";
}
