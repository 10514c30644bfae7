// The tip window: a picture, and a parting word when it closes.
#include "app/TipPicture.h"
#include "app/Windows.h"
#include "services/Dialogs.h"

namespace quellrin {
namespace {

void OnTipWillBeDestroyed() {
    ShowMessageBox("不给就算了，口亨(￢︿￢)", 16, "穷鬼", nullptr);
}

} // namespace

const WindowData TipWindowData{
    .name = "打赏窗口",
    .caption = "",
    .left = 0,
    .top = 0,
    .width = 376,
    .height = 224,
    .taskbarButton = false,
    .controls =
        {
            {.name = "图片框1",
             .kind = ControlKind::PictureBox,
             .left = 0,
             .top = 0,
             .width = 376,
             .height = 224,
             .paint = PaintTipPicture},
        },
    .willBeDestroyed = OnTipWillBeDestroyed,
};

} // namespace quellrin
