#include "support/FatImage.h"

#include "platform/MountTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace tobimaru::test {

namespace {

QString Tool(const QString& name) {
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin"}) : found;
}

// Runs a tool to its end; empty when it exits with 0, else what it said.
QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return program + QStringLiteral(" did not finish");
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return {};
    const QString said = QString::fromLocal8Bit(p.readAll()).trimmed();
    return program + QStringLiteral(": ") + (said.isEmpty() ? QStringLiteral("failed") : said.right(300));
}

bool Listed(const QString& mountPoint) {
    for (const MountEntry& e : ReadMountInfo()) {
        if (e.mountPoint == mountPoint)
            return true;
    }
    return false;
}

} // namespace

FatImage::FatImage(qint64 bytes) {
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) {
        m_whyNot = QStringLiteral("this machine has no /dev/fuse");
        return;
    }
    const QString mkfs = Tool(QStringLiteral("mkfs.fat"));
    const QString fusefat = Tool(QStringLiteral("fusefat"));
    if (mkfs.isEmpty() || fusefat.isEmpty()) {
        m_whyNot = QStringLiteral("mkfs.fat (dosfstools) and fusefat are needed for a FAT volume");
        return;
    }
    const QString image = m_dir.filePath(QStringLiteral("fat.img"));
    m_mountPoint = m_dir.filePath(QStringLiteral("fat"));
    QFile file(image);
    if (!QDir().mkpath(m_mountPoint) || !file.open(QIODevice::WriteOnly) || !file.resize(bytes)) {
        m_whyNot = QStringLiteral("cannot make the image file in ") + m_dir.path();
        return;
    }
    file.close();
    m_whyNot = Run(mkfs, {QStringLiteral("-F"), QStringLiteral("32"), image});
    if (m_whyNot.isEmpty())
        m_whyNot = Run(fusefat, {QStringLiteral("-o"), QStringLiteral("rw+"), image, m_mountPoint});
    m_mounted = m_whyNot.isEmpty() && Listed(m_mountPoint);
    if (!m_mounted && m_whyNot.isEmpty())
        m_whyNot = QStringLiteral("fusefat ran, but the kernel lists no mount at ") + m_mountPoint;
}

FatImage::~FatImage() {
    if (!m_mounted || !Listed(m_mountPoint))
        return;
    // A plain unmount first, so that fusefat writes everything back; a lazy one if it is busy.
    const QString fusermount = Tool(QStringLiteral("fusermount"));
    if (!Run(fusermount, {QStringLiteral("-u"), m_mountPoint}).isEmpty())
        Run(fusermount, {QStringLiteral("-u"), QStringLiteral("-z"), m_mountPoint});
}

} // namespace tobimaru::test
