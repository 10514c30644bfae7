// The progress window: the conversion job and its bar.
//
// The set-up runs on the window thread before the window shows; the copy runs
// on a worker; a 100 ms timer compares the size of the copy with the source.
// The user's GTAV is replaced only after a complete, checked copy.
#include "app/Windows.h"
#include "job/Conversion.h"
#include "job/FolderSize.h"
#include "job/TreeCopy.h"
#include "services/Dialogs.h"
#include "services/FileSystem.h"

namespace quellrin {

// The size of the source, fixed by the set-up before the worker starts and
// only read afterwards.
std::int64_t SourceTotalSize = 0;

namespace {

constexpr char kTempName[] = "\\临时文件夹";
constexpr char kGameName[] = "\\GTAV";
constexpr UINT kStyleOk = 0, kStyleError = MB_ICONHAND;

// Set while the worker renames folders in the swap: an end in the middle of
// it could leave the target without a GTAV, so a close waits for it.
volatile LONG g_swapping = 0;

Control SteamLabel() {
    return FindControl(kMainWindow, "S版GTA5位置");
}
Control EpicLabel() {
    return FindControl(kMainWindow, "E版GTA5位置");
}
Control TempLabel() {
    return FindControl(kProgressWindow, "透明标签1");
}
Control GameLabel() {
    return FindControl(kProgressWindow, "透明标签2");
}
Control Timer() {
    return FindControl(kProgressWindow, "时钟1");
}
Control Bar() {
    return FindControl(kProgressWindow, "进度条1");
}

Text TargetFolder() {
    return GetCaption(EpicLabel());
}

// The target's volume must hold the whole copy before anything is copied.
bool CopyFits(const Text& target) {
    std::int64_t available = FreeSpaceOf(target);
    if (available < 0 || SourceTotalSize <= available)
        return true;
    ShowMessageBox("目标磁盘的空间不够，没有开始复制。\n\n需要：" + FormatBytes(SourceTotalSize) +
                       "\n可用：" + FormatBytes(available) +
                       "\n\n请先腾出足够的空间，或另选一个存放目录。",
                   kStyleError);
    return false;
}

void ReportFailedCopy(const CopyReport& report, const Text& difference, const Text& temp,
                      bool tempRemoved) {
    Text what = report.complete() ? "复制结果与原文件不一致：\n" + difference
                                  : "有 " + std::to_string(report.failures()) +
                                        " 个项目无法复制，第一个是：\n" + report.firstFailure;
    Text partial = tempRemoved ? "未复制完的临时文件夹已删除。"
                               : "未复制完的临时文件夹没能全部删除，可以手动删除它：\n" + temp;
    ShowMessageBox("复制没有完成。" + what + "\n\n原有的GTAV文件夹没有任何改动，" + partial,
                   kStyleError);
}

void ReportSwap(const SwapResult& result, const Text& temp, const Text& game) {
    switch (result.outcome) {
    case SwapOutcome::Done:
        return;
    case SwapOutcome::OldNotDeleted:
        ShowMessageBox("新的GTAV已经就位，但旧的GTAV文件夹没能全部删除，剩下的在：\n" +
                           result.aside + "\n\n可以手动删除它。",
                       kStyleError);
        return;
    case SwapOutcome::OldNotMovedAside:
        ShowMessageBox("无法移开原有的GTAV文件夹，转换没有完成。\n\n复制好的游戏在：\n" + temp +
                           "\n原有的GTAV文件夹没有改动：\n" + game,
                       kStyleError);
        return;
    case SwapOutcome::CopyNotRenamed:
        ShowMessageBox("无法把复制好的文件夹改名为GTAV，转换没有完成。\n\n复制好的游戏在：\n" +
                           temp + "\n原有的GTAV文件夹已放回原处：\n" + game,
                       kStyleError);
        return;
    case SwapOutcome::OldLeftAside:
        ShowMessageBox("无法把复制好的文件夹改名为GTAV，也无法放回原有的GTAV文件夹。"
                       "\n\n复制好的游戏在：\n" +
                           temp + "\n原有的GTAV文件夹现在在：\n" + result.aside,
                       kStyleError);
        return;
    }
}

// The worker: copy, check, say so, swap, end. Never returns.
DWORD WINAPI RunConversionJob(void*) {
    // A copy of 100 GB takes many minutes: the machine must not sleep meanwhile.
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    Text source = GetCaption(SteamLabel());
    Text destination = GetCaption(TempLabel());
    Text sourceRoot = source, copyRoot = destination;
    CopyReport report = CopyDirectoryTree(source, destination);
    Text difference = report.complete() ? FindCopyDifference(sourceRoot, copyRoot) : Text();
    SetThreadExecutionState(ES_CONTINUOUS);
    SetTimerPeriod(Timer(), 0);

    Text target = TargetFolder();
    Text temp = target + kTempName, game = target + kGameName;
    if (!report.complete() || !difference.empty()) {
        bool removed = RemoveFolderCompletely(temp);
        ReportFailedCopy(report, difference, temp, removed);
        EndProgram(0);
    }
    ShowMessageBox("复制完成", kStyleOk);
    InterlockedExchange(&g_swapping, 1);
    SwapResult result = SwapInCopy(temp, game);
    InterlockedExchange(&g_swapping, 0);
    ReportSwap(result, temp, game);
    EndProgram(0);
}

void OnProgressCreated() {
    Text target = TargetFolder();
    Text temp = target + kTempName, game = target + kGameName;
    // A temporary folder left by an interrupted run is ours: start afresh.
    // Leftovers that cannot go would end up in the new GTAV, so stop instead.
    if (!RemoveFolderCompletely(temp)) {
        ShowMessageBox("上次转换留下的临时文件夹删不掉，没有开始复制：\n" + temp +
                           "\n\n请关闭正在使用其中文件的程序，或手动删除它后再试。",
                       kStyleError);
        EndProgram(0);
    }
    CreateFolder(temp);
    SetCaption(TempLabel(), temp);
    bool madeGame = CreateFolder(game);
    SetCaption(GameLabel(), game);
    SourceTotalSize = GetFolderSize(GetCaption(SteamLabel()));
    // Nothing copied yet: the empty folders of the set-up go again.
    auto undoSetUp = [&] {
        RemoveDirectoryA(temp.c_str());
        if (madeGame)
            RemoveDirectoryA(game.c_str());
    };
    if (!CopyFits(target)) {
        undoSetUp();
        EndProgram(0);
    }
    // The handle stays open for the life of the process; it is never waited for.
    if (!CreateThread(nullptr, 0, RunConversionJob, nullptr, 0, nullptr)) {
        undoSetUp();
        ShowMessageBox("无法启动复制，没有做任何改动。请重新启动本程序后再试。", kStyleError);
        EndProgram(0);
    }
    SetProgressMaximum(Bar(), 1000);
    SetTimerPeriod(Timer(), 100);
}

// Each tick walks the whole copy, which on a large tree can take longer than
// the period itself: a tick that comes sooner than its measurement took is
// passed over, so the window thread measures at most half of the time.
DWORD g_nextMeasure = 0;

void OnProgressTick() {
    DWORD start = GetTickCount();
    if (static_cast<LONG>(start - g_nextMeasure) < 0)
        return;
    std::int64_t copied = GetFolderSize(GetCaption(TempLabel()));
    SetProgressPosition(Bar(), ProgressPosition(copied, SourceTotalSize));
    DWORD cost = GetTickCount() - start;
    g_nextMeasure = GetTickCount() + (cost > 50 ? cost : 0);
}

void OnProgressWillBeDestroyed() {
    // Let a swap that has begun finish its renames; the worker's own end
    // request is served while we wait.
    while (g_swapping) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG m;
        PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    EndProgram(0);
}

} // namespace

const WindowData ProgressWindowData{
    .name = "进度窗口",
    .caption = "",
    .left = 0,
    .top = 0,
    .width = 503,
    .height = 72,
    .frame = Frame::None,
    .controls =
        {
            {.name = "透明标签3",
             .kind = ControlKind::Label,
             .left = 40,
             .top = 32,
             .width = 424,
             .height = 32,
             .caption = "正在复制中，请勿关闭本程序和计算机"},
            {.name = "透明标签2",
             .kind = ControlKind::Label,
             .left = 112,
             .top = 128,
             .width = 248,
             .height = 32,
             .caption = "透明标签",
             .textAlign = DT_LEFT},
            {.name = "透明标签1",
             .kind = ControlKind::Label,
             .left = 112,
             .top = 88,
             .width = 248,
             .height = 32,
             .caption = "透明标签",
             .textAlign = DT_LEFT},
            {.name = "时钟1",
             .kind = ControlKind::Timer,
             .left = 456,
             .top = 32,
             .width = 40,
             .height = 32,
             .periodic = OnProgressTick},
            {.name = "进度条1",
             .kind = ControlKind::ProgressBar,
             .left = 8,
             .top = 8,
             .width = 488,
             .height = 16},
        },
    .created = OnProgressCreated,
    .willBeDestroyed = OnProgressWillBeDestroyed,
};

} // namespace quellrin
