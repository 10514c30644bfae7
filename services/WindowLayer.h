// The window layer: owns the program's windows, delivers their events to the
// handlers that the window data binds, and ends the program from any thread.
//
// Threads: everything runs on the window thread except GetCaption,
// SetTimerPeriod(0), ProcessPendingEvents and EndProgram, which the worker
// may call. The layer holds no lock; callers never write a caption while
// another thread reads it.
#pragma once

#include <windows.h>

#include <vector>

#include "services/Text.h"

namespace quellrin {

using EventHandler = void (*)();
using PaintHandler = void (*)(HDC dc, const RECT& box);

enum class ControlKind { Button, Label, Timer, ProgressBar, PictureBox };
enum class Frame { FixedDialog, None };

// The stored values of one control.
struct ControlData {
    const char* name;
    ControlKind kind;
    int left, top, width, height; // in the parent's client area
    const char* caption = "";     // buttons and labels
    bool visible = true;
    UINT textAlign = DT_CENTER; // labels: DT_CENTER or DT_LEFT
    int tabOrder = 0;           // buttons: 1, 2, ... in Tab order; 0 takes no focus
    int period = 0;             // timers, milliseconds; 0 is stopped
    int minimum = 0, maximum = 100, position = 0; // progress bars
    EventHandler clicked = nullptr;               // buttons
    EventHandler periodic = nullptr;              // timers
    PaintHandler paint = nullptr;                 // picture boxes: draws the picture
};

// The stored values of one window. Controls are listed in stacking order,
// the first on top.
struct WindowData {
    const char* name;
    const char* caption;
    int left, top, width, height; // outer rectangle, frame included
    bool centred = true;          // start position: centred on the whole screen
    Frame frame = Frame::FixedDialog;
    bool visible = true;
    bool taskbarButton = true;
    std::vector<ControlData> controls;
    EventHandler created = nullptr;
    EventHandler willBeDestroyed = nullptr;
};

// A control of a window of the window list, by the window data's names.
struct Control {
    int window = -1;
    int index = -1;
};

constexpr int kNoWindow = -1;

// Once, on the thread that becomes the window thread, before anything else.
// `windows` is the window list, in order; it must outlive the program.
void StartWindowLayer(const std::vector<const WindowData*>& windows);

// The control of that name in window `window` of the list (index -1 when none).
Control FindControl(int window, const char* name);

bool LoadWindow(int window, int parent = kNoWindow, bool dialogMode = false);
void RunMessageLoop();
void ProcessPendingEvents();
[[noreturn]] void EndProgram(int exitCode);

Text GetCaption(Control label);
void SetCaption(Control label, const Text& text);
void SetVisible(int window, bool visible);
void SetProgressMaximum(Control bar, int value);
void SetProgressPosition(Control bar, int value);
void SetTimerPeriod(Control timer, int milliseconds);

int CountWindows();
HWND GetWindowHandle(int index);

// The handle of a control's window while its window is loaded, else none.
HWND GetControlHandle(Control control);

// Masks every floating-point exception, 64-bit precision, round to nearest.
void ResetFloatingPointUnit();

} // namespace quellrin
