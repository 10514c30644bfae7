// The program's three windows: their place in the window list and their data.
#pragma once

#include "services/WindowLayer.h"

namespace quellrin {

constexpr int kMainWindow = 0;
constexpr int kProgressWindow = 1;
constexpr int kTipWindow = 2;

extern const WindowData MainWindowData;
extern const WindowData ProgressWindowData;
extern const WindowData TipWindowData;

// The window list, in the order above.
const std::vector<const WindowData*>& ProgramWindows();

// Program start: the window layer, the main window and the message loop.
int RunProgram();

} // namespace quellrin
