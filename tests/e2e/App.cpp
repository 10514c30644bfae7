#include "e2e/App.h"

#include <gtest/gtest.h>

#include <map>

namespace quellrin::test {
namespace {

constexpr char kFormClass[] = "QuellrinForm";

int IdOf(const std::map<std::string, int>& ids, const std::string& name) {
    auto it = ids.find(name);
    return it == ids.end() ? 0 : 1000 + it->second;
}

} // namespace

int MainControlId(const std::string& name) {
    static const std::map<std::string, int> ids{
        {"按钮4", 0},     {"按钮3", 1},     {"按钮2", 2},       {"E版GTA5位置", 3},
        {"透明标签1", 4}, {"透明标签2", 5}, {"S版GTA5位置", 6}, {"按钮1", 7}};
    return IdOf(ids, name);
}

int ProgressControlId(const std::string& name) {
    static const std::map<std::string, int> ids{
        {"透明标签3", 0}, {"透明标签2", 1}, {"透明标签1", 2}, {"时钟1", 3}, {"进度条1", 4}};
    return IdOf(ids, name);
}

App::App() {
    std::string exe = WindowsPathOfUnix(QUELLRIN_EXE);
    if (!process_.Start(exe)) {
        ADD_FAILURE() << "could not start " << exe;
        return;
    }
    main_ = WaitForWindow(process_.pid(), kFormClass, "Quellrin", kWait);
    if (!main_)
        ADD_FAILURE() << "the main window did not appear within " << kWait << " ms";
}

HWND App::Main(const std::string& control) const {
    return GetDlgItem(main_, MainControlId(control));
}

std::string App::MainText(const std::string& control) const {
    return WindowText(Main(control));
}

bool App::WaitMainText(const std::string& control, const std::string& text, DWORD ms) const {
    return WaitFor([&] { return MainText(control) == text; }, ms);
}

void App::ClickMain(const std::string& control) const {
    Click(Main(control));
}

bool App::Browse(const std::string& button, const std::string& folder) {
    ClickMain(button);
    HWND browser = WaitForFolderBrowser(pid(), kWait);
    if (!browser) {
        ADD_FAILURE() << "no folder browser after clicking " << button;
        return false;
    }
    if (folder.empty()) {
        CancelFolderBrowser(browser);
    } else if (!ChooseFolder(browser, folder)) {
        ADD_FAILURE() << "the folder browser did not select " << folder;
        CancelFolderBrowser(browser);
        return false;
    }
    if (!WaitUntilGone(browser, kWait)) {
        ADD_FAILURE() << "the folder browser stayed open";
        return false;
    }
    return true;
}

HWND App::Start() {
    ClickMain("按钮3");
    return WaitForMessageBox(pid(), kWait);
}

std::string App::AnswerNextBox(int button, HWND* boxOut) {
    HWND box = WaitForMessageBox(pid(), kWait);
    if (boxOut)
        *boxOut = box;
    if (!box) {
        ADD_FAILURE() << "no message box appeared";
        return "<no box>";
    }
    std::string text = MessageBoxText(box);
    AnswerMessageBox(box, button);
    WaitUntilGone(box, kWait);
    return text;
}

HWND App::WaitProgressWindow(DWORD ms) {
    return WaitForWindowOtherThan(pid(), kFormClass, main_, ms);
}

} // namespace quellrin::test
