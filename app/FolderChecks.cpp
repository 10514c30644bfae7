#include "app/FolderChecks.h"

#include "services/FileSystem.h"

namespace quellrin {

Text RefuseConversion(const Text& source, const Text& target) {
    if (!IsExistingFolder(source))
        return "找不到Steam版GTA5目录：\n" + source +
               "\n\n请点击“我们错过了？告诉我们”重新选择Steam版GTA5所在的文件夹。";
    if (!IsExistingFolder(target))
        return "找不到要存放Epic版GTA5的目录：\n" + target +
               "\n\n请点击“选择你要转换的位置”重新选择一个已有的文件夹。";
    if (IsSameOrInside(target, source))
        return "存放目录不能是Steam版GTA5目录本身，也不能位于它里面，否则会把游戏复制进自己。"
               "\n\n请另选一个存放目录。";
    Text base = WithTrailingBackslash(WithoutTrailingBackslashes(target));
    if (IsSameOrInside(source, base + "GTAV") || IsSameOrInside(source, base + "临时文件夹"))
        return "Steam版GTA5目录位于存放目录的GTAV或临时文件夹之中，转换时它会被删除。"
               "\n\n请另选一个存放目录。";
    return Text();
}

} // namespace quellrin
