// The main window: the two folders of a conversion and the start button.
#include "app/FolderChecks.h"
#include "app/Windows.h"
#include "services/Dialogs.h"
#include "services/Registry.h"

#include <cmath>

namespace quellrin {
namespace {

constexpr char kSteamValuePath[] =
    "SOFTWARE\\WOW6432Node\\Rockstar Games\\GTAV\\InstallFolderSteam";
constexpr char kSteamNotFound[] = "查找目录失败，请确认GTA5是否完整安装";
constexpr char kNothingChosen[] = "您未选择目录";
constexpr char kConfirm[] = "确认是否操作？";
constexpr UINT kStyleOk = 0, kStyleYesNo = 4, kStyleWarning = MB_ICONEXCLAMATION;
constexpr int kResultYes = 5;

Control SteamLabel() {
    return FindControl(kMainWindow, "S版GTA5位置");
}
Control EpicLabel() {
    return FindControl(kMainWindow, "E版GTA5位置");
}

void OnMainCreated() {
    // The value ends in "\GTAV"; dropping four bytes leaves the folder above
    // it with its backslash.
    Text found = ReadRegistryText(4, kSteamValuePath, kSteamNotFound);
    double count = static_cast<double>(found.size()) - 4.0;
    SetCaption(SteamLabel(), LeftBytes(found, static_cast<long long>(std::trunc(count))));
}

void OnChooseSteamFolder() {
    SetCaption(SteamLabel(), BrowseForFolder("选择你的Steam版GTA5目录"));
}

void OnChooseTargetFolder() {
    SetCaption(EpicLabel(), BrowseForFolder("选择你要存放的EPIC版GTA5安装目录"));
}

void OnStart() {
    Text source = GetCaption(SteamLabel());
    if (source.empty()) {
        ShowMessageBox(kNothingChosen, kStyleOk);
        return;
    }
    Text target = GetCaption(EpicLabel());
    if (target.empty()) {
        ShowMessageBox(kNothingChosen, kStyleOk);
        return;
    }
    Text refusal = RefuseConversion(source, target);
    if (!refusal.empty()) {
        ShowMessageBox(refusal, kStyleWarning);
        return;
    }
    if (ShowMessageBox(kConfirm, kStyleYesNo) != kResultYes)
        return;
    LoadWindow(kProgressWindow);
    SetVisible(kMainWindow, false);
}

void OnOpenTipWindow() {
    LoadWindow(kTipWindow, kNoWindow, true);
}

void OnMainWillBeDestroyed() {
    EndProgram(0);
}

} // namespace

const WindowData MainWindowData{
    .name = "主窗口",
    .caption = "Quellrin",
    .left = 0,
    .top = 0,
    .width = 784,
    .height = 189,
    .controls =
        {
            {.name = "按钮4",
             .kind = ControlKind::Button,
             .left = 408,
             .top = 112,
             .width = 184,
             .height = 32,
             .caption = "打赏作者",
             .tabOrder = 4,
             .clicked = OnOpenTipWindow},
            {.name = "按钮3",
             .kind = ControlKind::Button,
             .left = 192,
             .top = 112,
             .width = 128,
             .height = 32,
             .caption = "开始转换",
             .tabOrder = 3,
             .clicked = OnStart},
            {.name = "按钮2",
             .kind = ControlKind::Button,
             .left = 648,
             .top = 64,
             .width = 128,
             .height = 32,
             .caption = "选择你要转换的位置",
             .tabOrder = 2,
             .clicked = OnChooseTargetFolder},
            {.name = "E版GTA5位置",
             .kind = ControlKind::Label,
             .left = 120,
             .top = 72,
             .width = 520,
             .height = 24},
            {.name = "透明标签1",
             .kind = ControlKind::Label,
             .left = 0,
             .top = 64,
             .width = 104,
             .height = 32,
             .caption = "Epic版GTA5位置"},
            {.name = "透明标签2",
             .kind = ControlKind::Label,
             .left = 7,
             .top = 8,
             .width = 96,
             .height = 32,
             .caption = "Steam版GTA5位置"},
            {.name = "S版GTA5位置",
             .kind = ControlKind::Label,
             .left = 120,
             .top = 13,
             .width = 512,
             .height = 24},
            {.name = "按钮1",
             .kind = ControlKind::Button,
             .left = 648,
             .top = 11,
             .width = 128,
             .height = 32,
             .caption = "我们错过了？告诉我们",
             .tabOrder = 1,
             .clicked = OnChooseSteamFolder},
        },
    .created = OnMainCreated,
    .willBeDestroyed = OnMainWillBeDestroyed,
};

} // namespace quellrin
