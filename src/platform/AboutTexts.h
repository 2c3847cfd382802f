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

/// The project's mail address, for the "メール" button.
QString ProjectMailAddress();

/// The project's home page for the "ホームページ" button: its README as installed
/// (share/doc/tobimarume/README.md beside the executable's bin folder), else the one beside the
/// executable. `applicationDir` is the executable's folder.
QString ProjectHomePage(const QString& applicationDir);

} // namespace tobimaru
