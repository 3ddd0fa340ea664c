// DlgProc on live dialogs made from the real template, in this process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "helpers.h"
#include "main.h"

namespace {

// A modeless dialog from the program's template, driven by DlgProc.
struct Dialog : ::testing::Test {
    void SetUp() override
    {
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, DlgProc, 0);
        ASSERT_NE(dialog, nullptr);
        input = GetDlgItem(dialog, IDC_INPUT);
        output = GetDlgItem(dialog, IDC_OUTPUT);
    }
    void TearDown() override { DestroyWindow(dialog); }

    // Puts text into the input box without the box reporting it.
    void set_input(const std::string &text) const { SetWindowTextA(input, text.c_str()); }
    void notify(WORD id, WORD code) const { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), 0); }

    HWND dialog = nullptr;
    HWND input = nullptr;
    HWND output = nullptr;
};

TEST_F(Dialog, EveryNotificationFromTheInputBoxConverts)
{
    const struct {
        WORD code;
        const char *input;
        const char *output;
    } cases[] = {
        {EN_CHANGE, "Hello", "Svool"},
        {EN_UPDATE, "Hello, World!", "Svool, Dliow!"},
        {EN_SETFOCUS, "abc", "zyx"},
        {EN_KILLFOCUS, "Zebra 42", "Avyiz 42"},
        {EN_MAXTEXT, "two\r\nlines", "gdl\r\normvh"},
        {EN_VSCROLL, "\xC4pfel", "\xC4kuvo"},
        {EN_HSCROLL, "Mn", "Nm"},
        {0x7777, "any code", "zmb xlwv"},
        {EN_CHANGE, "", ""},
    };
    for (const auto &c : cases) {
        set_input(c.input);
        notify(IDC_INPUT, c.code);
        EXPECT_EQ(text_of(output), c.output) << "notification " << c.code;
    }
}

TEST_F(Dialog, ConvertsTheFirst1023CharactersOnly)
{
    // Lines of 16 characters: position 1022 holds a CR, 1023 its LF.
    std::string text;
    while (text.size() < 5000)
        text += "abcdefghijklmn\r\n";
    ASSERT_EQ(text.substr(1021, 3), "n\r\n");
    const struct {
        size_t length, converted;
    } cases[] = {{0, 0}, {1, 1}, {1022, 1022}, {1023, 1023}, {1024, 1023}, {5000, 1023}};
    for (const auto &c : cases) {
        set_input(text.substr(0, c.length));
        notify(IDC_INPUT, EN_CHANGE);
        EXPECT_EQ(text_of(output), mirrored(text.substr(0, c.converted))) << "length " << c.length;
    }
}

TEST_F(Dialog, OtherCommandsChangeNothing)
{
    set_input("abc");
    notify(IDC_INPUT, EN_CHANGE);
    set_input("changed without notice");
    for (WORD id : {WORD(IDOK), WORD(IDCANCEL), WORD(IDC_OUTPUT), WORD(7), WORD(0)})
        for (WORD code : {WORD(BN_CLICKED), WORD(EN_CHANGE)}) {
            notify(id, code);
            EXPECT_EQ(text_of(output), "zyx") << "command " << id;
            EXPECT_EQ(text_of(input), "changed without notice") << "command " << id;
            EXPECT_EQ(text_of(dialog), APP_CAPTION) << "command " << id;
        }
    // Still open: the caption timer still runs.
    EXPECT_TRUE(KillTimer(dialog, idtimer));
}

TEST_F(Dialog, OpensWithTheProgramIconAndTheTimer)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(text_of(dialog), APP_CAPTION);
    EXPECT_EQ(text_of(input), "");
    EXPECT_EQ(text_of(output), "");
    EXPECT_TRUE(KillTimer(dialog, idtimer));
}

TEST_F(Dialog, ItsTimerTicksEveryHalfSecond)
{
    // Ten periods from the first tick to the eleventh, timed where the ticks arrive, in this process; a tick comes
    // late under load, but the next keeps the pace, so the whole span is off by one tick's delay at most.
    std::vector<DWORD> ticks;  // when each arrived
    MSG message;
    for (DWORD start = GetTickCount(); ticks.size() < 11 && GetTickCount() - start < 15000;) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0)
            break;
        if (message.message == WM_TIMER && message.hwnd == dialog && message.wParam == UINT_PTR(idtimer))
            ticks.push_back(GetTickCount());
        DispatchMessageA(&message);
    }
    ASSERT_EQ(ticks.size(), 11U) << "ticks in 15 seconds";
    EXPECT_NEAR((ticks.back() - ticks.front()) / 10.0, 500, 25) << "milliseconds per tick";
}

// The caption as the program starts with it, read before any dialog ran.
const std::string initial_titel = temp_titel;
const int initial_pos = static_cast<unsigned char>(titel_pos);

// Counts the captions set on a window.
int captions_set;
WNDPROC dialog_class_procedure;
LRESULT CALLBACK count_captions(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        ++captions_set;
    return CallWindowProcA(dialog_class_procedure, window, message, wParam, lParam);
}

struct Caption : Dialog {
    void SetUp() override
    {
        Dialog::SetUp();
        KillTimer(dialog, idtimer);  // only the test's own ticks count
        std::memcpy(temp_titel, APP_CAPTION, sizeof temp_titel);
        titel_pos = 0;
        captions_set = 0;
        dialog_class_procedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(count_captions)));
    }
    void tick(WPARAM timer = 1234) { SendMessageA(dialog, WM_TIMER, timer, 0); }
};

TEST(CaptionState, StartsWithTheTemplateCaption)
{
    EXPECT_EQ(initial_titel, APP_CAPTION);
    EXPECT_EQ(initial_pos, 0);
}

TEST_F(Caption, FollowsTheTimeline)
{
    const struct {
        int ticks;
        const char *caption;
        int pos;
    } timeline[] = {
        {1, "Juindarelvoxen by Torvangrel", 1},
        {2, "Jfindarelvoxen by Torvangrel", 2},
        {14, "Jfrmwzivoelcvm by Torvangrel", 14},
        {15, "Jfrmwzivoelcvm by Torvangrel", 15},  // the blank turned: the caption unchanged, yet set again
        {27, "Jfrmwzivoelcvm yb Gliezmtivl", 27},
        {28, "Jfrmwzivoelcvm yb Gliezmtivo", 0},
        {29, "Qfrmwzivoelcvm yb Gliezmtivo", 1},
        {55, "Quindarelvoxen by Torvangreo", 27},
        {56, "Quindarelvoxen by Torvangrel", 0},
        {57, "Juindarelvoxen by Torvangrel", 1},
        // 10,000 is 178 cycles and 32 ticks: the first four turned back.
        {10000, "Quinwzivoelcvm yb Gliezmtivo", 4},
    };
    int ticks = 0;
    for (const auto &row : timeline) {
        for (; ticks < row.ticks; ++ticks) {
            tick();
            ASSERT_TRUE(titel_pos >= 0 && titel_pos <= 27) << "after " << ticks + 1 << " ticks";
        }
        EXPECT_STREQ(temp_titel, row.caption) << "after " << row.ticks << " ticks";
        EXPECT_EQ(text_of(dialog), row.caption) << "after " << row.ticks << " ticks";
        EXPECT_EQ(titel_pos, row.pos) << "after " << row.ticks << " ticks";
        EXPECT_EQ(captions_set, row.ticks);
    }
    EXPECT_EQ(temp_titel[28], '\0');
}

TEST_F(Caption, EveryTickSetsTheCaptionWhateverItsTimer)
{
    for (WPARAM timer : {1234U, 0U, 1U, 4321U, 0xffffU})
        tick(timer);
    EXPECT_EQ(titel_pos, 5);
    EXPECT_EQ(captions_set, 5);
}

// Once WinMain's message loop shows the dialog, closes it as every way of closing does (WM_CLOSE; the black-box test
// closes it in each way), and notes whether its timer still ran afterwards.
bool dialog_seen;
BOOL timer_still_ran;
int looks;

void CALLBACK close_once_shown(HWND /*window*/, UINT /*message*/, UINT_PTR id, DWORD /*time*/)
{
    // The loop shows the dialog a moment after it starts.
    HWND dialog = find_dialog(GetCurrentProcessId());
    if (!dialog && ++looks < 100)
        return;
    KillTimer(nullptr, id);
    dialog_seen = dialog != nullptr;
    if (!dialog)
        return;
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    timer_still_ran = KillTimer(dialog, idtimer);
}

TEST(ModalDialog, WinMainStopsTheTimerAndReturnsZeroWhenClosedAndOneWhenThereIsNoDialog)
{
    const struct {
        HMODULE module;
        int status;
        bool shown;
    } cases[] = {
        {GetModuleHandleA(nullptr), 0, true},
        {GetModuleHandleA("kernel32.dll"), 1, false},  // without the dialog template: nothing can be shown
    };
    for (const auto &c : cases) {
        dialog_seen = false;
        timer_still_ran = FALSE;
        looks = 0;
        const UINT_PTR closer = SetTimer(nullptr, 0, 10, close_once_shown);
        // WinMain takes its command line as writable.
        // cppcheck-suppress constVariable
        char arguments[] = "--ignored /x y";
        EXPECT_EQ(WinMain(c.module, nullptr, arguments, SW_SHOWNORMAL), c.status);
        EXPECT_EQ(dialog_seen, c.shown);
        EXPECT_FALSE(timer_still_ran) << "the timer still ran after closing";
        KillTimer(nullptr, closer);
    }
}

}  // namespace
