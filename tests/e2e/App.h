// The running Quellrin.exe, seen from the driver: its windows and controls.
#pragma once

#include <windows.h>

#include <string>

#include "support/Driver.h"

namespace quellrin::test {

constexpr DWORD kWait = 15000; // ms: generous under a loaded machine, fails clearly

// Controls by the window data's names: identifiers follow the stacking order.
int MainControlId(const std::string& name);
int ProgressControlId(const std::string& name);

class App {
  public:
    // Starts the program and waits for its main window; check ok().
    App();
    bool ok() const { return main_ != nullptr; }
    DWORD pid() const { return process_.pid(); }
    HWND main() const { return main_; }
    Process& process() { return process_; }

    HWND Main(const std::string& control) const;
    std::string MainText(const std::string& control) const;
    // Waits until the control shows `text`; false after the timeout.
    bool WaitMainText(const std::string& control, const std::string& text, DWORD ms = kWait) const;
    void ClickMain(const std::string& control) const;

    // Clicks the button, answers the folder browser with `folder` (or Cancel
    // when empty) and waits for the browser to go.
    bool Browse(const std::string& button, const std::string& folder);

    // Clicks 开始转换 and returns the message box that follows (or null).
    HWND Start();
    // The text of the next message box, answered with `button`.
    std::string AnswerNextBox(int button, HWND* boxOut = nullptr);

    HWND WaitProgressWindow(DWORD ms = kWait);
    // The exit code once the program has ended, -1 after the timeout.
    long WaitExit(DWORD ms = kWait) { return process_.Wait(ms); }

  private:
    Process process_;
    HWND main_ = nullptr;
};

} // namespace quellrin::test
