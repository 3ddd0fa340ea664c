#include <windows.h>

#include "atbash.h"
#include "main.h"
#include "resource.h"

int idtimer = 1234;

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
    atbash(buffer, lstrlenA(buffer));
    SetDlgItemTextA(dialog, IDC_OUTPUT, buffer);
}

static void init_dialog(HWND dialog)
{
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetTimer(dialog, idtimer, 500, nullptr);
}

/* Every message falls through to the dialog manager's own handling, so the
 * procedure answers FALSE throughout. */
INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
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
        }
        return FALSE;
    case WM_CLOSE:
        KillTimer(dialog, idtimer);
        EndDialog(dialog, 0);
        return FALSE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, DlgProc, 0);
    /* -1: the dialog could not be made, so nothing was shown. */
    return result == -1 ? 1 : 0;
}
