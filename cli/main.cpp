// atbash: writes the Atbash image of its input, in the manner of cat.
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <climits>
#include <clocale>
#include <cwchar>
#include <cwctype>
#include <unistd.h>
// A 32-bit build reads files of 2 GiB and more only with a 64-bit off_t
// (_FILE_OFFSET_BITS=64, which the build defines).
static_assert(sizeof(off_t) >= 8, "off_t must hold the size of any file");
#endif

#include "alphabets.h"
#include "atbash.h"

namespace {

const char usage_text[] =
    "Usage: atbash [OPTION]... [FILE]...\n"
    "Write the Atbash image of each FILE to standard output: every ASCII letter\n"
    "mirrored (A<->Z, B<->Y, ..., a<->z), every other byte as it is.\n"
    "With no FILE, or where FILE is -, read standard input.\n"
    "\n"
    "  -a, --alphabet=NAME   mirror the alphabet NAME, in any case, instead:\n"
    "                        latin (the default), hebrew (alef<->tav, ...,\n"
    "                        kaf<->lamed) or greek (alpha<->omega, each case\n"
    "                        within itself)\n"
    "  -a, --alphabet=CHARS  mirror the characters CHARS within themselves, the\n"
    "                        first with the last and so on; CHARS of the small\n"
    "                        letters a-z alone is read as a NAME\n"
    "  -h, --help            show this help and exit\n"
    "      --version         show the version and exit\n"
    "  --                    end the options; every argument after it is a FILE\n"
    "\n"
    "Given more than once, -a mirrors each alphabet given, each within itself.\n"
    "With -a, the input is read as UTF-8: every other character, and every byte\n"
    "that is not UTF-8, stays as it is. The final forms of Hebrew and Greek are\n"
    "read as their letters, and a letter that has one is written in it where it\n"
    "ends a word of two letters or more, as the script is spelled.\n"
    "\n"
    "Exit status:\n"
    "  0  if all went well,\n"
    "  1  if a FILE could not be read or is the output itself, the output could\n"
    "     not be written, or an option or an alphabet is not understood.\n";

// Input streams through this one buffer, whatever its size: 256 KiB, as
// measured (bench/compare.sh), fewer system calls than 128 KiB and still
// within the processor's second-level cache, where the cipher runs.
alignas(4096) char buffer[256 * 1024];

enum Outcome : unsigned char { done, read_failed, write_failed, output_closed };

void report(const char *what, const char *why)
{
    // Nothing is left to do when even standard error fails.
    static_cast<void>(std::fprintf(stderr, "atbash: %s: %s\n", what, why));
}

// Standard error in pieces of a small buffer's size.
struct Said {
    char text[512];
    size_t used = 0;
    void put(char c)
    {
        if (used == sizeof text)
            flush();
        text[used++] = c;
    }
    void put(const char *words)
    {
        while (*words)
            put(*words++);
    }
    void flush()
    {
        static_cast<void>(std::fwrite(text, 1, used, stderr));
        used = 0;
    }
};

// Whether the shell would take `c`, at `at` in `name`, as something else
// than itself, as coreutils judges it in a file's name.
bool shell_special(const char *name, size_t at)
{
    const char c = name[at];
    if ((c == '{' || c == '}') && at == 0 && name[1] == '\0')
        return true;
    if (c == '#' || c == '~')
        return at == 0;
    return std::strchr(" !\"$&'()*:;<=>?[\\^`|", c) != nullptr;
}

// The length of the character at `name`, and whether it is printable, as
// the locale reads it, as cat does; a byte that begins none is one. On
// Windows a name is shown in the ANSI code page, a byte a character.
size_t character(const char *name, bool *printable)
{
    const auto byte = static_cast<unsigned char>(*name);
    *printable = byte >= 0x20 && byte != 0x7F;
#ifndef _WIN32
    wchar_t c = 0;
    std::mbstate_t state{};
    const size_t length = std::mbrtowc(&c, name, strnlen(name, MB_LEN_MAX), &state);
    *printable = length >= 1 && length < static_cast<size_t>(-2) && std::iswprint(static_cast<wint_t>(c));
    if (*printable)
        return length;
#endif
    return 1;
}

enum Quoting : unsigned char { as_it_is, in_double_quotes, in_single_quotes };

// How coreutils quotes `name`: as it is where the shell would take it so;
// in double quotes where it holds a single quote and nothing else that
// double quotes would not keep; else in single quotes.
Quoting quoting_of(const char *name)
{
    bool plain = *name != '\0';
    bool quote = false;
    bool kept = true;
    for (size_t i = 0; name[i];) {
        bool printable = false;
        const size_t length = character(name + i, &printable);
        plain = plain && printable && !shell_special(name, i);
        quote = quote || name[i] == '\'';
        kept = kept && printable &&
               (length > 1 ||
                std::strchr(" %'+,-./0123456789:@ABCDEFGHIJKLMNOPQRSTUVWXYZ]_abcdefghijklmnopqrstuvwxyz", name[i]) !=
                    nullptr ||
                ((name[i] == '#' || name[i] == '~') && i == 0));
        i += length;
    }
    if (plain)
        return as_it_is;
    return quote && kept ? in_double_quotes : in_single_quotes;
}

// `name` in single quotes, a run of characters that are not printable as
// $'\n\001', and a single quote as '\'', which also ends such a run.
void put_single_quoted(Said &said, const char *name)
{
    said.put('\'');
    bool escaping = false;
    for (const char *c = name; *c;) {
        bool printable = false;
        const char *end = c + character(c, &printable);
        if (printable == escaping && *c != '\'')
            said.put(printable ? "''" : "'$'");
        escaping = !printable;
        for (; c < end; ++c) {
            const char *named = std::strchr("\aa\bb\ff\nn\rr\tt\vv", *c);
            if (printable && *c == '\'')
                said.put("'\\''");
            else if (printable)
                said.put(*c);
            else
                said.put('\\');
            if (!printable && named)
                said.put(named[1]);
            for (int shift = 6; !printable && !named && shift >= 0; shift -= 3)
                said.put(static_cast<char>('0' + ((static_cast<unsigned char>(*c) >> shift) & 7)));
        }
    }
    said.put('\'');
}

// Says that `name`, a file's or (after `kind`) an alphabet's, failed for
// `why`, the name quoted as coreutils quotes it.
void report_file(const char *name, const char *why, const char *kind = "")
{
    Said said;
    said.put("atbash: ");
    said.put(kind);
    // An alphabet is always quoted, as coreutils quotes an argument.
    const Quoting quoting = *kind && quoting_of(name) == as_it_is ? in_single_quotes : quoting_of(name);
    const char *mark = quoting == in_double_quotes ? "\"" : "";
    if (quoting == in_single_quotes) {
        put_single_quoted(said, name);
    } else {
        said.put(mark);
        said.put(name);
        said.put(mark);
    }
    said.put(": ");
    said.put(why);
    said.put('\n');
    said.flush();
}

// Writes all of `data` to standard output, through short writes and
// interrupted calls.
// The most that one write may hand over: on Windows 7 and earlier, a write
// to the console comes out of a 64 KB heap that the console shares, and a
// larger one can fail, so that console programs write there in pieces.
size_t largest_write = sizeof buffer;

Outcome write_all(const char *data, size_t size)
{
    while (size > 0) {
        auto written = write(1, data, static_cast<unsigned>(size < largest_write ? size : largest_write));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EPIPE)
                return output_closed;
            report("write error", std::strerror(errno));
            return write_failed;
        }
        // Nothing written and no error: trying again would never end.
        if (written == 0) {
            report("write error", "the output takes no more");
            return write_failed;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return done;
}

// Whether alphabets other than the Latin one alone were given (-a), and
// the images of their texts, written a slice of the buffer at a time.
bool by_alphabets = false;
const size_t slice = size_t{64} * 1024;
char image[4 * slice];

// Writes the image, by the alphabets, of `have` bytes at the buffer's start;
// `last` ends the text. Moves what it left to the buffer's start, held to be
// given again before what is read next, and sets `*held` to its size.
Outcome write_image(alphabet_stream *stream, size_t have, bool last, size_t *held)
{
    size_t at = 0;
    size_t took = 1;
    while (at < have && took > 0) {
        const size_t piece = have - at < slice ? have - at : slice;
        size_t written = 0;
        took = alphabet_mirror(stream, buffer + at, piece, last && at + piece == have, image, &written);
        at += took;
        Outcome outcome = write_all(image, written);
        if (outcome != done)
            return outcome;
    }
    *held = have - at;
    std::memmove(buffer, buffer + at, *held);
    return done;
}

// Writes the Atbash image of everything that can be read from `input`: by
// atbash(), or by the alphabets, a character cut off at the buffer's end
// waiting for the rest.
Outcome convert(int input, const char *name)
{
    size_t held = 0;
    alphabet_stream stream{};  // each FILE starts afresh: its image stands alone
    for (;;) {
        const long got = read(input, buffer + held, sizeof buffer - held);
        if (got < 0 && errno == EINTR)
            continue;
        // What was held is written as it stands before an error is told.
        const int error = errno;
        const size_t have = held + static_cast<size_t>(got > 0 ? got : 0);
        if (!by_alphabets)
            atbash(buffer, static_cast<int>(have));
        const Outcome outcome = by_alphabets ? write_image(&stream, have, got <= 0, &held) : write_all(buffer, have);
        if (outcome != done)
            return outcome;
        if (got < 0) {
            report_file(name, std::strerror(error));
            return read_failed;
        }
        if (got == 0)
            return done;
    }
}

// Whether reading `input` would read back what is written: the output is
// a regular file, and the input is that same file, not yet read to its end
// (as `atbash f >> f`, which would otherwise grow f until the disk is full).
// On Linux, as cat does since coreutils 9.6, only where the output is
// appended to or reading would fall behind writing: `atbash f 1<>f`
// rewrites f in place, as the output is exactly as long as the input.
bool is_output(int input)
{
#ifdef _WIN32
    HANDLE files[2] = {reinterpret_cast<HANDLE>(_get_osfhandle(input)), reinterpret_cast<HANDLE>(_get_osfhandle(1))};
    if (GetFileType(files[1]) != FILE_TYPE_DISK)
        return false;
    const long long position = _lseeki64(input, 0, SEEK_CUR);
    // The volume's serial number and the file's index name a file, Windows 2000 on.
    BY_HANDLE_FILE_INFORMATION by[2] = {};
    if (GetFileInformationByHandle(files[0], &by[0]) && GetFileInformationByHandle(files[1], &by[1]) &&
        by[0].dwVolumeSerialNumber && by[1].dwVolumeSerialNumber)
        return by[0].dwVolumeSerialNumber == by[1].dwVolumeSerialNumber &&
               by[0].nFileIndexHigh == by[1].nFileIndexHigh && by[0].nFileIndexLow == by[1].nFileIndexLow &&
               position < (static_cast<long long>(by[0].nFileSizeHigh) << 32 | by[0].nFileSizeLow);
    // Wine tells neither for a Unix file given as standard input or output,
    // nor a volume (0) for one off its drives' file systems, but their IDs
    // and times, as Windows 8 on does (looked up by name, for Windows 2000).
    // Two files on two file systems may share an ID: where a volume is
    // unknown, the same times, to 100 ns, tell one file.
    using Query = BOOL(WINAPI *)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileInformationByHandleEx")));
    FILE_ID_INFO id[2] = {};
    FILE_BASIC_INFO times[2] = {};
    FILE_STANDARD_INFO size{};
    for (int i = 0; i < 2; ++i)
        if (!query || !query(files[i], FileIdInfo, &id[i], sizeof id[i]) ||
            !query(files[i], FileBasicInfo, &times[i], sizeof times[i]) ||
            !query(files[0], FileStandardInfo, &size, sizeof size))
            return false;
    const bool same_times = std::memcmp(&times[0], &times[1], offsetof(FILE_BASIC_INFO, FileAttributes)) == 0;
    return std::memcmp(&id[0].FileId, &id[1].FileId, sizeof id[0].FileId) == 0 &&
           (id[0].VolumeSerialNumber && id[1].VolumeSerialNumber ? id[0].VolumeSerialNumber == id[1].VolumeSerialNumber
                                                                 : same_times) &&
           position < size.EndOfFile.QuadPart;
#else
    struct stat in = {};
    struct stat out = {};
    if (fstat(1, &out) != 0 || !S_ISREG(out.st_mode) || fstat(input, &in) != 0)
        return false;
    const off_t reading = lseek(input, 0, SEEK_CUR);
    if (in.st_dev != out.st_dev || in.st_ino != out.st_ino || reading >= in.st_size)
        return false;
    // An image that may grow would overtake the reading.
    if (by_alphabets && !alphabet_keeps_lengths())
        return true;
    const int flags = fcntl(1, F_GETFL);
    return flags < 0 || (flags & O_APPEND) != 0 || lseek(1, 0, SEEK_CUR) > reading;
#endif
}

// Grows the pipe that `fd` may be to 1 MiB, where the system allows it: the
// program at its other end and this one then wait on each other a quarter
// as often (bench/compare.sh). Anything else is left as it is.
void widen_pipe(int fd)
{
#ifdef F_SETPIPE_SZ
    const int wide = 1 << 20;
    int size = fcntl(fd, F_GETPIPE_SZ);
    if (size > 0 && size < wide)
        static_cast<void>(fcntl(fd, F_SETPIPE_SZ, wide));
#else
    static_cast<void>(fd);
#endif
}

#ifdef _WIN32
// The arguments as Windows gives them, in UTF-16, and the same in UTF-8,
// which the options are read from: a file is opened by its UTF-16 name, and
// its name converted only to be printed, so that no best-fit mapping of the
// ANSI code page turns a name into another (Ελλάδα.txt into ????da.txt) or
// into an option (a full-width hyphen into -).
wchar_t **wide_args;
int arg_count;
char *utf8_args[32768];
char utf8_pool[4 * 32768];

int open_input(const char *name)
{
    for (int i = 0; i < arg_count; ++i)
        if (utf8_args[i] == name)
            return _wopen(wide_args[i], _O_RDONLY | _O_BINARY);
    return -1;
}

// A name, UTF-8, as the console and the ANSI code page show it, '?' for
// what they lack.
const char *printed(const char *name)
{
    static wchar_t wide[32768];
    static char shown[2 * 32768];
    if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 32768) &&
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, shown, sizeof shown, "?", nullptr))
        return shown;
    return name;
}
#else
int open_input(const char *name)
{
    return open(name, O_RDONLY);
}

const char *printed(const char *name)
{
    return name;
}
#endif

// Writes the Atbash image of standard input (`-`) or of the file `given`.
Outcome convert_file(const char *given)
{
    const bool standard_input = std::strcmp(given, "-") == 0;
    if (standard_input)
        widen_pipe(0);
    int input = standard_input ? 0 : open_input(given);
    const char *name = printed(given);
    if (input < 0) {
        report_file(name, std::strerror(errno));
        return read_failed;
    }
    Outcome outcome = read_failed;
    if (is_output(input))
        report_file(name, "input file is output file");
    else
        outcome = convert(input, name);
    if (!standard_input)
        close(input);
    return outcome;
}

// Prints a text for --help or --version; a failed write fails the program.
int print(const char *text)
{
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        report("write error", std::strerror(errno));
        return 1;
    }
    return 0;
}

// Says, as coreutils does and with its status, that `arg` is no option, or
// (`missing`) lacks its argument.
int unknown_option(const char *arg, bool missing = false)
{
    if (arg[1] == '-')
        static_cast<void>(
            std::fprintf(stderr,
                         missing ? "atbash: option '%s' requires an argument\n" : "atbash: unrecognized option '%s'\n",
                         arg));
    else
        static_cast<void>(
            std::fprintf(stderr,
                         missing ? "atbash: option requires an argument -- '%c'\n" : "atbash: invalid option -- '%c'\n",
                         arg[1]));
    static_cast<void>(std::fputs("Try 'atbash --help' for more information.\n", stderr));
    return 1;
}

// Where an option's argument stood: struck out, as no FILE.
char struck[] = "";

// The alphabet that the option at argv[*i] names, as -a NAME, -aNAME,
// --alphabet=NAME or --alphabet NAME (whose NAME is then struck out); the
// option itself where it is none of these; nullptr where NAME is missing.
const char *alphabet_option(char **argv, int argc, int *i)
{
    const char *arg = argv[*i];
    const char *long_form = "--alphabet";
    const size_t long_length = std::strlen(long_form);
    const char *name = arg;
    if (std::strncmp(arg, "-a", 2) == 0 && arg[2] != '\0')
        name = arg + 2;
    else if (std::strncmp(arg, long_form, long_length) == 0 && arg[long_length] == '=')
        name = arg + long_length + 1;
    else if (std::strcmp(arg, "-a") == 0 || std::strcmp(arg, long_form) == 0)
        name = *i + 1 < argc ? argv[++*i] : nullptr;
    if (name && name != arg && argv[*i] == name)
        argv[*i] = struck;
    return name;
}

// Reads the options, which are then struck out, and counts in `*files`
// what remains: the FILEs. Returns the program's status where an option
// ends it (help, version, a fault), else -1.
int read_options(int argc, char **argv, int *files)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--") == 0) {
            argv[i] = nullptr;
            *files += argc - i - 1;
            break;
        }
        if (arg[0] != '-' || arg[1] == '\0') {
            ++*files;
            continue;
        }
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0)
            return print(usage_text);
        if (std::strcmp(arg, "--version") == 0)
            return print("atbash " QUINDARELVOXEN_VERSION "\n");
        const char *name = alphabet_option(argv, argc, &i);
        if (!name)
            return unknown_option(arg, true);
        if (name == arg)
            return unknown_option(arg);
        if (const char *why = alphabet_add(name)) {
            report_file(printed(name), why, "alphabet ");
            return 1;
        }
        by_alphabets = !alphabet_is_latin();
    }
    return -1;
}

}  // namespace

static int run(int argc, char **argv)
{
#ifdef _WIN32
    // Every byte passes: no CR LF translation, no end of file at 0x1A.
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(1))) == FILE_TYPE_CHAR)
        largest_write = 32 * 1024;
#else
    static_cast<void>(std::setlocale(LC_CTYPE, ""));  // names are shown as the locale shows them, as cat does
#endif
    widen_pipe(1);
    int files = 0;
    const int status_of_options = read_options(argc, argv, &files);
    if (status_of_options >= 0)
        return status_of_options;

    // Without a standard output, an input file opened now would take its
    // place; say what cat says.
    struct stat output = {};
    if (fstat(1, &output) != 0) {
        report("standard output", std::strerror(errno));
        return 1;
    }
    if (files == 0)
        return convert_file("-") == done ? 0 : 1;
    int status = 0;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        if (!argv[i]) {
            options = false;
            continue;
        }
        if (argv[i] == struck)
            continue;
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

#ifdef _WIN32
int wmain(int argc, wchar_t **argv)
{
    wide_args = argv;
    arg_count = argc < 32768 ? argc : 32767;
    char *next = utf8_pool;
    for (int i = 0; i < arg_count; ++i) {
        int size = WideCharToMultiByte(
            CP_UTF8, 0, argv[i], -1, next, static_cast<int>(utf8_pool + sizeof utf8_pool - next), nullptr, nullptr);
        if (size <= 0)
            return 1;
        utf8_args[i] = next;
        next += size;
    }
    return run(argc, utf8_args);
}
#else
int main(int argc, char **argv)
{
    return run(argc, argv);
}
#endif
