// Resource names and ids: the menu, its commands, the dialog templates and
// their controls, and the icon; and the names the program shows: the main
// window's class and title and the message boxes' caption.
//
// Every name and text here is kept as the program has always spelled it:
// other tools, scripts and tests find the window, its menu, its dialogs and
// its message boxes by these exact texts.
#pragma once

// The main window's class and title.
inline constexpr char kWindowClassName[] = "Windows Re-use class";
inline constexpr char kWindowTitle[] = "Windows Application";

// The caption of every message box the program shows.
inline constexpr char kMessageCaption[] = "Application Message";

// The main window's menu and icon are named by strings.
inline constexpr char ORVANDEMENU[] = "ORVANDEMENU";
inline constexpr char ORVANDE_ICON[] = "ORVANDE_ICON";

// The dialog templates are numbered (load them with MAKEINTRESOURCEA), and
// their captions name them on screen.
inline constexpr int IDD_COLORDLG = 101;
inline constexpr int IDD_ORVANDEABOUT = 102;
inline constexpr char kColorDialogCaption[] = "Choose Color";
inline constexpr char kAboutDialogCaption[] = "About";

// Menu commands.
inline constexpr int IDM_ABOUT = 40002;
inline constexpr int IDM_EXIT = 40003;
inline constexpr int IDM_FLAT = 40004;
inline constexpr int IDM_GOURAUD = 40005;
inline constexpr int IDM_WIREFRAME = 40006;
inline constexpr int IDM_RESET = 40007;
inline constexpr int IDM_DIFFUSE_COLOR = 40008;
inline constexpr int IDM_AMBIENT_COLOR = 40009;
inline constexpr int IDM_OPEN = 40010;
inline constexpr int IDM_SAVE_IMAGE = 40011;
inline constexpr int IDM_FIT = 40012;
inline constexpr int IDM_MODEL_COLORS = 40013;
inline constexpr int IDM_CANCEL_LOADING = 40014;

// The colour dialog's three fields. Left to right on screen they read red,
// green, blue; in tab order green comes first.
inline constexpr int IDC_GREEN = 1000;
inline constexpr int IDC_RED = 1001;
inline constexpr int IDC_BLUE = 1002;

// Labels, the icon and the texts carry no id of their own.
inline constexpr int IDC_STATIC = -1;
