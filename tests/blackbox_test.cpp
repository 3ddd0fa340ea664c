// The real program started as a process of its own and driven from this one,
// through the messages that keyboard and mouse would bring it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "helpers.h"

namespace {

std::string program_path;

template <typename Condition> bool eventually(Condition condition, DWORD timeout_ms = 10000)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeout_ms; Sleep(20))
        if (condition())
            return true;
    return condition();
}

HWND focus_of(DWORD thread)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void post_key(HWND window, UINT vk, bool alt = false)
{
    // Repeat count 1; the context bit for Alt; on release, the previous-state and transition bits.
    const LPARAM flags = alt ? (1 << 29) : 0;
    const LPARAM released = static_cast<LPARAM>(3UL << 30);
    PostMessageA(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | flags);
    PostMessageA(window, alt ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | flags | released);
}

// One instance of the program: its process and, once shown, its dialog's windows.
// One still running at the end is ended.
struct Instance {
    Instance() = default;
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;
    ~Instance()
    {
        if (!process.hProcess)
            return;
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    bool start(const std::string &exe, const std::string &arguments = "")
    {
        std::string command = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        return CreateProcessA(
            exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    }

    // Waits for the dialog to be shown, and finds its boxes.
    bool shown()
    {
        if (!eventually([&] { return (dialog = find_dialog(process.dwProcessId)) != nullptr; }))
            return false;
        input = GetDlgItem(dialog, IDC_INPUT);
        output = GetDlgItem(dialog, IDC_OUTPUT);
        return true;
    }

    PROCESS_INFORMATION process{};
    HWND dialog = nullptr;
    HWND input = nullptr;
    HWND output = nullptr;
};

struct Program : ::testing::Test, Instance {
    // Starts the program and waits until its input box has the focus.
    void open(const std::string &arguments = "")
    {
        ASSERT_TRUE(start(program_path, arguments)) << program_path;
        ASSERT_TRUE(shown()) << "the dialog did not appear";
        ASSERT_TRUE(eventually([&] { return focus_of(process.dwThreadId) == input; }))
            << "the input box did not get the focus";
    }
};

TEST_F(Program, UpdatesTheOutputAfterEveryKey)
{
    open("--some arguments \"that are\" /ignored");
    // "Hello, World!" typed, then its last eight characters deleted.
    std::string typed;
    for (char key : "Hello, World!" + std::string(8, VK_BACK)) {
        PostMessageA(input, WM_CHAR, static_cast<unsigned char>(key), 1);
        if (key == VK_BACK)
            typed.pop_back();
        else
            typed += key;
        EXPECT_TRUE(eventually([&] { return text_of(output) == mirrored(typed); }))
            << "with \"" << typed << "\" in the input box the output is \"" << text_of(output) << "\"";
    }
    EXPECT_EQ(text_of(output), "Svool");
}

TEST_F(Program, ConvertsTheFirst1023CharactersOfAPastedText)
{
    open();
    std::string text;
    for (int line = 0; text.size() < 5000; ++line)
        text += "Line " + std::to_string(line) + ": The quick brown fox jumps over the lazy dog.\r\n";
    text.resize(5000);

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();

    PostMessageA(input, WM_PASTE, 0, 0);
    std::string expected = mirrored(text.substr(0, 1023));
    EXPECT_TRUE(eventually([&] { return text_of(output) == expected; }))
        << "the output holds " << text_of(output).size() << " characters";
    EXPECT_EQ(text_of(input), text);
}

TEST_F(Program, EnterOpensTheAboutBoxAndInsertsNothing)
{
    open();
    post_key(input, VK_RETURN);
    HWND about = nullptr;
    ASSERT_TRUE(eventually([&] { return (about = find_dialog(process.dwProcessId, "About")) != nullptr; }))
        << "no About box";
    // Modal to the dialog: owned by it, which is disabled meanwhile.
    EXPECT_EQ(GetWindow(about, GW_OWNER), dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog));

    std::string message;
    std::string buttons;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "Button")
            buttons += text_of(child) + ";";
        else if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            EXPECT_EQ(SendMessageA(child, STM_GETICON, 0, 0), 0) << "the About box shows an icon";
        else if (!text_of(child).empty())
            message = text_of(child);
    }
    EXPECT_EQ(buttons, "OK;");
    const std::string intro = "Quindarelvoxen\nEncrypts/Decrypts Atbash-crypted texts\n";
    ASSERT_EQ(message.substr(0, intro.size()), intro) << message;
    std::string credit = message.substr(intro.size());
    EXPECT_EQ(credit.find('\n'), std::string::npos) << "more than three lines: " << message;
    EXPECT_NE(credit.find("Torvangrel"), std::string::npos) << credit;
    EXPECT_NE(credit.find("20"), std::string::npos) << "no year: " << credit;

    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(eventually([&] { return !IsWindow(about); }));
    EXPECT_EQ(text_of(input), "");
    EXPECT_EQ(text_of(output), "");
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(Program, TabVisitsInputOutputAboutAndQuit)
{
    open();
    for (int id : {IDC_OUTPUT, IDC_ABOUT, IDC_QUIT, IDC_INPUT, IDC_OUTPUT}) {
        post_key(focus_of(process.dwThreadId), VK_TAB);
        HWND next = GetDlgItem(dialog, id);
        EXPECT_TRUE(eventually([&] { return focus_of(process.dwThreadId) == next; }))
            << "Tab did not move to control " << id;
    }
}

TEST_F(Program, EveryWayOfQuittingEndsWithStatusZero)
{
    const struct {
        const char *name;
        void (*quit)(HWND dialog, HWND input);
    } cases[] = {
        {"Beenden", [](HWND d, HWND) { PostMessageA(GetDlgItem(d, IDC_QUIT), BM_CLICK, 0, 0); }},
        {"close box", [](HWND d, HWND) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4", [](HWND, HWND i) { post_key(i, VK_F4, true); }},
        {"Escape in the input box", [](HWND, HWND i) { post_key(i, VK_ESCAPE); }},
        {"WM_CLOSE", [](HWND d, HWND) { PostMessageA(d, WM_CLOSE, 0, 0); }},
    };
    // All at once: each way works on its own program, wherever the focus is.
    Instance runs[std::size(cases)];
    for (Instance &run : runs)
        ASSERT_TRUE(run.start(program_path)) << program_path;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        ASSERT_TRUE(runs[i].shown()) << "the dialog did not appear";
        PostMessageA(runs[i].input, WM_CHAR, 'x', 1);
        cases[i].quit(runs[i].dialog, runs[i].input);
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        DWORD status = 1;
        EXPECT_EQ(WaitForSingleObject(runs[i].process.hProcess, 15000), WAIT_OBJECT_0) << cases[i].name << " ran on";
        EXPECT_TRUE(GetExitCodeProcess(runs[i].process.hProcess, &status));
        EXPECT_EQ(status, 0U) << cases[i].name;
    }
}

// Where `caption` stands in the animated caption's cycle of 56 steps, from
// the template's caption at 0, or -1 where it is none of them.
int caption_step(const std::string &caption)
{
    std::string expected = APP_CAPTION;
    const int length = static_cast<int>(expected.size());
    for (int step = 0; step < 2 * length; ++step) {
        if (caption == expected)
            return step;
        atbash(&expected[step % length], 1);
    }
    return -1;
}

// How often it turns is the dialog test's (its timer's period, timed in the process where the ticks arrive).
TEST_F(Program, CaptionTurnsOneCharacterAtATime)
{
    open();
    int last = -1;  // the step of the caption seen before
    int steps = 0;
    for (DWORD start = GetTickCount(); steps < 3 && GetTickCount() - start < 20000; Sleep(10)) {
        const std::string seen = text_of(dialog);
        const int at = caption_step(seen);
        ASSERT_GE(at, std::max(last, 0)) << "\"" << seen << "\" is not a later caption of the cycle than step " << last;
        if (last >= 0)
            steps += at - last;
        last = at;
    }
    EXPECT_GE(steps, 3) << "the caption took " << steps << " steps in 20 seconds";
}

}  // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    program_path = windows_paths(argc, argv, 1, "blackbox_test PROGRAM.exe")[0];
    return RUN_ALL_TESTS();
}
