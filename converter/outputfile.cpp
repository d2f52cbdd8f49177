#include "converter/outputfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

outputFile::~outputFile() {
    if (fd >= 0) ::close(fd);
}

bool outputFile::open(const std::string& name) {
    path = name;
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    changed = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        firstError = errno;
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) == 0) {
        regular = S_ISREG(status.st_mode);
        device = status.st_dev;
        inode = status.st_ino;
    }
    return true;
}

void outputFile::clear() {
    changed = true;
    if (regular && ::ftruncate(fd, 0) != 0 && firstError == 0) firstError = errno;
}

void outputFile::writeAll(const char* data, std::size_t size) {
    while (size > 0 && firstError == 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno != EINTR) firstError = errno;
            continue;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void outputFile::drain() {
    writeAll(buffer.data(), used);
    used = 0;
}

bool outputFile::flush() {
    drain();
    return firstError == 0;
}

bool outputFile::close() {
    drain();
    if (fd >= 0) {
        if (::close(fd) != 0 && firstError == 0) firstError = errno;
        fd = -1;
    }
    return firstError == 0;
}

void outputFile::discard() {
    used = 0;
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    struct stat status {};
    if (changed && regular && ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_dev == device && status.st_ino == inode) {
        ::unlink(path.c_str());
    }
}
