#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "support/QtPrint.h"

namespace tobimaru::test {

/// A temporary folder removed with everything in it when the test ends.
class TempDir {
public:
    TempDir();
    /// Removes the folder by the bytes of its names (Qt's own removal misses names that are not
    /// UTF-8, and would leave them behind in /tmp).
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    /// The folder's path, no trailing slash.
    QString path() const;
    /// `path()` + "/" + relative.
    QString file(const QString& relative) const;
    /// Writes a file (making its folders), returns its full path.
    QString write(const QString& relative, const QByteArray& content = {}) const;
    /// Makes a folder (and its parents), returns its full path.
    QString mkdir(const QString& relative) const;
    /// Writes a file whose relative path is given as the bytes the file system keeps (a name
    /// that is not UTF-8, say); its folder must exist. Returns the program's path text for it.
    QString writeBytes(const QByteArray& relative, const QByteArray& content = {}) const;
    /// Makes a folder given by its bytes, as writeBytes; returns its path text.
    QString mkdirBytes(const QByteArray& relative) const;

private:
    QTemporaryDir m_dir;
};

} // namespace tobimaru::test
