// SPDX-License-Identifier: GPL-3.0-or-later
// File access through file handles that are POSIX descriptors. Sharing is kept with open file
// description locks on the whole file: a handle that only reads takes a shared lock, any other
// handle an exclusive one, so a writer excludes every other handle of this or another process
// that opens through this library. A file without any write permission bit counts as read-only,
// whoever the caller is.
#include "vexcore/vexcore.h"

#include <cerrno>
#include <cstdint>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Access { Read, ReadWrite, Write };
enum class Disposition { OpenAlways, OpenExisting, CreateAlways };

constexpr int kFirstHandle = 3; // never hand out 0, 1 or 2

HANDLE toHandle(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

// The descriptor of a handle this library may have handed out; -1 for any other, the client's
// standard input, output and error among them.
int toDescriptor(HANDLE handle) {
    const auto value = reinterpret_cast<intptr_t>(handle);
    if (value < kFirstHandle || value > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(value);
}

bool isReadOnly(const struct stat& info) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool lockWholeFile(int fd, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

HANDLE openFile(LPCSTR name, Access access, Disposition disposition) {
    if (name == nullptr || *name == '\0')
        return INVALID_HANDLE_VALUE;
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    flags |= access == Access::Read ? O_RDONLY : access == Access::Write ? O_WRONLY : O_RDWR;
    int fd = open(name, flags);
    bool created = false;
    if (fd < 0 && errno == ENOENT && disposition != Disposition::OpenExisting) {
        fd = open(name, flags | O_CREAT | O_EXCL, 0666);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST)
            fd = open(name, flags);
    }
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    if (fd < kFirstHandle) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, kFirstHandle);
        close(fd);
        if (moved < 0)
            return INVALID_HANDLE_VALUE;
        fd = moved;
    }
    struct stat info = {};
    // Only regular files are data files: no folders, devices or pipes (a pipe would block).
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok && access != Access::Read && !created && isReadOnly(info))
        ok = false;
    if (ok)
        ok = lockWholeFile(fd, access == Access::Read ? F_RDLCK : F_WRLCK);
    // Truncate only once the file is ours, so a refused open leaves the contents alone.
    if (ok && disposition == Disposition::CreateAlways)
        ok = ftruncate(fd, 0) == 0;
    if (ok) {
        const int status = fcntl(fd, F_GETFL);
        ok = status >= 0 && fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0;
    }
    if (!ok) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return toHandle(fd);
}

// True when some handle of this library holds the file open.
bool isOpenThroughLibrary(LPCSTR name) {
    const int fd = open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct flock probe = {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    const bool locked = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return locked;
}

} // namespace

HANDLE VEXAPI DataFileOpen(LPCSTR fileName) {
    return openFile(fileName, Access::ReadWrite, Disposition::OpenAlways);
}

HANDLE VEXAPI DataFileReadOpen(LPCSTR fileName) {
    return openFile(fileName, Access::Read, Disposition::OpenExisting);
}

HANDLE VEXAPI DataFileWriteOpen(LPCSTR fileName) {
    return openFile(fileName, Access::Write, Disposition::OpenAlways);
}

HANDLE VEXAPI DataFileCreateOpen(LPCSTR fileName) {
    return openFile(fileName, Access::Write, Disposition::CreateAlways);
}

BOOL VEXAPI DataFileExist(LPCSTR fileName) {
    const HANDLE file = DataFileReadOpen(fileName);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DataFileClose(file);
    return 1;
}

BOOL VEXAPI DataFileClose(HANDLE file) {
    const int fd = toDescriptor(file);
    if (fd < 0)
        return 0;
    // A close that fails (a handle that is not open) is not reported as success.
    return close(fd) == 0 || errno == EINTR ? 1 : 0;
}

BOOL VEXAPI DataFileDelete(LPCSTR fileName) {
    if (fileName == nullptr || *fileName == '\0')
        return 0;
    struct stat info = {};
    if (lstat(fileName, &info) != 0 || S_ISDIR(info.st_mode))
        return 0;
    if (S_ISREG(info.st_mode) && (isReadOnly(info) || isOpenThroughLibrary(fileName)))
        return 0;
    return unlink(fileName) == 0 ? 1 : 0;
}

DWORD VEXAPI DataFileSize(HANDLE file) {
    const int fd = toDescriptor(file);
    struct stat info = {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size < 0)
        return 0;
    // The size is a 32-bit value whose all-ones form means failure.
    if (static_cast<std::uint64_t>(info.st_size) >= 0xFFFFFFFFull)
        return 0;
    return static_cast<DWORD>(info.st_size);
}

LONG VEXAPI __hwrite(HANDLE file, const void* buffer, LONG count) {
    const int fd = toDescriptor(file);
    if (fd < 0 || buffer == nullptr || count <= 0)
        return 0;
    const auto* bytes = static_cast<const char*>(buffer);
    LONG done = 0;
    while (done < count) {
        const ssize_t n = write(fd, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<LONG>(n);
    }
    return done;
}

LONG VEXAPI __hread(HANDLE file, void* buffer, LONG count) {
    const int fd = toDescriptor(file);
    if (fd < 0 || buffer == nullptr || count <= 0)
        return 0;
    auto* bytes = static_cast<char*>(buffer);
    LONG done = 0;
    while (done < count) {
        const ssize_t n = read(fd, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<LONG>(n);
    }
    return done;
}
