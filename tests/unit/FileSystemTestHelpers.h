// Helpers for the file-system and tree-copy tests: open handles, the system's
// rule for read-only files, and entries that the ANSI API cannot reach.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace quellrin::test {

// 運 is DF 5C in code page 936: its trail byte is a backslash.
inline const std::string kYun = "\xDF\x5C";

// The value that the next new handle of this process gets. Wine gives a new
// handle the lowest free slot of the process's table, so the value moves
// exactly when a handle is left open or another one closed. (Wine's handle
// counts cannot be used: GetProcessHandleCount says 0, and the system-wide
// handle list ends the calling process while other processes come and go.)
inline HANDLE NextHandleValue() {
    HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(h);
    return h;
}

// Whether the system refuses to write a read-only file. Windows does; Wine
// leaves it to the Unix permissions, which do not stop root.
inline bool ReadOnlyFilesRefuseWrites(const std::string& folder) {
    std::string probe = folder + "\\read-only probe";
    WriteFileBytes(probe, "x");
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    bool refused = h == INVALID_HANDLE_VALUE;
    if (!refused)
        CloseHandle(h);
    SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(probe.c_str());
    return refused;
}

// The wide, length-unlimited form of an ANSI path, for making and removing
// entries that the ANSI API cannot name.
inline std::wstring LongWidePath(const std::string& ansi) {
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), n);
    return L"\\\\?\\" + wide;
}

inline bool WriteFileWide(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

// Removes a tree by wide, \\?\ paths, so that long and unmappable names go too.
inline void RemoveTreeWide(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        std::vector<std::pair<std::wstring, bool>> entries;
        do {
            std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..")
                entries.emplace_back(path + L"\\" + name,
                                     (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        for (const auto& [full, isFolder] : entries) {
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (isFolder)
                RemoveTreeWide(full);
            else
                DeleteFileW(full.c_str());
        }
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace quellrin::test
