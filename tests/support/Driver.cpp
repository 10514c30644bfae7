#include "support/Driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

namespace quellrin::test {
namespace {

constexpr char kSteamKey[] = "SOFTWARE\\WOW6432Node\\Rockstar Games\\GTAV";
constexpr char kSteamValue[] = "InstallFolderSteam";
constexpr int kMessageTextId = 0xFFFF; // Wine's message box text static
constexpr int kBrowserTreeId = 14145;

struct Search {
    DWORD pid;
    const char* className;
    const char* caption;
    HWND except;
    bool needsMessageText;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
    Search& s = *reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s.pid || hwnd == s.except || !IsWindowVisible(hwnd))
        return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, s.className) != 0)
        return TRUE;
    if (s.caption && WindowText(hwnd) != s.caption)
        return TRUE;
    if (s.needsMessageText && !GetDlgItem(hwnd, kMessageTextId))
        return TRUE;
    s.found = hwnd;
    return FALSE;
}

HWND Find(Search s) {
    if (s.pid == 0)
        s.pid = GetCurrentProcessId();
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitFind(const Search& s, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = Find(s)) != nullptr; }, timeoutMs);
    return found;
}

// Memory in another process, freed at scope exit.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, std::size_t size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteMemory() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    void* get() const { return address_; }
    bool Write(const void* data, std::size_t size, std::size_t offset = 0) {
        SIZE_T done = 0;
        return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                                  &done) &&
               done == size;
    }
    bool Read(void* data, std::size_t size, std::size_t offset = 0) {
        SIZE_T done = 0;
        return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                                 &done) &&
               done == size;
    }

  private:
    HANDLE process_;
    void* address_;
};

// The text of the tree's selected item, read from the browser's process.
std::string SelectedTreeText(HANDLE process, HWND tree) {
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return std::string();
    RemoteMemory mem(process, sizeof(TVITEMA) + 520);
    if (!mem.get())
        return std::string();
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = static_cast<char*>(mem.get()) + sizeof(TVITEMA);
    tv.cchTextMax = 512;
    char zero[520] = {};
    mem.Write(zero, sizeof zero, sizeof(TVITEMA));
    mem.Write(&tv, sizeof tv);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(mem.get()));
    char text[520] = {};
    mem.Read(text, 512, sizeof(TVITEMA));
    return text;
}

std::string LastComponent(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && p.back() == '\\')
        p.pop_back();
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < p.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (IsDBCSLeadByte(c))
            ++i;
        else if (c == '\\')
            cut = i;
    }
    return cut == std::string::npos ? p : p.substr(cut + 1);
}

// Wine's shell compares item ids that hold each folder's last-access time;
// a time a little ahead keeps a freshly touched folder findable.
void PushAccessTimeAhead(const std::string& folder) {
    HANDLE h = CreateFileA(folder.c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += 60ULL * 10000000ULL;
    FILETIME ahead{t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, &ahead, nullptr);
    CloseHandle(h);
}

bool SetSteamValueBytes(DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSteamKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, kSteamValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

} // namespace

std::string WindowsPathOfUnix(const std::string& unixPath) {
    if (unixPath.size() > 1 && unixPath[1] == ':')
        return unixPath;
    std::string out = "Z:" + unixPath;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

Process::Process(Process&& other) noexcept : pi_(other.pi_) {
    other.pi_ = PROCESS_INFORMATION{};
}

Process::~Process() {
    if (Running())
        Kill();
    if (pi_.hProcess)
        CloseHandle(pi_.hProcess);
    if (pi_.hThread)
        CloseHandle(pi_.hThread);
}

bool Process::Start(const std::string& exe, const std::string& workingDir) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi_) != FALSE;
}

bool Process::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

long Process::Wait(DWORD timeoutMs) {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
}

void Process::Kill() {
    if (pi_.hProcess) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
}

HWND WaitForWindow(DWORD pid, const char* className, const char* caption, DWORD timeoutMs) {
    return WaitFind(Search{pid, className, caption, nullptr, false, nullptr}, timeoutMs);
}

HWND WaitForWindowOtherThan(DWORD pid, const char* className, HWND except, DWORD timeoutMs) {
    return WaitFind(Search{pid, className, nullptr, except, false, nullptr}, timeoutMs);
}

HWND FindVisibleWindow(DWORD pid, const char* className, const char* caption) {
    return Find(Search{pid, className, caption, nullptr, false, nullptr});
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    return WaitFind(Search{pid, "#32770", nullptr, nullptr, true, nullptr}, timeoutMs);
}

std::string MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, kMessageTextId));
}

void AnswerMessageBox(HWND box, int buttonId) {
    Click(GetDlgItem(box, buttonId));
}

bool WaitUntilGone(HWND hwnd, DWORD timeoutMs) {
    return WaitFor([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, timeoutMs);
}

HWND WaitForFolderBrowser(DWORD pid, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            found = Find(Search{pid, "#32770", nullptr, nullptr, false, nullptr});
            return found && GetDlgItem(found, kBrowserTreeId);
        },
        timeoutMs);
    return found && GetDlgItem(found, kBrowserTreeId) ? found : nullptr;
}

bool ChooseFolder(HWND browser, const std::string& folder) {
    DWORD pid = 0;
    GetWindowThreadProcessId(browser, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                     PROCESS_QUERY_INFORMATION,
                                 FALSE, pid);
    if (!process)
        return false;
    // Each folder on the way, so every level of the tree can be found.
    for (std::size_t i = 3; i <= folder.size(); ++i)
        if (i == folder.size() || folder[i] == '\\')
            PushAccessTimeAhead(folder.substr(0, i));
    HWND tree = GetDlgItem(browser, kBrowserTreeId);
    std::string want = LastComponent(folder);
    bool selected = false;
    {
        // BFFM_SETSELECTIONA is not marshalled: the path must be in the browser's memory.
        RemoteMemory mem(process, folder.size() + 1);
        if (mem.get() && mem.Write(folder.c_str(), folder.size() + 1)) {
            for (int attempt = 0; attempt < 5 && !selected; ++attempt) {
                if (attempt > 0)
                    Sleep(200);
                SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
                             reinterpret_cast<LPARAM>(mem.get()));
                std::string got = SelectedTreeText(process, tree);
                // A drive shows as " (Z:)" or "Label (Z:)".
                selected =
                    got == want || (want.size() == 3 && want[1] == ':' &&
                                    got.find("(" + want.substr(0, 2) + ")") != std::string::npos);
            }
        }
    }
    CloseHandle(process);
    if (selected)
        Click(GetDlgItem(browser, IDOK));
    return selected;
}

void CancelFolderBrowser(HWND browser) {
    Click(GetDlgItem(browser, IDCANCEL));
}

std::string WindowText(HWND hwnd) {
    if (!hwnd)
        return std::string();
    char buffer[2048] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, &got);
    return std::string(buffer);
}

HWND ChildById(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info))
        return nullptr;
    return info.hwndFocus;
}

void PressKey(HWND window, UINT vk) {
    HWND target = FocusOf(window);
    if (!target)
        target = window;
    UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

std::vector<COLORREF> ScreenPixels(const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<COLORREF> out;
    if (w <= 0 || h <= 0)
        return out;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const DWORD* px = static_cast<const DWORD*>(bits);
        out.reserve(static_cast<std::size_t>(w) * h);
        for (int i = 0; i < w * h; ++i) // BGRA in memory
            out.push_back(RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF));
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out;
}

bool SetSteamFolderValue(const std::string& value) {
    return SetSteamValueBytes(REG_SZ, value + std::string(1, '\0'));
}

bool SetSteamFolderRaw(DWORD type, const std::string& bytes) {
    return SetSteamValueBytes(type, bytes);
}

void RemoveSteamFolderValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSteamKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kSteamValue);
        RegCloseKey(key);
    }
}

} // namespace quellrin::test
