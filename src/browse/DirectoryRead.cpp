#include "browse/DirectoryRead.h"

#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

void DirCloser::operator()(DIR* dir) const {
    ::closedir(dir);
}

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::unordered_set<std::string> ReadHiddenNames(int dirFd) {
    std::unordered_set<std::string> names;
    const FileDescriptor fd(::openat(dirFd, ".hidden", O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    constexpr off_t kMaxSize = 4 << 20;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSize)
        return names;
    std::string text(size_t(st.st_size), '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n <= 0)
            break;
        got += size_t(n);
    }
    text.resize(got);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos)
            eol = text.size();
        std::string_view line(text.data() + pos, eol - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            names.emplace(line);
        pos = eol + 1;
    }
    return names;
}

} // namespace tobimaru
