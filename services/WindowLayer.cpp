#include "services/WindowLayer.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "services/Handles.h"

namespace quellrin {
namespace {

constexpr char kFormClass[] = "QuellrinForm";
constexpr char kOwnerClass[] = "QuellrinOwner";
constexpr char kLabelClass[] = "QuellrinLabel";
constexpr char kTimerClass[] = "QuellrinTimer";
constexpr char kPictureClass[] = "QuellrinPicture";

constexpr UINT kEndRequest = WM_APP + 0x51; // wParam: the exit code
constexpr UINT kStopTimerRequest = WM_APP + 0x52;
constexpr UINT_PTR kTimerId = 1000;
constexpr int kFirstControlId = 1000;

// Working values of one control while its window is loaded.
struct ControlState {
    HWND hwnd = nullptr;
    Text caption;
    int minimum = 0, maximum = 100, position = 0;
    int period = 0;
};

struct DisabledWindow {
    HWND hwnd;
    bool wasEnabled;
};

// One entry of the window list.
struct Entry {
    const WindowData* data = nullptr;
    HWND hwnd = nullptr;
    bool loaded = false;
    bool visible = true;
    bool dialogMode = false;
    std::vector<ControlState> controls;
    std::vector<DisabledWindow> disabled;
};

// The layer's state: the window list and the program's lifetime.
struct Layer {
    std::vector<Entry> entries;
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    DWORD windowThread = 0;
    volatile LONG gate = 0;
    volatile LONG ending = 0;
    HWND modalMarker = nullptr;
    bool loopStarted = false;
    UniqueIcon largeIcon, smallIcon;
};

Layer g_layer;

bool IsValidControl(Control c) {
    return c.window >= 0 && c.window < static_cast<int>(g_layer.entries.size()) && c.index >= 0 &&
           c.index < static_cast<int>(g_layer.entries[c.window].data->controls.size());
}

const ControlData& DataOf(Control c) {
    return g_layer.entries[c.window].data->controls[c.index];
}

ControlState* StateOf(Control c) {
    if (!IsValidControl(c) || !g_layer.entries[c.window].loaded)
        return nullptr;
    return &g_layer.entries[c.window].controls[c.index];
}

int EntryOfWindow(HWND hwnd) {
    for (std::size_t i = 0; i < g_layer.entries.size(); ++i)
        if (g_layer.entries[i].loaded && g_layer.entries[i].hwnd == hwnd)
            return static_cast<int>(i);
    return kNoWindow;
}

// Runs a handler unless the gate is raised; nothing escapes into Windows.
void Raise(EventHandler handler) {
    if (!handler || g_layer.gate > 0)
        return;
    try {
        handler();
    } catch (...) {
    }
}

int ClampToShort(int v) {
    return std::clamp(v, 0, 32767);
}

void SendProgressRange(HWND bar, const ControlState& s) {
    int lo = std::min(s.minimum, s.maximum), hi = std::max(s.minimum, s.maximum);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(lo, hi));
}

void SendProgressPosition(HWND bar, const ControlState& s) {
    int pos = std::min(std::max(s.position, s.minimum), s.maximum);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

// ---- Keyboard: Esc closes a window, Tab and Shift+Tab walk its buttons. ----

bool KeyDown(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

void MoveFocusAmongButtons(int window, bool backwards) {
    Entry& e = g_layer.entries[window];
    std::vector<std::pair<int, HWND>> order;
    for (std::size_t i = 0; i < e.controls.size(); ++i) {
        const ControlData& d = e.data->controls[i];
        HWND h = e.controls[i].hwnd;
        if (d.kind == ControlKind::Button && d.tabOrder > 0 && h && IsWindowVisible(h) &&
            IsWindowEnabled(h))
            order.emplace_back(d.tabOrder, h);
    }
    if (order.empty())
        return;
    std::sort(order.begin(), order.end());
    HWND focus = GetFocus();
    int n = static_cast<int>(order.size()), at = -1;
    for (int i = 0; i < n; ++i)
        if (order[i].second == focus)
            at = i;
    int next = at < 0 ? (backwards ? n - 1 : 0) : (at + (backwards ? n - 1 : 1)) % n;
    SetFocus(order[next].second);
}

// Keyboard handling of the program's windows before translation.
bool IsKeyMessage(UINT msg) {
    return msg >= WM_KEYFIRST && msg <= WM_KEYLAST;
}

bool HandleWindowKeys(const MSG& m) {
    if (!IsKeyMessage(m.message) || !m.hwnd)
        return false;
    HWND root = GetAncestor(m.hwnd, GA_ROOT);
    int window = EntryOfWindow(root);
    if (window == kNoWindow)
        return false;
    bool redirected = false;
    if (!IsWindowEnabled(root)) {
        // The focus can stay behind in a window that a modal window has
        // disabled (seen under Wine without a window manager). Its keys
        // belong to the modal window; a disabled window takes none.
        HWND modal = g_layer.modalMarker;
        window =
            modal && IsWindow(modal) && IsWindowEnabled(modal) ? EntryOfWindow(modal) : kNoWindow;
        if (window == kNoWindow)
            return true;
        SetFocus(modal);
        root = modal;
        redirected = true;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE && !KeyDown(VK_CONTROL) &&
        !KeyDown(VK_SHIFT) && !KeyDown(VK_MENU)) {
        PostMessageA(root, WM_CLOSE, 0, 0);
        return true;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_TAB && !KeyDown(VK_CONTROL) &&
        !KeyDown(VK_MENU)) {
        MoveFocusAmongButtons(window, KeyDown(VK_SHIFT));
        return true;
    }
    return redirected;
}

void DispatchOne(MSG& m) {
    if (HandleWindowKeys(m))
        return;
    TranslateMessage(&m);
    DispatchMessageA(&m);
}

bool NextIsQuit() {
    MSG m;
    return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) && m.message == WM_QUIT;
}

// ---- Window procedures ----

[[noreturn]] void EndOnWindowThread(int exitCode);

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kEndRequest) {
        EndOnWindowThread(static_cast<int>(wp));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RestoreDisabledList(Entry& e) {
    for (const DisabledWindow& d : e.disabled)
        if (IsWindow(d.hwnd))
            EnableWindow(d.hwnd, d.wasEnabled ? TRUE : FALSE);
    e.disabled.clear();
}

void DropWorkingValues(Entry& e) {
    e.hwnd = nullptr;
    e.loaded = false;
    e.dialogMode = false;
    e.controls.clear();
    e.disabled.clear();
}

LRESULT OnFormNcDestroy(HWND hwnd) {
    int w = EntryOfWindow(hwnd);
    if (w != kNoWindow) {
        DropWorkingValues(g_layer.entries[w]);
        if (g_layer.modalMarker == hwnd)
            g_layer.modalMarker = nullptr;
        bool anyLoaded = std::any_of(g_layer.entries.begin(), g_layer.entries.end(),
                                     [](const Entry& e) { return e.loaded; });
        if (!anyLoaded && g_layer.loopStarted && !g_layer.ending)
            PostQuitMessage(0);
    }
    return 0;
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && lp) {
            int w = EntryOfWindow(hwnd);
            int index = static_cast<int>(LOWORD(wp)) - kFirstControlId;
            Control c{w, index};
            if (w != kNoWindow && IsValidControl(c) && DataOf(c).kind == ControlKind::Button)
                Raise(DataOf(c).clicked);
            return 0;
        }
        break;
    case WM_CLOSE: {
        int w = EntryOfWindow(hwnd);
        if (w != kNoWindow && g_layer.entries[w].dialogMode)
            RestoreDisabledList(g_layer.entries[w]);
        break; // the default handling destroys the window
    }
    case WM_DESTROY: {
        int w = EntryOfWindow(hwnd);
        if (w != kNoWindow)
            Raise(g_layer.entries[w].data->willBeDestroyed);
        return 0;
    }
    case WM_NCDESTROY:
        return OnFormNcDestroy(hwnd);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// A control's place in the layer, kept in its window's user data.
Control ControlOfWindow(HWND hwnd) {
    LONG_PTR packed = GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (packed == 0)
        return Control{};
    return Control{static_cast<int>((packed >> 16) & 0xFF), static_cast<int>(packed & 0xFFFF)};
}

LONG_PTR PackControl(Control c) {
    return (static_cast<LONG_PTR>(c.window) << 16) | c.index | (1 << 24);
}

void PaintLabel(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Control c = ControlOfWindow(hwnd);
    ControlState* s = StateOf(c);
    if (s && !s->caption.empty()) {
        RECT r;
        GetClientRect(hwnd, &r);
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextA(dc, s->caption.c_str(), static_cast<int>(s->caption.size()), &r,
                  DT_NOCLIP | DT_SINGLELINE | DT_VCENTER | DataOf(c).textAlign);
        SelectObject(dc, oldFont);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // no background of its own: the window behind shows through
    case WM_PAINT:
        PaintLabel(hwnd);
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK TimerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        Control c = ControlOfWindow(hwnd);
        if (IsValidControl(c))
            Raise(DataOf(c).periodic);
        return 0;
    }
    if (msg == kStopTimerRequest) {
        Control c = ControlOfWindow(hwnd);
        ControlState* s = StateOf(c);
        if (s && s->period == 0)
            KillTimer(hwnd, kTimerId);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void PaintPicture(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    Control c = ControlOfWindow(hwnd);
    if (IsValidControl(c) && DataOf(c).paint) {
        try {
            DataOf(c).paint(dc, r);
        } catch (...) {
        }
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT, so it does not flicker
    case WM_PAINT:
        PaintPicture(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterClasses() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = g_layer.instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);

    wc.lpfnWndProc = FormProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = g_layer.largeIcon.get();
    wc.hIconSm = g_layer.smallIcon.get();
    wc.lpszClassName = kFormClass;
    RegisterClassExA(&wc);

    wc.hIcon = wc.hIconSm = nullptr;
    wc.hbrBackground = nullptr;
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = kOwnerClass;
    RegisterClassExA(&wc);

    wc.lpfnWndProc = LabelProc;
    wc.lpszClassName = kLabelClass;
    RegisterClassExA(&wc);

    wc.lpfnWndProc = TimerProc;
    wc.lpszClassName = kTimerClass;
    RegisterClassExA(&wc);

    wc.lpfnWndProc = PictureProc;
    wc.lpszClassName = kPictureClass;
    RegisterClassExA(&wc);
}

void LoadIcons() {
    g_layer.largeIcon.reset(static_cast<HICON>(
        LoadImageA(g_layer.instance, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    g_layer.smallIcon.reset(static_cast<HICON>(
        LoadImageA(g_layer.instance, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
}

// ---- Building a window ----

HWND CreateControlWindow(HWND parent, Control c, ControlState& s) {
    const ControlData& d = DataOf(c);
    DWORD style = WS_CHILD, exStyle = 0;
    const char* cls = kLabelClass;
    const char* text = d.caption;
    switch (d.kind) {
    case ControlKind::Button:
        cls = "BUTTON";
        style |= BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP;
        break;
    case ControlKind::Label:
        exStyle = WS_EX_TRANSPARENT;
        break;
    case ControlKind::Timer:
        cls = kTimerClass;
        text = "";
        break;
    case ControlKind::ProgressBar:
        cls = PROGRESS_CLASSA;
        exStyle = WS_EX_STATICEDGE;
        text = "";
        break;
    case ControlKind::PictureBox:
        cls = kPictureClass;
        text = "";
        break;
    }
    HWND h =
        CreateWindowExA(exStyle, cls, text, style, d.left, d.top, d.width, d.height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + c.index)),
                        g_layer.instance, nullptr);
    if (!h)
        return nullptr;
    if (d.kind != ControlKind::Button && d.kind != ControlKind::ProgressBar)
        SetWindowLongPtrA(h, GWLP_USERDATA, PackControl(c));
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (d.kind == ControlKind::ProgressBar) {
        SendProgressRange(h, s);
        SendProgressPosition(h, s);
    }
    if (d.kind == ControlKind::Timer && s.period > 0)
        SetTimer(h, kTimerId, static_cast<UINT>(s.period), nullptr);
    return h;
}

void FreshWorkingValues(Entry& e) {
    e.visible = e.data->visible;
    e.controls.assign(e.data->controls.size(), ControlState{});
    for (std::size_t i = 0; i < e.controls.size(); ++i) {
        const ControlData& d = e.data->controls[i];
        ControlState& s = e.controls[i];
        s.caption = d.caption ? d.caption : "";
        s.minimum = ClampToShort(d.minimum);
        s.maximum = ClampToShort(d.maximum);
        s.position = ClampToShort(d.position);
        s.period = std::max(d.period, 0);
    }
}

HWND CreateFormWindow(int window, HWND owner) {
    const WindowData& d = *g_layer.entries[window].data;
    DWORD style = WS_CLIPSIBLINGS, exStyle = d.taskbarButton ? WS_EX_APPWINDOW : 0;
    if (d.frame == Frame::FixedDialog)
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    else
        style |= WS_POPUP;
    int left = d.left, top = d.top;
    if (d.centred) {
        left = (GetSystemMetrics(SM_CXSCREEN) - d.width) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - d.height) / 2;
    }
    HWND h = CreateWindowExA(exStyle, kFormClass, d.caption ? d.caption : "", style, left, top,
                             d.width, d.height, owner, nullptr, g_layer.instance, nullptr);
    if (h) {
        SendMessageA(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_layer.largeIcon.get()));
        SendMessageA(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_layer.smallIcon.get()));
    }
    return h;
}

// Controls are created in stacking order and each put below the one before,
// so the first listed stays on top.
void CreateControls(int window) {
    Entry& e = g_layer.entries[window];
    HWND above = HWND_TOP;
    for (std::size_t i = 0; i < e.controls.size(); ++i) {
        Control c{window, static_cast<int>(i)};
        HWND h = CreateControlWindow(e.hwnd, c, e.controls[i]);
        e.controls[i].hwnd = h;
        if (!h)
            continue;
        SetWindowPos(h, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = h;
        bool shown = DataOf(c).visible && DataOf(c).kind != ControlKind::Timer;
        ShowWindow(h, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void DisableOtherTopLevelWindows(int window) {
    Entry& e = g_layer.entries[window];
    for (std::size_t i = 0; i < g_layer.entries.size(); ++i) {
        Entry& other = g_layer.entries[i];
        if (static_cast<int>(i) == window || !other.loaded || !other.hwnd || GetParent(other.hwnd))
            continue;
        e.disabled.push_back({other.hwnd, IsWindowEnabled(other.hwnd) != FALSE});
        EnableWindow(other.hwnd, FALSE);
    }
}

void RunModalLoop(HWND hwnd) {
    HWND saved = g_layer.modalMarker;
    g_layer.modalMarker = hwnd;
    while (g_layer.modalMarker == hwnd && !NextIsQuit()) {
        MSG m;
        BOOL got = GetMessageA(&m, nullptr, 0, 0);
        if (got == 0) { // leave the quit message for the outer loop
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (got < 0)
            break;
        DispatchOne(m);
    }
    if (g_layer.modalMarker == hwnd || g_layer.modalMarker == nullptr)
        g_layer.modalMarker = saved;
}

[[noreturn]] void EndOnWindowThread(int exitCode) {
    InterlockedExchange(&g_layer.ending, 1);
    InterlockedIncrement(&g_layer.gate);
    for (Entry& e : g_layer.entries)
        DropWorkingValues(e);
    HWND owner = std::exchange(g_layer.owner, nullptr);
    if (owner)
        DestroyWindow(owner);
    g_layer.largeIcon.reset();
    g_layer.smallIcon.reset();
    OleUninitialize();
    ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace

void ResetFloatingPointUnit() {
#if defined(__i386__) || defined(__x86_64__)
    // fninit: all exceptions masked, 64-bit significand, round to nearest.
    __asm__ __volatile__("fninit");
#endif
}

void StartWindowLayer(const std::vector<const WindowData*>& windows) {
    OleInitialize(nullptr);
    g_layer.instance = GetModuleHandleA(nullptr);

    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    Text folder(path, n < MAX_PATH ? n : 0);
    std::size_t cut = FindLastBackslash(folder);
    if (cut != Text::npos) {
        folder.resize(cut);
        SetCurrentDirectoryA(WithTrailingBackslash(folder).c_str());
    }

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    LoadIcons();
    RegisterClasses();
    g_layer.owner = CreateWindowExA(WS_EX_TOOLWINDOW, kOwnerClass, "", WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, g_layer.instance, nullptr);
    g_layer.windowThread = GetCurrentThreadId();

    g_layer.entries.clear();
    for (const WindowData* w : windows) {
        Entry e;
        e.data = w;
        e.visible = w->visible;
        g_layer.entries.push_back(std::move(e));
    }
}

Control FindControl(int window, const char* name) {
    if (window < 0 || window >= static_cast<int>(g_layer.entries.size()) || !name)
        return Control{};
    const auto& controls = g_layer.entries[window].data->controls;
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (std::strcmp(controls[i].name, name) == 0)
            return Control{window, static_cast<int>(i)};
    return Control{};
}

bool LoadWindow(int window, int parent, bool dialogMode) {
    if (window < 0 || window >= static_cast<int>(g_layer.entries.size()) || g_layer.ending)
        return false;
    Entry& e = g_layer.entries[window];
    if (e.loaded) {
        if (IsIconic(e.hwnd))
            ShowWindow(e.hwnd, SW_RESTORE);
        else
            SetActiveWindow(e.hwnd);
        return true;
    }
    HWND owner = nullptr;
    if (dialogMode) {
        owner = g_layer.owner;
    } else if (parent != kNoWindow) {
        owner = GetWindowHandle(parent);
        if (!owner)
            return false;
    }

    ProcessPendingEvents();
    InterlockedIncrement(&g_layer.gate);
    FreshWorkingValues(e);
    HWND hwnd = CreateFormWindow(window, owner);
    if (!hwnd) {
        InterlockedDecrement(&g_layer.gate);
        e.controls.clear();
        return false;
    }
    e.hwnd = hwnd;
    e.loaded = true;
    e.dialogMode = dialogMode;
    CreateControls(window);
    ProcessPendingEvents(); // whatever building raised is dropped by the gate
    InterlockedDecrement(&g_layer.gate);

    Raise(e.data->created);
    bool alive = IsWindow(hwnd) && e.hwnd == hwnd;
    if (alive && e.visible) {
        ShowWindow(hwnd, SW_SHOW);
        // The window just shown takes the keyboard, even where no window
        // manager activates it.
        if (GetAncestor(GetFocus(), GA_ROOT) != hwnd)
            SetFocus(hwnd);
    }
    if (alive && dialogMode) {
        DisableOtherTopLevelWindows(window);
        if (e.visible && GetAncestor(GetFocus(), GA_ROOT) != hwnd)
            SetFocus(hwnd);
    }
    if (alive && dialogMode && e.visible)
        RunModalLoop(hwnd);
    return true;
}

void RunMessageLoop() {
    bool anyLoaded = std::any_of(g_layer.entries.begin(), g_layer.entries.end(),
                                 [](const Entry& e) { return e.loaded; });
    if (!anyLoaded)
        return;
    g_layer.loopStarted = true;
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchOne(m);
}

void ProcessPendingEvents() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) && m.message != WM_QUIT) {
        if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            break;
        if (m.message == WM_QUIT) { // arrived in between: leave it queued
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        DispatchOne(m);
    }
}

void EndProgram(int exitCode) {
    InterlockedIncrement(&g_layer.gate);
    if (GetCurrentThreadId() != g_layer.windowThread) {
        HWND owner = g_layer.owner;
        if (owner && IsWindow(owner) && !g_layer.ending)
            SendMessageA(owner, kEndRequest, static_cast<WPARAM>(exitCode), 0);
        ExitProcess(static_cast<UINT>(exitCode));
    }
    EndOnWindowThread(exitCode);
}

Text GetCaption(Control label) {
    ControlState* s = StateOf(label);
    return s ? s->caption : Text();
}

void SetCaption(Control label, const Text& text) {
    ControlState* s = StateOf(label);
    if (!s)
        return;
    s->caption = text;
    if (!s->hwnd)
        return;
    SetWindowTextA(s->hwnd, s->caption.c_str());
    // Repaint the window behind the label first, so no trace of the old text stays.
    HWND parent = GetParent(s->hwnd);
    RECT r;
    GetWindowRect(s->hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void SetVisible(int window, bool visible) {
    if (window < 0 || window >= static_cast<int>(g_layer.entries.size()))
        return;
    Entry& e = g_layer.entries[window];
    e.visible = visible;
    if (e.loaded && e.hwnd)
        ShowWindow(e.hwnd, visible ? SW_SHOW : SW_HIDE);
}

void SetProgressMaximum(Control bar, int value) {
    ControlState* s = StateOf(bar);
    if (!s)
        return;
    s->maximum = ClampToShort(value);
    if (s->hwnd)
        SendProgressRange(s->hwnd, *s);
}

void SetProgressPosition(Control bar, int value) {
    ControlState* s = StateOf(bar);
    if (!s)
        return;
    s->position = ClampToShort(value);
    if (s->hwnd)
        SendProgressPosition(s->hwnd, *s);
}

void SetTimerPeriod(Control timer, int milliseconds) {
    ControlState* s = StateOf(timer);
    if (!s)
        return;
    int period = std::max(milliseconds, 0);
    if (period == s->period)
        return;
    bool wasRunning = s->period > 0;
    s->period = period;
    if (!s->hwnd)
        return;
    if (wasRunning && !KillTimer(s->hwnd, kTimerId) &&
        GetCurrentThreadId() != g_layer.windowThread) {
        // Should the system refuse to stop another thread's timer, the
        // window thread stops it.
        PostMessageA(s->hwnd, kStopTimerRequest, 0, 0);
    }
    if (period > 0)
        SetTimer(s->hwnd, kTimerId, static_cast<UINT>(period), nullptr);
}

int CountWindows() {
    return static_cast<int>(g_layer.entries.size());
}

HWND GetWindowHandle(int index) {
    if (index < 0 || index >= CountWindows())
        return nullptr;
    const Entry& e = g_layer.entries[index];
    return e.loaded && e.hwnd && IsWindow(e.hwnd) ? e.hwnd : nullptr;
}

HWND GetControlHandle(Control control) {
    ControlState* s = StateOf(control);
    return s ? s->hwnd : nullptr;
}

} // namespace quellrin
