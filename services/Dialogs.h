// Message boxes and the folder browser, each one modal call.
#pragma once

#include <windows.h>

#include "services/Text.h"

namespace quellrin {

// Maps what MessageBoxA returns to the program's result numbers: the button
// identifier less one for the seven classic buttons (Yes is 5), else 0.
int MessageBoxResult(int messageBoxReturn);

// MB_TASKMODAL is added unless MB_SYSTEMMODAL is given. No caption shows "信息：".
int ShowMessageBox(const Text& message, UINT style);
int ShowMessageBox(const Text& message, UINT style, const Text& caption, HWND owner = nullptr);

// The chosen folder's path, or the empty text when cancelled or when the item
// has no file-system path. The program's top-level windows are disabled while
// the browser is open and restored afterwards.
Text BrowseForFolder(const Text& title, bool includeFiles = false);

} // namespace quellrin
