#include <gtest/gtest.h>
#include <gmock/gmock.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "services/WindowLayer.h"

using namespace quellrin;

namespace {

// What the handlers of the test windows saw.
struct Seen {
    int created = 0;
    bool visibleWhenCreated = true;
    bool handleWhenCreated = false;
    int clicks = 0;
    int ticks = 0;
    std::vector<std::string> order;
    bool firstEnabledInDialog = true;
    bool firstEnabledAtDestroy = false;
};
Seen g_seen;

constexpr int kFirst = 0, kDialog = 1, kOther = 2;

void OnFirstCreated() {
    ++g_seen.created;
    HWND h = GetWindowHandle(kFirst);
    g_seen.handleWhenCreated = h != nullptr;
    g_seen.visibleWhenCreated = h && IsWindowVisible(h);
}
void OnClick() {
    ++g_seen.clicks;
}
void OnTick() {
    ++g_seen.ticks;
}
void OnFirstDestroyed() {
    g_seen.order.push_back("first destroyed");
    std::fprintf(stderr, "first destroyed\n");
}

void CALLBACK CloseDialogLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_seen.firstEnabledInDialog = IsWindowEnabled(GetWindowHandle(kFirst)) != FALSE;
    PostMessageA(GetWindowHandle(kDialog), WM_CLOSE, 0, 0);
}
void OnDialogCreated() {
    SetTimer(nullptr, 0, 50, CloseDialogLater);
}
void OnDialogDestroyed() {
    g_seen.firstEnabledAtDestroy = IsWindowEnabled(GetWindowHandle(kFirst)) != FALSE;
    g_seen.order.push_back("dialog destroyed");
}

const WindowData kFirstData{
    .name = "first",
    .caption = "第一个窗口",
    .left = 0,
    .top = 0,
    .width = 300,
    .height = 150,
    .controls =
        {
            {.name = "按钮1",
             .kind = ControlKind::Button,
             .left = 8,
             .top = 8,
             .width = 80,
             .height = 24,
             .caption = "按钮",
             .tabOrder = 1,
             .clicked = OnClick},
            {.name = "标签1",
             .kind = ControlKind::Label,
             .left = 8,
             .top = 40,
             .width = 200,
             .height = 24},
            {.name = "时钟1",
             .kind = ControlKind::Timer,
             .left = 0,
             .top = 0,
             .width = 10,
             .height = 10,
             .periodic = OnTick},
            {.name = "进度条1",
             .kind = ControlKind::ProgressBar,
             .left = 8,
             .top = 70,
             .width = 200,
             .height = 16},
        },
    .created = OnFirstCreated,
    .willBeDestroyed = OnFirstDestroyed,
};
const WindowData kDialogData{
    .name = "dialog",
    .caption = "对话",
    .left = 0,
    .top = 0,
    .width = 200,
    .height = 100,
    .taskbarButton = false,
    .controls = {},
    .created = OnDialogCreated,
    .willBeDestroyed = OnDialogDestroyed,
};
const WindowData kOtherData{.name = "other",
                            .caption = "其他",
                            .left = 10,
                            .top = 10,
                            .width = 200,
                            .height = 100,
                            .centred = false,
                            .controls = {}};

Control Button() {
    return FindControl(kFirst, "按钮1");
}
Control Label() {
    return FindControl(kFirst, "标签1");
}
Control Timer() {
    return FindControl(kFirst, "时钟1");
}
Control Bar() {
    return FindControl(kFirst, "进度条1");
}

// A thread running fn(arg); lambdas cannot be stdcall thread routines.
struct ThreadCall {
    void (*fn)(void*);
    void* arg;
};
DWORD WINAPI RunThreadCall(void* p) {
    ThreadCall call = *static_cast<ThreadCall*>(p);
    delete static_cast<ThreadCall*>(p);
    call.fn(call.arg);
    return 0;
}
HANDLE StartThread(void (*fn)(void*), void* arg = nullptr) {
    return CreateThread(nullptr, 0, RunThreadCall, new ThreadCall{fn, arg}, 0, nullptr);
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        ProcessPendingEvents();
        Sleep(5);
    }
}

class WindowLayerTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        static bool started = false;
        if (!started) {
            static const std::vector<const WindowData*> windows{&kFirstData, &kDialogData,
                                                                &kOtherData};
            StartWindowLayer(windows);
            ResetFloatingPointUnit();
            started = true;
        }
    }
    void SetUp() override { g_seen = Seen{}; }
    void TearDown() override {
        for (int i = 0; i < CountWindows(); ++i)
            if (HWND h = GetWindowHandle(i))
                DestroyWindow(h);
        ProcessPendingEvents();
    }
};

TEST_F(WindowLayerTest, CreatedEventRunsBeforeTheWindowIsShown) {
    EXPECT_EQ(CountWindows(), 3);
    EXPECT_EQ(GetWindowHandle(kFirst), nullptr);
    ASSERT_TRUE(LoadWindow(kFirst));
    EXPECT_EQ(g_seen.created, 1);
    EXPECT_TRUE(g_seen.handleWhenCreated);
    EXPECT_FALSE(g_seen.visibleWhenCreated);
    HWND h = GetWindowHandle(kFirst);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(IsWindowVisible(h));

    // Centred on the whole screen, at its outer size.
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 150) / 2);
    EXPECT_EQ(r.right - r.left, 300);

    // A second load only brings it forward.
    EXPECT_TRUE(LoadWindow(kFirst));
    EXPECT_EQ(g_seen.created, 1);

    // Hidden, it stays loaded.
    SetVisible(kFirst, false);
    EXPECT_EQ(GetWindowHandle(kFirst), h);
    EXPECT_FALSE(IsWindowVisible(h));

    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_EQ(GetWindowHandle(kFirst), nullptr);
    EXPECT_EQ(g_seen.order, std::vector<std::string>{"first destroyed"});
}

// A click posted while the window is being built arrives during the load's
// second dispatch, with the gate raised: it must be dropped.
HHOOK g_hook = nullptr;
LRESULT CALLBACK PostClickWhileBuilding(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        auto* cs = reinterpret_cast<CBT_CREATEWNDA*>(lp)->lpcs;
        if (cs->lpszClass && !IS_INTRESOURCE(cs->lpszClass) &&
            lstrcmpiA(cs->lpszClass, PROGRESS_CLASSA) == 0) {
            HWND button = GetDlgItem(cs->hwndParent, 1000);
            PostMessageA(cs->hwndParent, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        }
    }
    return CallNextHookEx(g_hook, code, wp, lp);
}

TEST_F(WindowLayerTest, EventsRaisedWhileBuildingAreDropped) {
    g_hook = SetWindowsHookExA(WH_CBT, PostClickWhileBuilding, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    ASSERT_TRUE(LoadWindow(kFirst));
    UnhookWindowsHookEx(g_hook);
    ProcessPendingEvents();
    EXPECT_EQ(g_seen.clicks, 0);

    SendMessageA(GetControlHandle(Button()), BM_CLICK, 0, 0);
    EXPECT_EQ(g_seen.clicks, 1);
}

TEST_F(WindowLayerTest, DialogModeDisablesOthersAndRestoresThemBeforeDestroy) {
    ASSERT_TRUE(LoadWindow(kFirst));
    ASSERT_TRUE(LoadWindow(kOther));
    EnableWindow(GetWindowHandle(kOther), FALSE); // disabled before: stays disabled

    ASSERT_TRUE(LoadWindow(kDialog, kNoWindow, true)); // returns once the dialog is gone
    g_seen.order.push_back("load returned");

    EXPECT_FALSE(g_seen.firstEnabledInDialog);
    EXPECT_TRUE(g_seen.firstEnabledAtDestroy);
    EXPECT_TRUE(IsWindowEnabled(GetWindowHandle(kFirst)));
    EXPECT_FALSE(IsWindowEnabled(GetWindowHandle(kOther)));
    EXPECT_EQ(GetWindowHandle(kDialog), nullptr);
    EXPECT_EQ(g_seen.order, (std::vector<std::string>{"dialog destroyed", "load returned"}));
}

TEST_F(WindowLayerTest, LoadWithAParentThatIsNotLoadedFails) {
    EXPECT_FALSE(LoadWindow(kOther, kFirst));
    EXPECT_EQ(GetWindowHandle(kOther), nullptr);
}

TEST_F(WindowLayerTest, ProgressWritesAreClamped) {
    ASSERT_TRUE(LoadWindow(kFirst));
    HWND bar = GetControlHandle(Bar());
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100); // stored maximum
    SetProgressMaximum(Bar(), 1000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 1000);
    struct Case {
        int written, shown;
    } cases[] = {{0, 0}, {500, 500}, {1000, 1000}, {1500, 1000}, {-5, 0}, {70000, 1000}};
    for (const Case& c : cases) {
        SetProgressPosition(Bar(), c.written);
        EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), c.shown) << c.written;
    }
    SetProgressMaximum(Bar(), 40000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 32767);
    SetProgressMaximum(Bar(), -3);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 0);
}

TEST_F(WindowLayerTest, CaptionIsAKeptCopyReadWithoutAMessage) {
    ASSERT_TRUE(LoadWindow(kFirst));
    EXPECT_EQ(GetCaption(Label()), "");
    SetCaption(Label(), "D:\\游戏\\GTAV");
    EXPECT_EQ(GetCaption(Label()), "D:\\游戏\\GTAV");
    char text[64] = {};
    GetWindowTextA(GetControlHandle(Label()), text, sizeof text);
    EXPECT_STREQ(text, "D:\\游戏\\GTAV");

    // Read from a second thread while this one dispatches nothing: a caption
    // read that sent a message would hang here.
    struct Read {
        Text caption;
    } read;
    HANDLE t =
        StartThread([](void* p) { static_cast<Read*>(p)->caption = GetCaption(Label()); }, &read);
    EXPECT_EQ(WaitForSingleObject(t, 2000), WAIT_OBJECT_0);
    CloseHandle(t);
    EXPECT_EQ(read.caption, "D:\\游戏\\GTAV");

    SetCaption(Label(), "");
    EXPECT_EQ(GetCaption(Label()), "");
}

TEST_F(WindowLayerTest, TimerRunsAndStopsFromAnotherThread) {
    ASSERT_TRUE(LoadWindow(kFirst));
    PumpFor(150);
    EXPECT_EQ(g_seen.ticks, 0); // stored period 0: not running
    SetTimerPeriod(Timer(), 20);
    PumpFor(300);
    EXPECT_GT(g_seen.ticks, 2);

    HANDLE t = StartThread([](void*) { SetTimerPeriod(Timer(), 0); });
    WaitForSingleObject(t, 2000);
    CloseHandle(t);
    PumpFor(50); // a tick already queued may still arrive
    int afterStop = g_seen.ticks;
    PumpFor(300);
    EXPECT_EQ(g_seen.ticks, afterStop);
    SetTimerPeriod(Timer(), 0); // stopped already: nothing happens
    PumpFor(50);
    EXPECT_EQ(g_seen.ticks, afterStop);
}

TEST_F(WindowLayerTest, DivisionByZeroDoesNotTrap) {
    volatile double zero = 0.0;
    double q = 1.0 / zero;
    EXPECT_TRUE(q > 1e308);
    double nan = zero / zero;
    EXPECT_NE(nan, nan);
}

// EndProgram from a second thread while the window thread waits in its loop:
// exit code 0, and no will-be-destroyed handler runs.
void EndFromWorkerScenario() {
    LoadWindow(kFirst);
    StartThread([](void*) {
        Sleep(200);
        EndProgram(0);
    });
    RunMessageLoop();
    std::fprintf(stderr, "the loop returned\n");
    ExitProcess(7);
}

void PrintingDestroyHandlerScenario() {
    LoadWindow(kFirst);
    // A destroy handler that speaks shows whether it ran during the end.
    SetCaption(Label(), "x");
    EndProgram(0);
}

TEST_F(WindowLayerTest, EndProgramFromAnotherThreadEndsWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EndFromWorkerScenario(), testing::ExitedWithCode(0),
                testing::AllOf(testing::Not(testing::HasSubstr("loop returned")),
                               testing::Not(testing::HasSubstr("destroyed"))));
}

TEST_F(WindowLayerTest, EndProgramOnTheWindowThreadEndsWithZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(PrintingDestroyHandlerScenario(), testing::ExitedWithCode(0),
                testing::Not(testing::HasSubstr("destroyed")));
}

} // namespace
