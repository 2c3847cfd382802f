#pragma once

#include <QByteArray>
#include <cerrno>
#include <unistd.h>

namespace tobimaru {

/// Owns a file descriptor and closes it with its owner; -1 stands for none.
class UniqueFd final {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Q_DISABLE_COPY(UniqueFd)
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    /// Gives the descriptor up without closing it.
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    /// Closes the descriptor held and takes `fd` instead.
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    /// Closes now: 0, or the errno of a failed close (a delayed write error shows there).
    int close() { return ::close(release()) == 0 ? 0 : errno; }

private:
    int m_fd = -1;
};

/// Writes every byte, going on after a short write or a signal; false (errno set) on a failure.
bool WriteAll(int fd, const QByteArray& bytes);

} // namespace tobimaru
