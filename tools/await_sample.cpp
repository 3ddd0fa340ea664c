// Waits, for tools/screenshot, until the running program is in the state that
// its picture is to show, asking its windows from this second process:
//
//   await_sample shown SECONDS TEXT   the input box holds TEXT, the output box
//                                     its Atbash image, the caption is part-way
//                                     through a sweep (and stays so for a
//                                     second more), and all is painted; prints
//                                     the caption's step in its cycle (0-55)
//   await_sample close SECONDS        the dialog is up and idle; it is then
//                                     sent WM_CLOSE (the signing test's use)
//
// Exits with 0 once the state holds; after SECONDS without it, with 1 and one
// line that says what the program shows instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "helpers.h"

namespace {

const int caption_length = sizeof APP_CAPTION - 1;

// The state seen, and what is wrong with it: nothing where it is as wanted.
struct Seen {
    std::string input;
    std::string output;
    std::string caption;
    const char *wrong;
};

Seen look(const char *mode, const char *sample)
{
    Seen seen{};
    HWND dialog = find_dialog(0);
    if (!dialog || caption_step(text_of(dialog)) < 0) {
        seen.wrong = "no dialog of the program is shown";
        return seen;
    }
    // The program has handled what was sent to it before.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) {
        seen.wrong = "the program does not answer";
        return seen;
    }
    seen.input = text_of(GetDlgItem(dialog, IDC_INPUT));
    seen.output = text_of(GetDlgItem(dialog, IDC_OUTPUT));
    seen.caption = text_of(dialog);
    if (std::strcmp(mode, "close") == 0) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return seen;
    }
    int step = caption_step(seen.caption) % caption_length;
    if (seen.input != sample || seen.output != mirrored(sample))
        seen.wrong = "the sample is not shown whole";
    else if (step < 1 || step > caption_length - 3)
        seen.wrong = "the caption is at the end of a sweep";
    else
        // Painted now, frame and children too, before the picture is taken.
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return seen;
}

}  // namespace

int main(int argc, char **argv)
{
    const bool shown = argc == 4 && std::strcmp(argv[1], "shown") == 0;
    if (!shown && (argc != 3 || std::strcmp(argv[1], "close") != 0)) {
        (void)std::fputs("usage: await_sample close SECONDS, or await_sample shown SECONDS TEXT\n", stderr);
        return 2;
    }
    char *end = nullptr;
    const unsigned long seconds = std::strtoul(argv[2], &end, 10);
    if (end == argv[2] || *end || seconds > 3600) {
        (void)std::fprintf(stderr, "await_sample: \"%s\" is no number of seconds up to 3600\n", argv[2]);
        return 2;
    }
    const DWORD limit = static_cast<DWORD>(seconds) * 1000;
    const char *sample = argc > 3 ? argv[3] : "";
    Seen seen{};
    const DWORD start = GetTickCount();
    for (;; Sleep(100)) {
        seen = look(argv[1], sample);
        if (!seen.wrong) {
            if (shown)
                (void)std::printf("%d\n", caption_step(seen.caption));
            return 0;
        }
        if (GetTickCount() - start >= limit)
            break;
    }
    (void)std::fprintf(stderr,
                       "%s after %s seconds: input \"%s\", output \"%s\", caption \"%s\"\n",
                       seen.wrong,
                       argv[2],
                       seen.input.c_str(),
                       seen.output.c_str(),
                       seen.caption.c_str());
    return 1;
}
