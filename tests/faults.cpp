// Faults that the atbash command's test cannot bring about by itself, put in under LD_PRELOAD as FAULT says:
//   read-eio    the file FAULT_FILE gives 64 bytes, then each read fails (EIO)
//   truncate    after its first read, that file is cut to 1,000 bytes
//   grow        after its first read, "Grown." is added to its end
//   write-zero  each write to standard output writes nothing, and no error
#include <dlfcn.h>
#include <fcntl.h>
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

// Whether `fd` is open on the file FAULT_FILE names; its path goes to `name`.
bool is_faulty(int fd, char *name, size_t size)
{
    const char *wanted = std::getenv("FAULT_FILE");
    char fd_link[64];
    if (std::snprintf(fd_link, sizeof fd_link, "/proc/self/fd/%d", fd) < 0)
        return false;
    ssize_t length = readlink(fd_link, name, size - 1);
    if (!wanted || fd < 3 || length < 0)
        return false;
    name[length] = '\0';
    size_t tail = std::strlen(wanted);
    return static_cast<size_t>(length) >= tail && std::strcmp(name + length - tail, wanted) == 0;
}

}  // namespace

// The C library's own names for the parameters are reserved ones.
// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    static auto real = reinterpret_cast<ssize_t (*)(int, void *, size_t)>(dlsym(RTLD_NEXT, "read"));
    char path[4096];
    if (!is_faulty(fd, path, sizeof path))
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
