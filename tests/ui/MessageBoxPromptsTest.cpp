#include "ui/MessageBoxPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

using namespace tobimaru;

namespace {

struct Seen {
    QString caption;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::optional<Qt::CursorShape> cursor;
};

/// Shows one real box, notes what it looks like while it is open, and answers it with its
/// first button.
Seen ShowAndAnswer(const QString& text, PromptIcon icon) {
    Seen seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.format = box->textFormat();
        seen.icon = box->icon();
        if (const QCursor* c = QApplication::overrideCursor())
            seen.cursor = c->shape();
        box->buttons().constFirst()->click();
    });
    MessageBoxPrompts prompts;
    prompts.message(text, QStringLiteral("TobimaruMeエラー"), icon, PromptButtons::Ok);
    return seen;
}

} // namespace

TEST(MessageBoxPrompts, ShowsPlainTextWithLineBreaksAndTheNormalPointer) {
    const struct {
        const char* text;
        const char* shown;
        PromptIcon icon;
        QMessageBox::Icon qtIcon;
    } cases[] = {
        {"(エラー番号):  6\r(エラー内容):  オーバーフローしました。",
         "(エラー番号):  6\n(エラー内容):  オーバーフローしました。", PromptIcon::Critical,
         QMessageBox::Critical},
        {"<b>clip</b>.avi\r\nを移動できません。", "<b>clip</b>.avi\nを移動できません。", PromptIcon::Warning,
         QMessageBox::Warning},
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const auto& c : cases) {
        const Seen seen = ShowAndAnswer(QString::fromUtf8(c.text), c.icon);
        EXPECT_EQ(seen.caption, QStringLiteral("TobimaruMeエラー")) << c.text;
        EXPECT_EQ(seen.text, QString::fromUtf8(c.shown)) << c.text;
        EXPECT_EQ(seen.format, Qt::PlainText) << c.text;
        EXPECT_EQ(seen.icon, c.qtIcon) << c.text;
        EXPECT_EQ(seen.cursor, Qt::ArrowCursor) << c.text;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor) << "busy again after the box";
    }
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
