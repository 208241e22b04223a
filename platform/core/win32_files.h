// The platform's calls for choosing files: the common open-file and
// save-file dialogs and files dropped on a window, under their own names,
// types and constants.
//
// On the platform itself these are its common-dialog and shell headers,
// which the lean build of platform/core/win32.h leaves out. Everywhere else this
// header declares the same subset and our layer implements it
// (platform/core/files.cpp) over the backend: the desktop backend's file chooser
// and its drop events, the headless backend's scripted answers.
//
// Semantics the program relies on:
//  - GetOpenFileNameA runs a modal dialog over its owner and returns
//    nonzero with the chosen path in lpstrFile (nFileOffset and
//    nFileExtension set), or zero when the user cancelled or the path does
//    not fit nMaxFile (CommDlgExtendedError then says FNERR_BUFFERTOOSMALL,
//    and the first two bytes of lpstrFile hold the size needed).
//  - GetSaveFileNameA the same, with the path the user named (it need not
//    exist). lpstrFile holds the name the dialog suggests at first (a bare
//    name, or empty). A name without an extension gets lpstrDefExt (when
//    set) after a dot. With OFN_OVERWRITEPROMPT the dialog asks before it
//    returns the name of a file that exists (the backend's dialog does).
//  - A window that DragAcceptFiles(window, TRUE) gets WM_DROPFILES, posted,
//    when files are dropped on it; wParam is an HDROP that DragQueryFileA
//    reads (index 0xFFFFFFFF: the count; a null buffer: a name's length
//    without its terminator) and that DragFinish gives back.
#pragma once

#include "platform/core/win32.h"

#if defined(_WIN32)

// clang-format off
#include <commdlg.h>
#include <shellapi.h>
// clang-format on

#else

struct HDROP__;
typedef struct HDROP__* HDROP;

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter; // pairs of description and ';'-separated patterns, "\0\0" at the end
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex; // 1-based
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
typedef OPENFILENAMEA* LPOPENFILENAMEA;

#define WM_DROPFILES 0x0233

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000

#define FNERR_BUFFERTOOSMALL 0x3003

BOOL GetOpenFileNameA(LPOPENFILENAMEA openFileName);
BOOL GetSaveFileNameA(LPOPENFILENAMEA openFileName);
DWORD CommDlgExtendedError();

void DragAcceptFiles(HWND window, BOOL accept);
UINT DragQueryFileA(HDROP drop, UINT file, LPSTR buffer, UINT size);
void DragFinish(HDROP drop);

#endif // !_WIN32
