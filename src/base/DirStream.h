#pragma once

#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace tobimaru {

struct DirStreamCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

/// A directory stream over a descriptor, closed with its owner.
using DirStream = std::unique_ptr<DIR, DirStreamCloser>;

/// Takes `fd` (-1 gives an empty stream); a descriptor fdopendir refuses is closed at once.
inline DirStream OpenDirStream(int fd) {
    if (fd < 0)
        return {};
    DIR* dir = ::fdopendir(fd);
    if (!dir)
        ::close(fd);
    return DirStream(dir);
}

} // namespace tobimaru
