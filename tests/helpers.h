// What the tests and the fuzzer share: the cipher's expected results and, on
// Windows, the paths that the build gives and how to look at the program's windows.
#ifndef QUINDARELVOXEN_HELPERS_H
#define QUINDARELVOXEN_HELPERS_H

#include <cstdlib>
#include <string>
#include <vector>

#include "alphabets.h"
#include "atbash.h"

// A byte's mirror image, by the alphabet's ranges rather than by the core's arithmetic.
inline int mirror_of(unsigned char b)
{
    if (b >= 'A' && b <= 'Z')
        return 'A' + 'Z' - b;
    if (b >= 'a' && b <= 'z')
        return 'a' + 'z' - b;
    return b;
}

// `text` through `loop`, atbash itself unless another is named.
// cppcheck-suppress passedByValue ; the copy is what gets mirrored and returned
inline std::string mirrored(std::string text, void (*loop)(char *, int) = atbash)
{
    loop(text.data(), static_cast<int>(text.size()));
    return text;
}

// The image of `text` by the alphabets added, through `way`, given in two calls cut at `cut`, as two reads would
// give it; what the first leaves must be the most that it may hold, else the process ends.
inline std::string alphabet_image(const std::string &text, size_t cut, const alphabet_way &way)
{
    std::vector<char> out((4 * text.size()) + 1);
    alphabet_stream stream{};
    size_t written = 0;
    const size_t took = way.mirror(&stream, text.data(), cut, false, out.data(), &written);
    if (took > cut || cut - took > alphabet_held)
        std::abort();
    std::string result(out.data(), written);
    const std::string rest = text.substr(took);
    way.mirror(&stream, rest.data(), rest.size(), true, out.data(), &written);
    return result.append(out.data(), written);
}

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "resource.h"

// The paths that the build gives a test after GoogleTest's options, in Windows' form: under Wine the build names
// them the Unix way, and Wine's drive Z: is the Unix root. Given other than `count`, the test ends with its usage.
inline std::vector<std::string> windows_paths(int argc, char **argv, int count, const char *usage)
{
    if (argc != count + 1) {
        (void)std::fprintf(stderr, "usage: %s\n", usage);
        std::exit(2);
    }
    std::vector<std::string> paths(argv + 1, argv + argc);
    for (std::string &path : paths) {
        if (!path.empty() && path[0] == '/')
            path.insert(0, "Z:");
        std::replace(path.begin(), path.end(), '/', '\\');
    }
    return paths;
}

// A window's text, also another process's: WM_GETTEXT, as GetWindowText would not ask another process's control.
inline std::string text_of(HWND window)
{
    static char buffer[16384];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(
            window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    return std::string(buffer, length);
}

// A shown dialog of `process` whose caption is `title`, or any where `title` is null; null where none is.
inline HWND find_dialog(DWORD process, const char *title = nullptr)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window) && (!title || text_of(window) == title))
            return window;
    }
    return nullptr;
}
#endif

#endif
