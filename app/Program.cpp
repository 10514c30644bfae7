#include "app/Windows.h"

namespace quellrin {

const std::vector<const WindowData*>& ProgramWindows() {
    static const std::vector<const WindowData*> windows{&MainWindowData, &ProgressWindowData,
                                                        &TipWindowData};
    return windows;
}

int RunProgram() {
    StartWindowLayer(ProgramWindows());
    ResetFloatingPointUnit();
    LoadWindow(kMainWindow);
    RunMessageLoop();
    EndProgram(0);
}

} // namespace quellrin
