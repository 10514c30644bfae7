#include "job/FolderSize.h"

#include <windows.h>

#include <vector>

#include "job/Automation.h"
#include "services/Handles.h"

namespace quellrin {
namespace {

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsExistingFolder(const Text& path) {
    if (path.empty())
        return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The object's answer, or false where it has none: not registered, disabled,
// no such folder, or a "Size" that does not work (Wine's folder object
// answers E_NOTIMPL).
bool AskFileSystemObject(const Text& path, double& size) {
    AutomationObject fileSystem;
    AutomationObject folder;
    CreateAutomationObject(fileSystem, "Scripting.FileSystemObject");
    folder = CallObjectMethod(fileSystem, "GetFolder", path);
    MemberResult read =
        InvokeMember(folder, "Size", CallKind::PropertyRead, {}, ResultKind::Number);
    ReleaseAutomationObject(fileSystem);
    ReleaseAutomationObject(folder);
    size = read.number;
    return read.ok();
}

} // namespace

std::int64_t TruncateToInt64(double value) {
    // The comparisons are false for NaN; 2^63 itself is already out of range.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        return INT64_MIN;
    return static_cast<std::int64_t>(value);
}

std::int64_t TotalFolderFiles(const Text& path) {
    if (!IsExistingFolder(path))
        return 0;
    // Folders still to list, as one byte string of full paths end to end: a
    // level costs no allocation once the buffers have grown, and a file none.
    std::string pending = path;
    std::vector<std::size_t> starts{0};
    std::string folder;
    std::int64_t total = 0;
    WIN32_FIND_DATAA entry;
    while (!starts.empty()) {
        folder.assign(pending, starts.back());
        pending.resize(starts.back());
        starts.pop_back();
        if (!EndsWithBackslash(folder))
            folder += '\\';
        const std::size_t base = folder.size();
        folder += '*';

        HANDLE first = FindFirstFileA(folder.c_str(), &entry);
        if (first == INVALID_HANDLE_VALUE)
            continue; // vanished or unreadable: it adds nothing
        UniqueFind search(first);
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A linked folder may lead back up the tree, and a walk on the
                // window thread that never ends is worse than a short total.
                if (IsDotOrDotDot(entry.cFileName) ||
                    (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    continue;
                starts.push_back(pending.size());
                pending.append(folder, 0, base).append(entry.cFileName);
            } else {
                total += static_cast<std::int64_t>(
                    (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow);
            }
        } while (FindNextFileA(search.get(), &entry));
    }
    return total;
}

std::int64_t GetFolderSize(const Text& path) {
    double size = 0.0;
    if (AskFileSystemObject(path, size))
        return TruncateToInt64(size);
    // A path that names no folder gives 0 either way; an existing folder the
    // object could not measure is totalled here, so the bar moves everywhere.
    return TotalFolderFiles(path);
}

} // namespace quellrin
