// The three windows as a user meets them: the tip window and its parting
// box, the keyboard, and where each window sits on the screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "e2e/App.h"
#include "support/TestFiles.h"

using namespace quellrin::test;

namespace {

constexpr char kParting[] = "不给就算了，口亨(￢︿￢)";

void ExpectCentred(HWND window, int width, int height, const char* what) {
    RECT r;
    ASSERT_TRUE(GetWindowRect(window, &r)) << what;
    EXPECT_EQ(r.right - r.left, width) << what;
    EXPECT_EQ(r.bottom - r.top, height) << what;
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2) << what;
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2) << what;
}

// Sends a key through the system's input, with Shift held when asked.
void TypeKey(HWND window, UINT vk, bool shift) {
    SetForegroundWindow(window);
    INPUT in[4] = {};
    int n = 0;
    auto key = [&](UINT code, bool up) {
        in[n].type = INPUT_KEYBOARD;
        in[n].ki.wVk = static_cast<WORD>(code);
        in[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (shift)
        key(VK_SHIFT, false);
    key(vk, false);
    key(vk, true);
    if (shift)
        key(VK_SHIFT, true);
    SendInput(n, in, sizeof(INPUT));
}

class WindowsTest : public testing::Test {
  protected:
    void SetUp() override {
        RemoveSteamFolderValue();
        app_ = std::make_unique<App>();
        ASSERT_TRUE(app_->ok());
    }
    void TearDown() override {
        if (app_ && app_->process().Running()) {
            PostMessageA(app_->main(), WM_CLOSE, 0, 0);
            EXPECT_EQ(app_->WaitExit(), 0);
        }
        RemoveSteamFolderValue();
    }
    // Opens the tip window with 打赏作者.
    HWND OpenTipWindow() {
        app_->ClickMain("按钮4");
        return app_->WaitProgressWindow(); // the one other window of the program
    }
    std::unique_ptr<App> app_;
};

TEST_F(WindowsTest, TipWindowClosedTwiceShowsThePartingBoxTwice) {
    std::string steam = app_->MainText("S版GTA5位置"), epic = app_->MainText("E版GTA5位置");
    for (int round = 0; round < 2; ++round) {
        HWND tip = OpenTipWindow();
        ASSERT_NE(tip, nullptr) << "round " << round;
        ExpectCentred(tip, 376, 224, "tip window");
        EXPECT_EQ(WindowText(tip), "");
        EXPECT_FALSE(IsWindowEnabled(app_->main())) << "the main window must wait for the tip";
        EXPECT_EQ(GetWindow(tip, GW_OWNER) != nullptr, true) << "no taskbar button of its own";

        PostMessageA(tip, WM_CLOSE, 0, 0);
        HWND box = WaitForMessageBox(app_->pid(), kWait);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WindowText(box), "穷鬼");
        EXPECT_EQ(MessageBoxText(box), kParting);
        AnswerMessageBox(box, IDOK);
        ASSERT_TRUE(WaitUntilGone(box, kWait));
        // The box is task-modal and disables the thread's windows while it
        // shows; the main window must be usable again once it has gone.
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app_->main()) != FALSE; }, kWait));
    }
    EXPECT_EQ(app_->MainText("S版GTA5位置"), steam);
    EXPECT_EQ(app_->MainText("E版GTA5位置"), epic);
    EXPECT_TRUE(IsWindowVisible(app_->main()));
}

TEST_F(WindowsTest, EscClosesTheTipWindowAndThePartingBoxFollows) {
    HWND tip = OpenTipWindow();
    ASSERT_NE(tip, nullptr);
    // The key goes wherever the program's keyboard focus is: under Wine without
    // a window manager that may still be the disabled main window.
    PressKey(tip, VK_ESCAPE);
    HWND box = WaitForMessageBox(app_->pid(), kWait);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kParting);
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntilGone(box, kWait));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(tip); }, kWait));
    EXPECT_TRUE(app_->process().Running()) << "only the tip window closes";
}

TEST_F(WindowsTest, TabWalksTheFourButtonsAndWraps) {
    ExpectCentred(app_->main(), 784, 189, "main window");
    HWND first = app_->Main("按钮1");
    PressKey(app_->main(), VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(app_->main()) == first; }, kWait));
    const char* order[] = {"按钮2", "按钮3", "按钮4", "按钮1"};
    for (const char* name : order) {
        PressKey(app_->main(), VK_TAB);
        HWND want = app_->Main(name);
        EXPECT_TRUE(WaitFor([&] { return FocusOf(app_->main()) == want; }, kWait)) << name;
    }
    TypeKey(app_->main(), VK_TAB, true); // Shift+Tab goes back to 按钮4
    EXPECT_TRUE(WaitFor([&] { return FocusOf(app_->main()) == app_->Main("按钮4"); }, kWait));
    EXPECT_TRUE(app_->process().Running()) << "Enter, Tab and Shift+Tab never close";
}

TEST_F(WindowsTest, ControlsStackAsListedAndButtonsAreNeverDefault) {
    const char* stacking[] = {"按钮4",     "按钮3",     "按钮2",       "E版GTA5位置",
                              "透明标签1", "透明标签2", "S版GTA5位置", "按钮1"};
    HWND child = GetWindow(app_->main(), GW_CHILD);
    for (const char* name : stacking) {
        EXPECT_EQ(child, app_->Main(name)) << name << " out of its stacking place";
        child = GetWindow(child, GW_HWNDNEXT);
    }
    for (const char* name : {"按钮1", "按钮2", "按钮3", "按钮4"}) {
        LONG style = GetWindowLongA(app_->Main(name), GWL_STYLE);
        EXPECT_EQ(style & 0x0F, BS_PUSHBUTTON) << name << ": not a default button";
        EXPECT_EQ(style & (BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP),
                  BS_MULTILINE | BS_CENTER | BS_VCENTER | WS_TABSTOP)
            << name;
    }
    EXPECT_EQ(WindowText(app_->Main("透明标签1")), "Epic版GTA5位置");
    EXPECT_EQ(WindowText(app_->Main("透明标签2")), "Steam版GTA5位置");
}

TEST_F(WindowsTest, AClearedLabelLeavesNoTraceOfItsOldText) {
    TempFolder temp("trace");
    std::string target = temp / "一个很长很长的目录名称，好让标签写满\\再长一点的子目录";
    ASSERT_TRUE(MakeFolders(target));
    ASSERT_TRUE(app_->Browse("按钮2", target));
    ASSERT_TRUE(app_->WaitMainText("E版GTA5位置", target));
    RECT r;
    GetWindowRect(app_->Main("E版GTA5位置"), &r);
    Sleep(300); // let it paint
    std::vector<COLORREF> before = ScreenPixels(r);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::size_t inked = 0;
    for (COLORREF c : before)
        inked += c != face;
    ASSERT_GT(inked, 100u) << "the path was not drawn";

    ASSERT_TRUE(app_->Browse("按钮2", "")); // cancelled: the label is cleared
    ASSERT_TRUE(app_->WaitMainText("E版GTA5位置", ""));
    Sleep(300);
    std::size_t left = 0;
    for (COLORREF c : ScreenPixels(r))
        left += c != face;
    EXPECT_EQ(left, 0u) << "pixels of the old caption stayed on the screen";
}

TEST_F(WindowsTest, TheProgressWindowHasNoFrameAndHidesItsTwoLabels) {
    TempFolder temp("look");
    std::string source = temp / "src", target = temp / "dst";
    ASSERT_TRUE(MakeFolders(source));
    ASSERT_TRUE(MakeFolders(target));
    PostMessageA(app_->main(), WM_CLOSE, 0, 0);
    ASSERT_EQ(app_->WaitExit(), 0);
    ASSERT_TRUE(SetSteamFolderValue(source + "\\GTAV"));
    app_ = std::make_unique<App>();
    ASSERT_TRUE(app_->ok());
    ASSERT_TRUE(app_->Browse("按钮2", target));
    app_->ClickMain("按钮3");
    app_->AnswerNextBox(IDYES);
    HWND progress = app_->WaitProgressWindow();
    ASSERT_NE(progress, nullptr);
    HWND done = WaitForMessageBox(app_->pid(), kWait); // the window stays while it shows

    ExpectCentred(progress, 503, 72, "progress window");
    LONG style = GetWindowLongA(progress, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0) << "no title bar";
    EXPECT_EQ(style & (WS_THICKFRAME | WS_DLGFRAME | WS_BORDER), 0) << "no frame";
    EXPECT_EQ(style & WS_SYSMENU, 0) << "no close box";
    RECT client;
    GetClientRect(progress, &client);
    EXPECT_EQ(client.right, 503);
    EXPECT_EQ(client.bottom, 72);
    for (const char* name : {"透明标签1", "透明标签2"}) {
        HWND label = GetDlgItem(progress, ProgressControlId(name));
        RECT r;
        GetWindowRect(label, &r);
        MapWindowPoints(HWND_DESKTOP, progress, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_GE(r.top, client.bottom) << name << " must lie below the visible area";
    }
    HWND bar = GetDlgItem(progress, ProgressControlId("进度条1"));
    EXPECT_EQ(GetWindowLongA(bar, GWL_STYLE) & PBS_SMOOTH, 0);
    EXPECT_NE(GetWindowLongA(bar, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    EXPECT_EQ(WindowText(GetDlgItem(progress, ProgressControlId("透明标签1"))),
              target + "\\临时文件夹");
    EXPECT_EQ(WindowText(GetDlgItem(progress, ProgressControlId("透明标签2"))), target + "\\GTAV");
    if (done)
        AnswerMessageBox(done, IDOK);
    EXPECT_EQ(app_->WaitExit(), 0);
}

} // namespace
