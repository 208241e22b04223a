// The menu's commands, the Render menu's check mark, and the two modal
// dialogs the commands open.
#pragma once

#include "device/render_device.h"
#include "platform/core/win32.h"

#include <cstdint>

// WM_COMMAND from the menu: the command id (low word of wParam).
void handleMenuCommand(UINT commandId);

// Moves the Render menu's check mark to `mode` and sets the device's
// render mode.
void selectRenderMode(RenderDevice& device, std::uint32_t mode);

// Runs the colour dialog on a copy of `color` and returns the copy as the
// dialog left it (the dialog has no cancel path).
Color3 runColorDialog(Color3 color);

INT_PTR CALLBACK colorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The colour dialog's reading of a field's text: at most its first three
// characters, parsed as a decimal integer (leading blanks and a sign
// allowed, 0 when there are no digits) and clamped to 0..255.
int readColorField(HWND dialog, int controlId);
