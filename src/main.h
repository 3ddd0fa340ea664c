#ifndef QUINDARELVOXEN_MAIN_H
#define QUINDARELVOXEN_MAIN_H

#include <windows.h>

/* Identifier of the timer that drives the caption, started when the dialog
 * opens and stopped when it closes. */
extern int idtimer;

INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
