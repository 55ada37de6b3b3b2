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

// Window management (res/windows.rc)
#define IDD_WINDOW_MANAGEMENT 600
#define IDC_WM_FRAME 601
#define IDC_WM_LIST 602
#define IDC_WM_CLOSE_SELECTED 603
#define IDC_WM_MINIMIZE_SELECTED 604

#define IDD_END_PROGRAM 620
#define IDC_EP_ICON 621
#define IDC_EP_PROMPT 622
#define IDC_EP_CANCEL_HINT 623
#define IDC_EP_WARNING 624
#define IDC_EP_PROGRESS 625
#define IDC_EP_END_NOW 626

// Sound (res/sound.rc)
#define IDD_VOLUME 800
#define IDC_VOLUME_LABEL 801
#define IDC_VOLUME_VALUE 802
#define IDC_VOLUME_SLIDER 803
