// Driving a program's windows from another process (or another thread), as a
// user would: find windows, click, read texts, answer boxes, choose folders.
// Every wait has a timeout and reports what it waited for when it fails.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quellrin::test {

// The Windows path of a Unix path (Wine maps / to Z:).
std::string WindowsPathOfUnix(const std::string& unixPath);

// A started program; killed at scope exit if it still runs.
class Process {
  public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    ~Process();

    bool Start(const std::string& exe, const std::string& workingDir = "");
    DWORD pid() const { return pi_.dwProcessId; }
    HANDLE handle() const { return pi_.hProcess; }
    bool Running() const;
    // The exit code, or -1 when the program still runs after the timeout.
    long Wait(DWORD timeoutMs);
    void Kill();

  private:
    PROCESS_INFORMATION pi_{};
};

// A visible top-level window of `pid` (0: this process) with that class and,
// when caption is given, that caption. Null after the timeout.
HWND WaitForWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs);
// The same, but only a window other than `except`.
HWND WaitForWindowOtherThan(DWORD pid, const char* className, HWND except, DWORD timeoutMs);
// A visible top-level window of that class, without waiting.
HWND FindVisibleWindow(DWORD pid, const char* className, const char* caption);

// A message box (#32770) of `pid` that shows a message text.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
std::string MessageBoxText(HWND box);
// Presses the box's button with that identifier (IDOK, IDYES, IDNO ...).
void AnswerMessageBox(HWND box, int buttonId);
// Waits until the window is gone.
bool WaitUntilGone(HWND hwnd, DWORD timeoutMs);

// The folder browser (#32770 with a tree) of `pid`.
HWND WaitForFolderBrowser(DWORD pid, DWORD timeoutMs);
// Selects `folder` in the browser's tree and presses OK. False when the
// selection did not take.
bool ChooseFolder(HWND browser, const std::string& folder);
void CancelFolderBrowser(HWND browser);

std::string WindowText(HWND hwnd);
HWND ChildById(HWND parent, int id);
void Click(HWND button); // posted, so a modal loop in the handler does not block us

// Waits until pred() holds, polling; false after the timeout.
template <typename Pred> bool WaitFor(Pred pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
}

// A key press on a window of another process: WM_KEYDOWN/WM_KEYUP posted to
// the focus window of the thread that owns `window`.
void PressKey(HWND window, UINT vk);
// The focus window of the thread that owns `window`.
HWND FocusOf(HWND window);

// The screen's pixels in `r` (screen coordinates), row by row, as COLORREFs.
std::vector<COLORREF> ScreenPixels(const RECT& r);

// The registry value the Steam edition writes, set or removed for a test.
bool SetSteamFolderValue(const std::string& value);
bool SetSteamFolderRaw(DWORD type, const std::string& bytes);
void RemoveSteamFolderValue();

} // namespace quellrin::test
