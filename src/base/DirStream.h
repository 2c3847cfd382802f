#pragma once

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace tobimaru {

struct DirStreamCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

/// A directory stream over a descriptor, closed with its owner.
using DirStream = std::unique_ptr<DIR, DirStreamCloser>;

/// Takes `fd` (-1 gives an empty stream); a descriptor fdopendir refuses is closed at once.
/// errno says why an empty stream came back.
inline DirStream OpenDirStream(int fd) {
    if (fd < 0)
        return {};
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return DirStream(dir);
}

/// The folder at `path` (an encoded file name) as a stream; empty, with errno set, when it cannot
/// be opened.
inline DirStream OpenDirStream(const char* path) {
    return OpenDirStream(::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace tobimaru
