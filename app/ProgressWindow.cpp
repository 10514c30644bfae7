// The progress window: the conversion job and its bar.
#include "app/Windows.h"

namespace quellrin {
namespace {

void OnProgressWillBeDestroyed() { EndProgram(0); }

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
            {.name = "透明标签3", .kind = ControlKind::Label, .left = 40, .top = 32,
             .width = 424, .height = 32, .caption = "正在复制中，请勿关闭本程序和计算机"},
            {.name = "透明标签2", .kind = ControlKind::Label, .left = 112, .top = 128,
             .width = 248, .height = 32, .caption = "透明标签", .textAlign = DT_LEFT},
            {.name = "透明标签1", .kind = ControlKind::Label, .left = 112, .top = 88,
             .width = 248, .height = 32, .caption = "透明标签", .textAlign = DT_LEFT},
            {.name = "时钟1", .kind = ControlKind::Timer, .left = 456, .top = 32, .width = 40,
             .height = 32},
            {.name = "进度条1", .kind = ControlKind::ProgressBar, .left = 8, .top = 8,
             .width = 488, .height = 16},
        },
    .willBeDestroyed = OnProgressWillBeDestroyed,
};

} // namespace quellrin
