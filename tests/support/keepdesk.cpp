// A hidden window that keeps Wine's desktop process alive between test
// programs, so each one does not pay for its restart. With a file name as
// argument it creates that file once its window exists, so the caller knows
// the desktop is up (and started with our stdio, not a test's pipe).
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    CreateWindowA("STATIC", "keepdesk", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (commandLine && *commandLine) {
        HANDLE ready = CreateFileA(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE)
            CloseHandle(ready);
    }
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchMessageA(&m);
    return 0;
}
