#include "base/ErrorBox.h"

#include "base/ErrorTable.h"
#include "base/Prompts.h"

#include <QDebug>
#include <new>

namespace tobimaru {

namespace {

ErrorCode CodeOf(const std::exception& e) {
    if (auto* f = dynamic_cast<const Failure*>(&e))
        return f->code();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return ErrorCode::OutOfMemory;
    if (dynamic_cast<const std::out_of_range*>(&e))
        return ErrorCode::SubscriptOutOfRange;
    if (dynamic_cast<const std::overflow_error*>(&e))
        return ErrorCode::Overflow;
    return ErrorCode::Internal;
}

} // namespace

QString ComposeErrorMessage(ErrorCode code) {
    // A bare carriage return between the lines, as the box has always shown it.
    return QStringLiteral("(エラー番号):  ") + QString::number(ErrorNumber(code)) + QLatin1Char('\r') +
           QStringLiteral("(エラー内容):  ") + ErrorText(code);
}

void ShowErrorBox(Prompts& prompts, ErrorCode code) {
    prompts.message(ComposeErrorMessage(code), AppTitle() + QStringLiteral("エラー"), PromptIcon::Critical,
                    PromptButtons::Ok);
    prompts.beep();
}

bool RunCommand(Prompts& prompts, const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        ShowErrorBox(prompts, CodeOf(e));
    } catch (...) {
        ShowErrorBox(prompts, ErrorCode::Internal);
    }
    return false;
}

bool RunQuietly(const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        qWarning() << "ignored failure:" << e.what();
    } catch (...) {
        qWarning() << "ignored failure";
    }
    return false;
}

} // namespace tobimaru
