#pragma once

#include "support/TempDir.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>

namespace tobimaru::test {

/// The desktop's trash in a folder of the test's own (XDG_DATA_HOME). The test mode of
/// QStandardPaths is off meanwhile, so that code asking QStandardPaths for the data folder finds
/// the same one DesktopTrash uses.
class TrashSandbox final {
public:
    TrashSandbox()
        : m_old(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        QStandardPaths::setTestModeEnabled(false);
    }
    ~TrashSandbox() {
        QStandardPaths::setTestModeEnabled(true);
        if (m_old.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_old);
    }
    TrashSandbox(const TrashSandbox&) = delete;
    TrashSandbox& operator=(const TrashSandbox&) = delete;

    /// The names in the trash, sorted.
    QStringList names() const {
        return QDir(m_data.file("Trash/files")).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private:
    TempDir m_data;
    QByteArray m_old;
};

} // namespace tobimaru::test
