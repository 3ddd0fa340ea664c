/* Identifiers shared by the resource script and the program. */
#ifndef QUINDARELVOXEN_RESOURCE_H
#define QUINDARELVOXEN_RESOURCE_H

#define IDD_MAIN 103

#define IDI_MAIN 102

#define IDC_ABOUT  5
#define IDC_QUIT   6
#define IDC_INPUT  1000
#define IDC_OUTPUT 1001

/* The dialog's caption, which the running program then animates. */
#define APP_CAPTION "Quindarelvoxen by Torvangrel"

#endif
