#include "support/FileWatch.h"

#include <QFile>
#include <cerrno>
#include <stdexcept>
#include <sys/inotify.h>
#include <unistd.h>

namespace tobimaru::test {

FileWatch::FileWatch(const QString& folder)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (m_fd < 0 || ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                        IN_OPEN | IN_CREATE | IN_MOVED_TO | IN_DELETE) < 0)
        throw std::runtime_error("cannot watch " + folder.toStdString());
}

FileWatch::~FileWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QStringList FileWatch::take() {
    QStringList events;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            return events;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            const QString name = e->len ? QFile::decodeName(e->name) : QString();
            const char* what = e->mask & IN_OPEN       ? "open"
                               : e->mask & IN_CREATE   ? "create"
                               : e->mask & IN_MOVED_TO ? "moved_to"
                                                       : "delete";
            events << QLatin1String(what) + QLatin1Char(' ') + name;
            at += ssize_t(sizeof(inotify_event)) + e->len;
        }
    }
}

} // namespace tobimaru::test
