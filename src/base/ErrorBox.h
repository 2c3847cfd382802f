#pragma once

#include "base/ErrorTable.h"

#include <QString>
#include <functional>

namespace tobimaru {

class Prompts;

/// The two-line text of the error box for a failure number.
QString ComposeErrorMessage(ErrorCode code);

/// The one report of a trapped failure: code and standard text, critical icon, the title +
/// "エラー" as caption, then the default beep.
void ShowErrorBox(Prompts& prompts, ErrorCode code);

/// Runs a command handler's body with the trap every handler has: any failure is reported
/// with ShowErrorBox and the command is abandoned. Returns false when the body failed.
bool RunCommand(Prompts& prompts, const std::function<void()>& body);

/// For handlers of player events and timers, which ignore failures instead of reporting them.
bool RunQuietly(const std::function<void()>& body);

} // namespace tobimaru
