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

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Options dialog (options.rc). The zone boxes follow the order of Options::zones.
#define IDD_OPTIONS 200
#define IDC_OPT_SHOW_CAPTURE 201
#define IDC_OPT_MINIMIZE 202
#define IDC_OPT_MUTE 203
#define IDC_OPT_CAPTURE 204
#define IDC_OPT_TRAY_NORMAL 205
#define IDC_OPT_TRAY_INVISIBLE 206
#define IDC_OPT_START_WINDOWS 207
#define IDC_OPT_START_ENABLED 208
#define IDC_OPT_ZONE_LEFT 210
#define IDC_OPT_ZONE_RIGHT 211
#define IDC_OPT_ZONE_TOP 212
#define IDC_OPT_ZONE_BOTTOM 213
#define IDC_OPT_ZONE_TOP_RIGHT 214
#define IDC_OPT_ZONE_BOTTOM_LEFT 215
#define IDC_OPT_ZONE_BOTTOM_RIGHT 216
#define IDC_OPT_ZONE_TOP_LEFT 217
#define IDC_OPT_WHEEL 220
#define IDC_OPT_MIDDLE 221
#define IDC_OPT_BOTH 222
#define IDC_OPT_PW_COVER 223
#define IDC_OPT_PW_OPTIONS 224
#define IDC_OPT_PASSWORD 225
#define IDC_OPT_HELP 226
#define IDC_OPT_RESTORE_WINDOWS 227
#define IDC_OPT_HIDE_KEY 228
#define IDC_OPT_TOGGLE_KEY 229

// Set Password and Change Password (passwords.rc).
#define IDD_SET_PASSWORD 300
#define IDD_CHANGE_PASSWORD 301
#define IDC_PW_OLD 310
#define IDC_PW_NEW 311
#define IDC_PW_REPEAT 312

// About box (about.rc).
#define IDD_ABOUT 400
#define IDC_ABOUT_LOGO 401
#define IDC_ABOUT_NOTICE 402
#define IDC_ABOUT_VERSION 403
#define IDC_ABOUT_COPYRIGHT 404
#define IDC_ABOUT_WEB 405
#define IDC_ABOUT_MAIL 406
#define IDB_ABOUT_LOGO 410

// Capture (res/capture.rc)
#define IDD_CAPTURE_DEPTH 500
#define IDC_CAPTURE_TEXT 501
#define IDC_CAPTURE_256 502
#define IDC_CAPTURE_TRUE_COLOUR 503
