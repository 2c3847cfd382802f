#pragma once

#include "base/Prompts.h"
#include "support/QtPrint.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>

namespace tobimaru::test {

/// One box the program showed.
struct ShownBox {
    QString text;
    QString caption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    /// The button Enter takes when the box named one (`ask`); Ok otherwise.
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
    bool hasDefault = false;
};

/// Scripted prompts: records every box and answers from a queue (then with the first button
/// of the box: OK or Yes, ...; a box with a named default takes that default). Folder choosers
/// answer from their own queue (then cancel).
class FakePrompts final : public Prompts {
public:
    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    QString browseFolder(const QString& prompt, const QString& initial, int root) override;
    void beep() override { ++beeps; }
    /// Recorded as a box, answered from the queue like `message`, else with its default.
    PromptAnswer ask(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons,
                     PromptAnswer defaultAnswer) override;
    /// Answers from the typed-text queue (then cancels, the empty string).
    QString inputText(const QString& prompt, const QString& title) override;

    void answer(PromptAnswer a) { m_answers.push_back(a); }
    void chooseFolder(const QString& folder) { m_folders.push_back(folder); }
    void type(const QString& text) { m_typed.push_back(text); }
    /// The texts of all boxes so far, in order.
    QStringList texts() const;
    void clear() {
        boxes.clear();
        browses.clear();
        inputs.clear();
        beeps = 0;
    }

    QList<ShownBox> boxes;
    /// Called with each box as it is shown, while the program waits for the answer.
    std::function<void(const ShownBox&)> onBox;
    struct Browse {
        QString prompt;
        QString initial;
        int root = 0;
    };
    QList<Browse> browses;
    struct Input {
        QString prompt;
        QString title;
    };
    QList<Input> inputs;
    int beeps = 0;

private:
    std::deque<PromptAnswer> m_answers;
    std::deque<QString> m_folders;
    std::deque<QString> m_typed;
};

const char* IconName(PromptIcon icon);

} // namespace tobimaru::test
