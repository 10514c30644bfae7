#include "support/TestFiles.h"

#include <atomic>

#include "services/Text.h"
#include <vector>

namespace quellrin::test {
namespace {

std::string TestRoot() {
    DWORD attributes = GetFileAttributesA("T:\\");
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "T:";
    char temp[MAX_PATH] = {};
    DWORD n = GetTempPathA(MAX_PATH, temp);
    std::string root(temp, n);
    while (!root.empty() && root.back() == '\\')
        root.pop_back();
    return root;
}

void ListInto(const std::string& root, const std::string& relative, TreeListing& out) {
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::pair<std::string, bool>> entries;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        entries.emplace_back(name, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    for (const auto& [name, isFolder] : entries) {
        std::string rel = relative.empty() ? name : relative + "\\" + name;
        if (isFolder) {
            out[rel] = "<dir>";
            ListInto(root, rel, out);
        } else {
            std::string bytes;
            ReadFileBytes(root + "\\" + rel, bytes);
            out[rel] = bytes;
        }
    }
}

} // namespace

TempFolder::TempFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    std::string root = TestRoot();
    for (;;) {
        path_ = root + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            path_.clear();
            break;
        }
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty())
        RemoveTree(path_);
}

std::string TempFolder::operator/(const std::string& relative) const {
    return path_ + "\\" + relative;
}

bool RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        std::vector<std::pair<std::string, bool>> entries;
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            entries.emplace_back(path + "\\" + name,
                                 (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
        for (const auto& [full, isFolder] : entries) {
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (isFolder)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        }
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() ||
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bytes.clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(h);
    return true;
}

bool MakeFolders(const std::string& path) {
    if (IsFolder(path))
        return true;
    std::size_t cut = quellrin::FindLastBackslash(path);
    if (cut != std::string::npos && cut > 2)
        MakeFolders(path.substr(0, cut));
    return CreateDirectoryA(path.c_str(), nullptr) || IsFolder(path);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

TreeListing ListTree(const std::string& root) {
    TreeListing out;
    ListInto(root, "", out);
    return out;
}

LockedFile::LockedFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

LockedFile::~LockedFile() {
    if (handle_ != INVALID_HANDLE_VALUE)
        CloseHandle(handle_);
}

} // namespace quellrin::test
