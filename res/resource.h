// Resource identifiers shared by the resource script and the program.
//
// Each subsystem keeps its dialogs in a script of its own (res/<subsystem>.rc, included at
// the end of veilora.rc) with identifiers in its own range:
//   100-199 the program and the password prompt (here)
//   200-299 options            300-399 passwords        400-499 about
//   500-599 capture            600-799 windows          800-899 sound
#pragma once

#define IDI_VEILORA 1

#define IDD_PASSWORD_PROMPT 100
#define IDC_PROMPT_TEXT 101
#define IDC_PASSWORD 102

// Capture (res/capture.rc)
#define IDD_CAPTURE_DEPTH 500
#define IDC_CAPTURE_TEXT 501
#define IDC_CAPTURE_256 502
#define IDC_CAPTURE_TRUE_COLOUR 503
