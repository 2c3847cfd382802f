#include "browse/SystemFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace tobimaru {

namespace {

// Paths are kept without a trailing slash; a folder that cannot be had is "".
QString Location(QStandardPaths::StandardLocation where) {
    QString path = TrimAtNull(QStandardPaths::writableLocation(where));
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString ClsGetSpecialFolder::MyDocumentPath() const {
    return Location(QStandardPaths::DocumentsLocation);
}

QString ClsGetSpecialFolder::DesktopPath() const {
    return Location(QStandardPaths::DesktopLocation);
}

QString ClsGetSpecialFolder::ProgramsDirPath() const {
    return Location(QStandardPaths::ApplicationsLocation);
}

QString ClsGetSpecialFolder::TempPath() const {
    const QString temp = QDir::tempPath();
    if (temp.isEmpty())
        return {};
    return temp.endsWith(QLatin1Char('/')) ? temp : temp + QLatin1Char('/');
}

} // namespace tobimaru
