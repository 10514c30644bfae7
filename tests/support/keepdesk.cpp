// A hidden window that keeps Wine's desktop process alive between test
// programs, so each one does not pay for its restart.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CreateWindowA("STATIC", "keepdesk", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchMessageA(&m);
    return 0;
}
