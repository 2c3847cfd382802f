#include "support/FakePrompts.h"

namespace tobimaru::test {

namespace {

PromptAnswer FirstButton(PromptButtons b) {
    switch (b) {
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
        return PromptAnswer::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel:
        return PromptAnswer::Yes;
    case PromptButtons::RetryCancel:
        return PromptAnswer::Retry;
    case PromptButtons::AbortRetryIgnore:
        return PromptAnswer::Abort;
    }
    return PromptAnswer::Ok;
}

} // namespace

PromptAnswer FakePrompts::message(const QString& text, const QString& caption, PromptIcon icon,
                                  PromptButtons buttons) {
    boxes.append({text, caption, icon, buttons});
    if (onBox)
        onBox(boxes.last());
    if (m_answers.empty())
        return FirstButton(buttons);
    const PromptAnswer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

PromptAnswer FakePrompts::ask(const QString& text, const QString& caption, PromptIcon icon,
                              PromptButtons buttons, PromptAnswer defaultAnswer) {
    // Unscripted, the box takes its default: the safe answer, so that a key a test presses in
    // the real window never sends the test's own folders to the trash.
    const bool scripted = !m_answers.empty();
    const PromptAnswer a = message(text, caption, icon, buttons);
    boxes.last().defaultAnswer = defaultAnswer;
    boxes.last().hasDefault = true;
    return scripted ? a : defaultAnswer;
}

QString FakePrompts::inputText(const QString& prompt, const QString& title) {
    inputs.append({prompt, title});
    if (m_typed.empty())
        return {};
    QString t = m_typed.front();
    m_typed.pop_front();
    return t;
}

QString FakePrompts::browseFolder(const QString& prompt, const QString& initial, int root) {
    browses.append({prompt, initial, root});
    if (m_folders.empty())
        return {};
    QString f = m_folders.front();
    m_folders.pop_front();
    return f;
}

QStringList FakePrompts::texts() const {
    QStringList out;
    for (const auto& b : boxes)
        out << b.text;
    return out;
}

const char* IconName(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::None:
        return "none";
    case PromptIcon::Information:
        return "information";
    case PromptIcon::Warning:
        return "warning";
    case PromptIcon::Critical:
        return "critical";
    case PromptIcon::Question:
        return "question";
    }
    return "?";
}

} // namespace tobimaru::test
