#include "support/MediaMaker.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <stdexcept>

namespace tobimaru::test {

namespace {

QString Run(const QString& path, const QStringList& args)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QProcess p;
    QStringList all{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                    QStringLiteral("-y")};
    all << args << path;
    p.start(QStringLiteral("ffmpeg"), all);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error("ffmpeg failed for " + path.toStdString() + ": " +
                                 p.readAllStandardError().toStdString());
    return path;
}

} // namespace

QString MediaMaker::clip(const QString& path, double seconds, int width, int height)
{
    const QString dur = QString::number(seconds);
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    return Run(path, {"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=25:duration=" + dur, "-f", "lavfi",
                      "-i", "sine=frequency=440:duration=" + dur, "-shortest", "-pix_fmt", "yuv420p"});
}

QString MediaMaker::picture(const QString& path, int width, int height)
{
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    return Run(path, {"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=1:duration=1", "-frames:v", "1"});
}

QString MediaMaker::sound(const QString& path, double seconds)
{
    return Run(path, {"-f", "lavfi", "-i", "sine=frequency=440:duration=" + QString::number(seconds)});
}

bool MediaMaker::available()
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {QStringLiteral("-version")});
    return p.waitForFinished(10000) && p.exitCode() == 0;
}

} // namespace tobimaru::test
