#pragma once

#include "archives/ArchiverCodes.h"

#include <QString>
#include <QStringList>

namespace tobimaru {

/// The text in double quotes when it holds a dot or a space, else unchanged.
QString QuotePath(const QString& text);
/// The path with trailing spaces removed and one "/" appended, unless it already ends in "/".
QString WithTrailingSeparator(const QString& path);
/// The LZH command line: command, switches, quoted archive, quoted destination with its
/// trailing "/", each followed by one space.
QString LzhCommandLine(const QString& command, const QString& switches, const QString& archive,
                       const QString& destination);
/// The ZIP command line: switches, quoted archive, quoted destination with its trailing "/",
/// each followed by one space.
QString ZipCommandLine(const QString& switches, const QString& archive, const QString& destination);

/// What a command line asks for, or why it cannot be done.
struct ArchiverCommand {
    /// Ok, or the result code the call returns at once (Command, NoArchiveName).
    ArchiverCode code = ArchiverCode::Ok;
    QString command;
    QStringList switches;
    QString archive;
    QString destination;
};

/// Reads an LZH command line: the command "e", the switches ("-x1m1": x1 keeps the stored
/// folders, m0/m1 are accepted), the archive, the destination. Paths must be absolute.
ArchiverCommand ParseLzhCommandLine(const QString& line);
/// Reads a ZIP command line: the switches (-x -s -V -i -C are accepted), the archive, the
/// destination. Paths must be absolute.
ArchiverCommand ParseZipCommandLine(const QString& line);

} // namespace tobimaru
