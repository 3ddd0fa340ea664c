#ifndef QUINDARELVOXEN_MAIN_H
#define QUINDARELVOXEN_MAIN_H

#include <windows.h>

/* Identifier of the timer that drives the caption, started when the dialog
 * opens and stopped when it closes. */
extern int idtimer;

/* The animated caption: its text, changed in place one character per timer
 * tick, and the index of the next character to change (0 to 27). */
extern char temp_titel[29];
extern signed char titel_pos;

INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
