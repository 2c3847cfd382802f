#pragma once

#include <QString>

namespace tobimaru {

/// major.minor.revision of this build.
QString ProgramVersionText();

/// The version label of the options dialog: the title and version, a notice, the OS text and
/// the shell library's version, one to a line.
QString VersionLabelText(const QString& osText, const QString& shellVersion);

/// The version history shown beside it, lines ended by CR LF.
QString VersionHistoryText();

/// The project's home page for the "ホームページ" button, the one its metainfo names. The project
/// has no mail address it answers, so the version page offers no "メール" button.
QString ProjectHomePage();

} // namespace tobimaru
