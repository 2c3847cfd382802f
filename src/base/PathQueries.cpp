#include "base/PathQueries.h"

#include "base/FileNames.h"

#include <QFile>
#include <sys/stat.h>

namespace tobimaru {

namespace {

// Paths are kept without a trailing slash, but a caller may pass one ("/a/b/").
QString Trimmed(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

} // namespace

QString GetUpPath(const QString& path) {
    const QString p = Trimmed(path);
    if (p.isEmpty() || p == QLatin1String("/"))
        return {};
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return QStringLiteral("/");
    return p.left(slash);
}

QString GetParentPath(const QString& path) {
    return GetUpPath(path);
}

QString GetFileNamePart(const QString& path) {
    const QString p = Trimmed(path);
    if (p == QLatin1String("/"))
        return {};
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString GetExtension(const QString& path) {
    const QString name = GetFileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString GetFileBaseName(const QString& path) {
    const QString name = GetFileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

namespace {

/// stat of a path; false for one with a NUL inside, which the system would cut short and so
/// answer for another path.
bool StatPath(const QString& path, struct stat& st) {
    const QByteArray bytes = EncodeFileName(path);
    return !bytes.isEmpty() && !bytes.contains('\0') && ::stat(bytes.constData(), &st) == 0;
}

} // namespace

bool ExistsFile(const QString& path) {
    struct stat st {};
    return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool ExistsFolder(const QString& path) {
    struct stat st {};
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

} // namespace tobimaru
