#include "services/Dialogs.h"

#include <shlobj.h>

#include <vector>

#include "services/Handles.h"
#include "services/WindowLayer.h"

namespace quellrin {
namespace {

constexpr char kDefaultCaption[] = "信息：";

struct RecordedWindow {
    HWND hwnd;
    bool wasEnabled;
};

std::vector<RecordedWindow> DisableTopLevelWindows() {
    std::vector<RecordedWindow> recorded;
    for (int i = 0; i < CountWindows(); ++i) {
        HWND h = GetWindowHandle(i);
        if (!h || GetParent(h))
            continue;
        recorded.push_back({h, IsWindowEnabled(h) != FALSE});
        EnableWindow(h, FALSE);
    }
    return recorded;
}

Text PathOfItemList(LPITEMIDLIST items) {
    char path[MAX_PATH] = {};
    Text result;
    if (SHGetPathFromIDListA(items, path))
        result = path;
    ComPtr<IMalloc> malloc;
    if (SUCCEEDED(SHGetMalloc(malloc.put())) && malloc)
        malloc->Free(items);
    return result;
}

} // namespace

int MessageBoxResult(int r) {
    if (r >= IDOK && r <= IDNO)
        return r - 1;
    return 0;
}

int ShowMessageBox(const Text& message, UINT style) {
    return ShowMessageBox(message, style, kDefaultCaption, nullptr);
}

int ShowMessageBox(const Text& message, UINT style, const Text& caption, HWND owner) {
    if (!(style & MB_SYSTEMMODAL))
        style |= MB_TASKMODAL;
    return MessageBoxResult(MessageBoxA(owner, message.c_str(), caption.c_str(), style));
}

Text BrowseForFolder(const Text& title, bool includeFiles) {
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName; // Wine writes garbage here on cancel: never read
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_EDITBOX | (includeFiles ? BIF_BROWSEINCLUDEFILES : 0);

    HWND active = GetActiveWindow();
    if (!IsWindow(active))
        active = nullptr;
    HWND foreground = GetForegroundWindow();
    std::vector<RecordedWindow> recorded = DisableTopLevelWindows();

    info.hwndOwner = active;
    LPITEMIDLIST items = SHBrowseForFolderA(&info);

    for (const RecordedWindow& r : recorded)
        EnableWindow(r.hwnd, r.wasEnabled ? TRUE : FALSE);
    if (foreground && IsWindow(foreground))
        SetForegroundWindow(foreground);
    if (active && IsWindow(active))
        SetActiveWindow(active);

    return items ? PathOfItemList(items) : Text();
}

} // namespace quellrin
