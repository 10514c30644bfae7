// One whole conversion through the real Quellrin.exe, timed from the driver,
// with the window thread's responsiveness sampled meanwhile.
//   conversion.exe QUELLRIN_EXE SOURCE TARGET
// SOURCE holds the game files (the registry value is SOURCE\GTAV); TARGET is an
// existing folder. Prints one line of key=value pairs (times in ms from the
// press of Yes); exit code 0 after a complete conversion, 1 otherwise.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "support/Driver.h"

using namespace quellrin::test;

namespace {

constexpr DWORD kWait = 20000;
constexpr DWORD kCopyWait = 600000;
constexpr DWORD kPingPeriod = 20;
constexpr UINT kPingTimeout = 10000;
constexpr int kChooseTargetId = 1002, kStartId = 1001, kTargetLabelId = 1003;

LARGE_INTEGER g_frequency, g_zero;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - g_zero.QuadPart) /
           static_cast<double>(g_frequency.QuadPart);
}

// The window thread answers a sent message only between its handlers, so the
// wait for a cheap one is how long the thread was busy when it arrived.
struct Pinger {
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> copying{false}; // the target is the progress window
    std::atomic<bool> stop{false};
    std::vector<double> setupWaits, copyWaits;
    int timeouts = 0;
};

DWORD WINAPI PingLoop(void* arg) {
    auto& p = *static_cast<Pinger*>(arg);
    while (!p.stop) {
        HWND target = p.window;
        bool copying = p.copying;
        double start = NowMs();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, kPingTimeout, &result)) {
            if (!IsWindow(target))
                break; // the program has ended
            ++p.timeouts;
        }
        (copying ? p.copyWaits : p.setupWaits).push_back(NowMs() - start);
        Sleep(kPingPeriod);
    }
    return 0;
}

double Percentile(std::vector<double> v, double q) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    std::size_t i = static_cast<std::size_t>(q * static_cast<double>(v.size()) + 0.999999);
    return v[std::min(v.size(), std::max<std::size_t>(i, 1)) - 1];
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "conversion: %s\n", what.c_str());
    RemoveSteamFolderValue();
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return Fail("usage: conversion.exe QUELLRIN_EXE SOURCE TARGET");
    std::string exe = argv[1], source = argv[2], target = argv[3];
    QueryPerformanceFrequency(&g_frequency);
    if (!SetSteamFolderValue(source + "\\GTAV"))
        return Fail("could not set the registry value");

    Process app;
    if (!app.Start(exe))
        return Fail("could not start " + exe);
    HWND main = WaitForWindow(app.pid(), "QuellrinForm", "Quellrin", kWait);
    if (!main)
        return Fail("no main window");
    Click(GetDlgItem(main, kChooseTargetId));
    HWND browser = WaitForFolderBrowser(app.pid(), kWait);
    if (!browser || !ChooseFolder(browser, target))
        return Fail("could not choose the target folder");
    WaitUntilGone(browser, kWait);
    HWND targetLabel = GetDlgItem(main, kTargetLabelId);
    if (!WaitFor([&] { return !WindowText(targetLabel).empty(); }, kWait))
        return Fail("the target folder was not taken");

    Click(GetDlgItem(main, kStartId));
    HWND confirm = WaitForMessageBox(app.pid(), kWait);
    if (!confirm || MessageBoxText(confirm) != "确认是否操作？")
        return Fail("no confirmation box");

    Pinger pinger;
    pinger.window = main; // the same thread runs the set-up, then the progress window
    QueryPerformanceCounter(&g_zero);
    AnswerMessageBox(confirm, IDYES);
    HANDLE pingThread = CreateThread(nullptr, 0, PingLoop, &pinger, 0, nullptr);

    WaitUntilGone(confirm, kWait);
    HWND progress = WaitForWindowOtherThan(app.pid(), "QuellrinForm", main, kCopyWait);
    double progressMs = NowMs();
    if (!progress) {
        pinger.stop = true;
        WaitForSingleObject(pingThread, INFINITE);
        return Fail("no progress window");
    }
    pinger.window = progress;
    pinger.copying = true;

    HWND box = nullptr;
    std::string text;
    WaitFor(
        [&] {
            box = WaitForMessageBox(app.pid(), 0);
            if (box)
                text = MessageBoxText(box);
            return box != nullptr || !app.Running();
        },
        kCopyWait);
    double doneMs = NowMs();
    pinger.stop = true;
    WaitForSingleObject(pingThread, INFINITE);
    CloseHandle(pingThread);
    if (!box)
        return Fail("no message after the copy");
    if (text != "复制完成")
        return Fail("the program said: " + text);
    AnswerMessageBox(box, IDOK);
    long code = app.Wait(kCopyWait);
    double exitMs = NowMs();
    RemoveSteamFolderValue();

    std::printf("progress_ms=%.1f done_ms=%.1f exit_ms=%.1f exit_code=%ld copy_pings=%zu "
                "copy_block_max_ms=%.1f copy_block_p99_ms=%.1f copy_block_median_ms=%.2f "
                "setup_pings=%zu setup_block_max_ms=%.1f ping_timeouts=%d\n",
                progressMs, doneMs, exitMs, code, pinger.copyWaits.size(),
                Percentile(pinger.copyWaits, 1.0), Percentile(pinger.copyWaits, 0.99),
                Percentile(pinger.copyWaits, 0.5), pinger.setupWaits.size(),
                Percentile(pinger.setupWaits, 1.0), pinger.timeouts);
    return code == 0 ? 0 : 1;
}
