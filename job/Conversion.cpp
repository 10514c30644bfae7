#include "job/Conversion.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "job/FolderSize.h"
#include "services/FileSystem.h"
#include "services/Handles.h"

namespace quellrin {
namespace {

struct LevelEntries {
    std::map<Text, std::int64_t> files; // name -> size
    std::map<Text, bool> folders;
    bool listed = false;
};

std::int64_t SizeOf(const WIN32_FIND_DATAA& fd) {
    return (static_cast<std::int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

LevelEntries ListLevel(const Text& folder) {
    LevelEntries level;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((WithTrailingBackslash(folder) + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return level;
    UniqueFind search(h);
    level.listed = true;
    do {
        Text name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            level.folders[name] = true;
        else
            level.files[name] = SizeOf(fd);
    } while (FindNextFileA(search.get(), &fd));
    return level;
}

Text Difference(const Text& source, const Text& copy, const Text& relative) {
    LevelEntries from = ListLevel(source);
    if (!from.listed)
        return "无法读取文件夹：" + source;
    LevelEntries to = ListLevel(copy);
    if (!to.listed)
        return "复制中缺少文件夹：" + relative;
    for (const auto& [name, size] : from.files) {
        auto it = to.files.find(name);
        if (it == to.files.end())
            return "复制中缺少文件：" + relative + name;
        if (it->second != size)
            return "文件大小不一致：" + relative + name;
    }
    for (const auto& [name, unused] : from.folders) {
        (void)unused;
        Text inner = Difference(WithTrailingBackslash(source) + name,
                                WithTrailingBackslash(copy) + name, relative + name + "\\");
        if (!inner.empty())
            return inner;
    }
    return Text();
}

void ClearReadOnly(const Text& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

void ClearReadOnlyInTree(const Text& folder) {
    for (const FolderEntry& e : ListFolderEntries(folder)) {
        ClearReadOnly(e.path);
        if (e.isFolder)
            ClearReadOnlyInTree(e.path);
    }
}

bool PathExists(const Text& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Text FreeAsideName(const Text& game) {
    Text base = WithoutTrailingBackslashes(game) + ".旧";
    if (!PathExists(base))
        return base;
    for (int n = 2;; ++n) {
        Text name = base + std::to_string(n);
        if (!PathExists(name))
            return name;
    }
}

} // namespace

int ProgressPosition(std::int64_t size, std::int64_t total) {
    double quotient = static_cast<double>(size) / static_cast<double>(total) * 1000.0;
    std::uint64_t bits = static_cast<std::uint64_t>(TruncateToInt64(quotient));
    return static_cast<int>(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
}

Text FindCopyDifference(const Text& source, const Text& copy) {
    return Difference(source, copy, Text());
}

bool RemoveFolderCompletely(const Text& path) {
    if (!PathExists(path))
        return true;
    ClearReadOnlyInTree(path);
    ClearReadOnly(path);
    return DeleteFolderTree(path) || !PathExists(path);
}

std::int64_t FreeSpaceOf(const Text& folder) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(WithTrailingBackslash(folder).c_str(), &available, &total, &free))
        return -1;
    return static_cast<std::int64_t>(available.QuadPart);
}

Text FormatBytes(std::int64_t bytes) {
    char out[64];
    const double kMB = 1024.0 * 1024.0, kGB = kMB * 1024.0;
    if (bytes >= 1024LL * 1024 * 1024)
        std::snprintf(out, sizeof out, "%.1f GB", static_cast<double>(bytes) / kGB);
    else if (bytes >= 1024LL * 1024)
        std::snprintf(out, sizeof out, "%.1f MB", static_cast<double>(bytes) / kMB);
    else
        return std::to_string(bytes) + " 字节";
    return out;
}

SwapResult SwapInCopy(const Text& copy, const Text& game) {
    SwapResult result{SwapOutcome::Done, Text()};
    if (PathExists(game)) {
        result.aside = FreeAsideName(game);
        if (!RenamePath(game, result.aside)) {
            result.outcome = SwapOutcome::OldNotMovedAside;
            result.aside.clear();
            return result;
        }
    }
    if (!RenamePath(copy, game)) {
        bool restored = result.aside.empty() || RenamePath(result.aside, game);
        result.outcome = restored ? SwapOutcome::CopyNotRenamed : SwapOutcome::OldLeftAside;
        if (restored)
            result.aside.clear();
        return result;
    }
    if (!result.aside.empty() && !RemoveFolderCompletely(result.aside))
        result.outcome = SwapOutcome::OldNotDeleted;
    return result;
}

} // namespace quellrin
