// Faults that the atbash command's test cannot bring about by itself, put in under LD_PRELOAD as FAULT says:
//   read-eio    the file FAULT_FILE gives 64 bytes, then each read fails (EIO)
//   truncate    after its first read, that file is cut to 1,000 bytes
//   grow        after its first read, "Grown." is added to its end
//   write-zero  each write to standard output writes nothing, and no error
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Whether FAULT names `fault`.
bool faulting(const char *fault)
{
    const char *name = std::getenv("FAULT");
    return name && std::strcmp(name, fault) == 0;
}

// Whether `fd` is a file's, not a standard stream's, open on the file at `path`: the same device and inode.
bool is_open_on(int fd, const char *path)
{
    struct stat opened = {};
    struct stat named = {};
    return path && fd > 2 && fstat(fd, &opened) == 0 && stat(path, &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

}  // namespace

// The C library's own names for the parameters are reserved ones.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    static auto real = reinterpret_cast<ssize_t (*)(int, void *, size_t)>(dlsym(RTLD_NEXT, "read"));
    const char *path = std::getenv("FAULT_FILE");
    if (!is_open_on(fd, path))
        return real(fd, buffer, count);
    static int reads = 0;
    const bool first = ++reads == 1;
    if (faulting("read-eio") && !first) {
        errno = EIO;
        return -1;
    }
    ssize_t got = real(fd, buffer, faulting("read-eio") && count > 64 ? 64 : count);
    if (first && faulting("truncate") && truncate(path, 1000) != 0)
        std::perror("faults: truncate");
    if (first && faulting("grow")) {
        int end = open(path, O_WRONLY | O_APPEND);
        if (write(end, "Grown.", 6) != 6)
            std::perror("faults: grow");
        close(end);
    }
    return got;
}

// What read becomes in a build with _FORTIFY_SOURCE: the C library's name.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" ssize_t __read_chk(int fd, void *buffer, size_t count, size_t /*size*/)
{
    return read(fd, buffer, count);
}

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" ssize_t write(int fd, const void *buffer, size_t count)
{
    static auto real = reinterpret_cast<ssize_t (*)(int, const void *, size_t)>(dlsym(RTLD_NEXT, "write"));
    if (fd == 1 && faulting("write-zero"))
        return 0;
    return real(fd, buffer, count);
}
