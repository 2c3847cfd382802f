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
    /// The folder's path, no trailing slash.
    QString path() const;
    /// `path()` + "/" + relative.
    QString file(const QString& relative) const;
    /// Writes a file (making its folders), returns its full path.
    QString write(const QString& relative, const QByteArray& content = {}) const;
    /// Makes a folder (and its parents), returns its full path.
    QString mkdir(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

} // namespace tobimaru::test
