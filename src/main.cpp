#include <windows.h>

#include "atbash.h"
#include "main.h"
#include "resource.h"

int idtimer = 1234;

/* The caption as it stands, run through the cipher one character per tick,
 * and the index of the next character to turn. */
char temp_titel[29] = APP_CAPTION;
signed char titel_pos = 0;
static_assert(sizeof APP_CAPTION == sizeof temp_titel, "the caption animation walks 28 characters");

static const char about_text[] =
    "Quindarelvoxen\n"
    "Encrypts/Decrypts Atbash-crypted texts\n"
    "Written by Torvangrel, 2026";

/* Shows in the output box the Atbash image of the first 1,023 characters of
 * the input box. */
static void convert(HWND dialog)
{
    char buffer[1024] = {};
    GetDlgItemTextA(dialog, IDC_INPUT, buffer, sizeof buffer);
    // The buffer is zeroed and the copy always ends in a NUL, within the buffer.
    // cppcheck-suppress lstrlenACalled
    atbash(buffer, lstrlenA(buffer));
    SetDlgItemTextA(dialog, IDC_OUTPUT, buffer);
}

/* Turns the next character of the caption, advances to the one after it
 * (from the last back to the first) and shows the whole caption. */
static void step_caption(HWND dialog)
{
    atbash(&temp_titel[titel_pos], 1);
    if (titel_pos > 26)
        titel_pos = 0;
    else
        ++titel_pos;
    SetWindowTextA(dialog, temp_titel);
}

static void init_dialog(HWND dialog)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetTimer(dialog, idtimer, 500, nullptr);
}

/* Every message falls through to the dialog manager's own handling, so the
 * procedure answers FALSE throughout. */
INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        init_dialog(dialog);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ABOUT:
            MessageBoxA(dialog, about_text, "About", MB_OK);
            return FALSE;
        case IDC_QUIT:
            SendMessageA(dialog, WM_CLOSE, 0, 0);
            return FALSE;
        case IDC_INPUT:
            convert(dialog);
            return FALSE;
        default:
            return FALSE;
        }
    case WM_TIMER:
        step_caption(dialog);
        return FALSE;
    case WM_CLOSE:
        KillTimer(dialog, idtimer);
        EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/)
{
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, DlgProc, 0);
    /* -1: the dialog could not be made, so nothing was shown. */
    return result == -1 ? 1 : 0;
}
