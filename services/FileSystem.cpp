#include "services/FileSystem.h"

namespace quellrin {
namespace {

constexpr std::uint32_t kFolderBit = FILE_ATTRIBUTE_DIRECTORY;
constexpr std::uint32_t kKnownBits = 0x37; // read-only, hidden, system, folder, archive

bool Passes(DWORD attributes, std::uint32_t mask, bool anyNonFolder) {
    if (anyNonFolder)
        return (attributes & kFolderBit) == 0;
    std::uint32_t m = mask & kKnownBits;
    return m == 0 ? attributes == 0 : (attributes & m) != 0;
}

// A folder and a name with one separator between them. The test is by
// character: a folder ending in a double-byte character whose trail byte is
// 0x5C still needs its backslash.
Text Join(const Text& folder, const char* name) {
    Text out = folder;
    if (!EndsWithBackslash(out))
        out += '\\';
    out += name;
    return out;
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void CloseSearch(SearchHandle& search) {
    if (search)
        FindClose(search);
    search = nullptr;
}

// The end of the entries is no failure; any other error means the folder
// could not be read through.
bool IsEndOfEntries(DWORD error) {
    return error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND;
}

} // namespace

Text FindFile(const Text& pattern, std::uint32_t mask, bool anyNonFolder, SearchHandle& search) {
    bool failed = false;
    return FindFile(pattern, mask, anyNonFolder, search, failed);
}

Text FindFile(const Text& pattern, std::uint32_t mask, bool anyNonFolder, SearchHandle& search,
              bool& failed) {
    WIN32_FIND_DATAA data;
    if (!pattern.empty()) {
        CloseSearch(search);
        HANDLE found = FindFirstFileA(pattern.c_str(), &data);
        if (found == INVALID_HANDLE_VALUE) {
            if (!IsEndOfEntries(GetLastError()))
                failed = true;
            return Text();
        }
        search = found;
    } else {
        if (!search)
            return Text();
        if (!FindNextFileA(search, &data)) {
            if (!IsEndOfEntries(GetLastError()))
                failed = true;
            CloseSearch(search);
            return Text();
        }
    }
    while (!Passes(data.dwFileAttributes, mask, anyNonFolder)) {
        if (!FindNextFileA(search, &data)) {
            if (!IsEndOfEntries(GetLastError()))
                failed = true;
            CloseSearch(search);
            return Text();
        }
    }
    return Text(data.cFileName);
}

void CloseFileSearch(SearchHandle search) {
    if (search)
        FindClose(search);
}

bool CreateFolder(const Text& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool IsExistingFolder(const Text& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kFolderBit) != 0;
}

bool CopyFileTo(const Text& source, const Text& destination) {
    return CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

bool RenamePath(const Text& oldName, const Text& newName) {
    return MoveFileA(oldName.c_str(), newName.c_str()) != FALSE;
}

std::vector<FolderEntry> ListFolderEntries(const Text& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(Join(folder, "*.*").c_str(), &data);
    if (found == INVALID_HANDLE_VALUE)
        return entries;
    do {
        // Only the folder's own entries are passed over: a name that merely
        // begins with a dot is an entry like any other.
        if (IsDotOrDotDot(data.cFileName))
            continue;
        entries.push_back(
            {Join(folder, data.cFileName), (data.dwFileAttributes & kFolderBit) != 0});
    } while (FindNextFileA(found, &data));
    FindClose(found);
    return entries;
}

void DeleteFolderContents(const Text& folder) {
    for (const FolderEntry& entry : ListFolderEntries(folder)) {
        if (entry.isFolder) {
            DeleteFolderContents(entry.path);
            RemoveDirectoryA(entry.path.c_str());
        } else {
            DeleteFileA(entry.path.c_str());
        }
    }
}

bool DeleteFolderTree(const Text& path) {
    std::size_t start = path.find_first_not_of(' ');
    if (start == Text::npos)
        return false;
    Text folder = path.substr(start);
    // X: and X:\ name a whole drive. ':' is below the range of trail bytes, so
    // the byte after it starts a character of its own.
    if (folder.size() >= 2 && folder[1] == ':' &&
        (folder.size() == 2 || (folder.size() == 3 && folder[2] == '\\')))
        return false;
    DeleteFolderContents(folder);
    return RemoveDirectoryA(folder.c_str()) != FALSE;
}

} // namespace quellrin
