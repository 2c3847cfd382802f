#pragma once

#include <dirent.h>
#include <memory>
#include <string>
#include <unordered_set>

namespace tobimaru {

struct DirCloser {
    void operator()(DIR* dir) const;
};
/// An open directory stream, closed with its owner.
using DirHandle = std::unique_ptr<DIR, DirCloser>;

/// Owns a plain descriptor; -1 is "none".
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();
    int get() const { return m_fd; }

private:
    int m_fd = -1;
};

/// The names a folder's ".hidden" file lists, one per line (the file managers' way of hiding
/// entries without renaming them). Only a regular file of sane size is read, so a FIFO or a
/// huge file under that name cannot stall a listing; anything else gives no names.
std::unordered_set<std::string> ReadHiddenNames(int dirFd);

} // namespace tobimaru
