#include "base/ErrorBox.h"
#include "base/ErrorTable.h"
#include "support/FakePrompts.h"

#include <gtest/gtest.h>

using namespace tobimaru;
using tobimaru::test::FakePrompts;

TEST(ErrorBox, ShowsCodeAndStandardTextOnTwoLinesThenBeeps) {
    FakePrompts prompts;
    ShowErrorBox(prompts, ErrorCode::Overflow);
    ASSERT_EQ(prompts.boxes.size(), 1);
    EXPECT_EQ(prompts.boxes[0].text,
              QStringLiteral("(エラー番号):  6\r(エラー内容):  オーバーフローしました。"));
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("TobimaruMeエラー"));
    EXPECT_EQ(prompts.boxes[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompts.boxes[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(prompts.beeps, 1);
}

TEST(ErrorBox, UnknownNumberGetsTheGenericText) {
    EXPECT_EQ(
        ComposeErrorMessage(ErrorCode{31999}),
        QStringLiteral(
            "(エラー番号):  31999\r(エラー内容):  アプリケーション定義またはオブジェクト定義のエラーです。"));
    EXPECT_NE(ErrorText(ErrorCode::FileNotFound), ErrorText(ErrorCode{31999}));
}

TEST(ErrorBox, RunCommandReportsAndAbandonsTheRestOfTheBody) {
    struct Case {
        std::function<void()> raise;
        ErrorCode code;
    };
    const Case cases[] = {
        {[] { throw Failure(ErrorCode::TypeMismatch); }, ErrorCode{13}},
        {[] { throw std::out_of_range("x"); }, ErrorCode::SubscriptOutOfRange},
        {[] { throw std::bad_alloc(); }, ErrorCode::OutOfMemory},
        {[] { throw 42; }, ErrorCode::Internal},
    };
    for (const auto& c : cases) {
        FakePrompts prompts;
        bool reachedEnd = false;
        const bool ok = RunCommand(prompts, [&] {
            c.raise();
            reachedEnd = true;
        });
        EXPECT_FALSE(ok);
        EXPECT_FALSE(reachedEnd);
        ASSERT_EQ(prompts.boxes.size(), 1);
        EXPECT_TRUE(
            prompts.boxes[0].text.startsWith(QStringLiteral("(エラー番号):  %1\r").arg(ErrorNumber(c.code))))
            << prompts.boxes[0].text.toStdString();
    }
}

TEST(ErrorBox, QuietRunShowsNothing) {
    FakePrompts prompts;
    EXPECT_TRUE(RunCommand(prompts, [] {}));
    EXPECT_FALSE(RunQuietly([] { throw Failure(ErrorCode::Overflow); }));
    EXPECT_TRUE(prompts.boxes.isEmpty());
}
