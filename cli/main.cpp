// atbash: writes the Atbash image of its input, in the manner of cat.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "atbash.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

const char usage_text[] =
    "Usage: atbash [OPTION]... [FILE]...\n"
    "Write the Atbash image of each FILE to standard output: every ASCII letter\n"
    "mirrored (A<->Z, B<->Y, ..., a<->z), every other byte as it is.\n"
    "With no FILE, or where FILE is -, read standard input.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "  --             end the options; every argument after it is a FILE\n"
    "\n"
    "Exit status:\n"
    "  0  if all went well,\n"
    "  1  if a FILE could not be read or the output could not be written,\n"
    "  2  for an unknown option.\n";

// Input streams through this one buffer, whatever its size.
alignas(4096) char buffer[128 * 1024];

enum Outcome : unsigned char { done, read_failed, write_failed, output_closed };

void report(const char *what, int error)
{
    // Nothing is left to do when even standard error fails.
    static_cast<void>(std::fprintf(stderr, "atbash: %s: %s\n", what, std::strerror(error)));
}

// Writes all of `data` to standard output, through short writes and
// interrupted calls.
Outcome write_all(const char *data, size_t size)
{
    while (size > 0) {
        auto written = write(1, data, static_cast<unsigned>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EPIPE)
                return output_closed;
            report("write error", errno);
            return write_failed;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return done;
}

// Writes the Atbash image of everything that can be read from `input`.
Outcome convert(int input, const char *name)
{
    for (;;) {
        auto got = read(input, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            report(name, errno);
            return read_failed;
        }
        if (got == 0)
            return done;
        atbash(buffer, static_cast<int>(got));
        Outcome outcome = write_all(buffer, static_cast<size_t>(got));
        if (outcome != done)
            return outcome;
    }
}

Outcome convert_file(const char *name)
{
    if (std::strcmp(name, "-") == 0)
        return convert(0, name);
    int input = open(name, O_RDONLY | O_BINARY);
    if (input < 0) {
        report(name, errno);
        return read_failed;
    }
    Outcome outcome = convert(input, name);
    close(input);
    return outcome;
}

// Prints a text for --help or --version; a failed write fails the program.
int print(const char *text)
{
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        report("write error", errno);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    // Every byte passes: no CR LF translation, no end of file at 0x1A.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
#endif
    // First the options, which are then struck out; what remains are FILEs.
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--") == 0) {
            argv[i] = nullptr;
            files += argc - i - 1;
            break;
        }
        if (arg[0] != '-' || arg[1] == '\0') {
            ++files;
            continue;
        }
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)
            return print(usage_text);
        if (std::strcmp(arg, "--version") == 0)
            return print("atbash " QUINDARELVOXEN_VERSION "\n");
        static_cast<void>(std::fprintf(stderr, "atbash: unknown option '%s'\n%s", arg, usage_text));
        return 2;
    }

    if (files == 0)
        return convert(0, "-") == done ? 0 : 1;
    int status = 0;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i]) {
            options = false;
            continue;
        }
        if (options && argv[i][0] == '-' && argv[i][1] != '\0')
            continue;
        switch (convert_file(argv[i])) {
        case done:
            break;
        case read_failed:
            status = 1;
            break;
        case write_failed:
        case output_closed:  // quietly, as the reader has gone
            return 1;
        }
    }
    return status;
}
