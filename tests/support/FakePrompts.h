#pragma once

#include "base/Prompts.h"
#include "support/QtPrint.h"

#include <QList>
#include <QString>
#include <deque>

namespace tobimaru::test {

/// One box the program showed.
struct ShownBox {
    QString text;
    QString caption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
};

/// Scripted prompts: records every box and answers from a queue (then with the first button
/// of the box: OK or Yes, ...). Folder choosers answer from their own queue (then cancel).
class FakePrompts final : public Prompts {
public:
    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    QString browseFolder(const QString& prompt, const QString& initial, int root) override;
    void beep() override { ++beeps; }

    void answer(PromptAnswer a) { m_answers.push_back(a); }
    void chooseFolder(const QString& folder) { m_folders.push_back(folder); }
    /// The texts of all boxes so far, in order.
    QStringList texts() const;
    void clear() {
        boxes.clear();
        browses.clear();
        beeps = 0;
    }

    QList<ShownBox> boxes;
    struct Browse {
        QString prompt;
        QString initial;
        int root = 0;
    };
    QList<Browse> browses;
    int beeps = 0;

private:
    std::deque<PromptAnswer> m_answers;
    std::deque<QString> m_folders;
};

const char* IconName(PromptIcon icon);

} // namespace tobimaru::test
