// Resource identifiers shared by the resource script and the program.
#pragma once

#define IDI_VEILORA 1

#define IDD_PASSWORD_PROMPT 100
#define IDC_PROMPT_TEXT 101
#define IDC_PASSWORD 102
