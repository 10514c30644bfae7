// Drives Quellrin.exe through its three windows and saves a picture of each
// (24-bit BMP files, read from the screen), for people to look at.
//
// screenshots.exe <Quellrin.exe> <source folder> <target folder> <output folder>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/Driver.h"

using namespace quellrin::test;

namespace {

constexpr DWORD kWait = 20000;

bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT r;
    if (!GetWindowRect(window, &r))
        return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h; // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + stride * h;
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
             std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, stride * h, 1, f) == 1;
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int Fail(const char* what) {
    std::fprintf(stderr, "screenshots: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5)
        return Fail("usage: screenshots.exe <Quellrin.exe> <source> <target> <output folder>");
    std::string exe = argv[1], source = argv[2], target = argv[3], out = argv[4];
    SetSteamFolderValue(source + "\\GTAV");

    Process app;
    if (!app.Start(exe))
        return Fail("could not start the program");
    HWND main = WaitForWindow(app.pid(), "QuellrinForm", "Quellrin", kWait);
    if (!main)
        return Fail("no main window");
    Sleep(700);
    SaveWindowPicture(main, out + "\\main-window.bmp");

    Click(GetDlgItem(main, 1000)); // 打赏作者
    HWND tip = WaitForWindowOtherThan(app.pid(), "QuellrinForm", main, kWait);
    if (!tip)
        return Fail("no tip window");
    Sleep(700);
    SaveWindowPicture(tip, out + "\\tip-window.bmp");
    PostMessageA(tip, WM_CLOSE, 0, 0);
    HWND box = WaitForMessageBox(app.pid(), kWait);
    if (!box)
        return Fail("no parting box");
    Sleep(500);
    SaveWindowPicture(box, out + "\\parting-box.bmp");
    AnswerMessageBox(box, IDOK);
    WaitUntilGone(box, kWait);

    Click(GetDlgItem(main, 1002)); // 选择你要转换的位置
    HWND browser = WaitForFolderBrowser(app.pid(), kWait);
    if (!browser || !ChooseFolder(browser, target))
        return Fail("could not choose the target folder");
    WaitUntilGone(browser, kWait);
    Sleep(300);
    SaveWindowPicture(main, out + "\\main-window-chosen.bmp");

    Click(GetDlgItem(main, 1001)); // 开始转换
    box = WaitForMessageBox(app.pid(), kWait);
    if (!box)
        return Fail("no confirmation");
    Sleep(300);
    SaveWindowPicture(box, out + "\\confirmation.bmp");
    AnswerMessageBox(box, IDYES);
    HWND progress = WaitForWindowOtherThan(app.pid(), "QuellrinForm", main, kWait);
    if (!progress)
        return Fail("no progress window");
    HWND bar = GetDlgItem(progress, 1004);
    WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 150; }, 60000);
    SaveWindowPicture(progress, out + "\\progress-window.bmp");
    PostMessageA(progress, WM_CLOSE, 0, 0); // ends the program mid-copy
    app.Wait(kWait);
    RemoveSteamFolderValue();
    return 0;
}
