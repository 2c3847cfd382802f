#pragma once

#include <QString>

namespace tobimaru {

/// Why a system call failed, in the words a user of this program reads: Japanese for the errors
/// file work meets, the C library's own words (never the locale's) for the rest. Boxes put it on
/// a line of its own after the file's name, so a failure always says why.
QString SystemReason(int error);

/// "name: reason" on one line, as failure boxes list each item that stayed.
QString NamedReason(const QString& shownName, int error);

} // namespace tobimaru
