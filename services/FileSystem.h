// Thin wrappers over the ANSI file API. Paths are used as the caller gives
// them: no operation adds or strips a trailing backslash. Failures are only a
// false or empty result; nothing is shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "services/Text.h"

namespace quellrin {

// A search lives in the caller's variable, which holds a find handle or
// nullptr, never INVALID_HANDLE_VALUE.
using SearchHandle = HANDLE;

// The bare name of the next entry that passes the filter, or the empty text
// at the end (the search is then closed and `search` none). A non-empty
// pattern starts a new search (closing the one held); the empty pattern
// continues. Filter: anyNonFolder passes every entry without the folder bit;
// otherwise m = mask & 0x37 passes attribute words of 0 when m is 0, and words
// sharing a bit with m when it is not.
Text FindFile(const Text& pattern, std::uint32_t mask, bool anyNonFolder, SearchHandle& search);
// The same, and sets `failed` (never clears it) when the folder could not be
// read: missing, denied, too long a path, or an error among the entries. A
// folder that is read and holds no matching entry is no failure.
Text FindFile(const Text& pattern, std::uint32_t mask, bool anyNonFolder, SearchHandle& search,
              bool& failed);
void CloseFileSearch(SearchHandle search);

bool CreateFolder(const Text& path);                          // one level
bool CopyFileTo(const Text& source, const Text& destination); // replaces
bool RenamePath(const Text& oldName, const Text& newName);

// Whether the path names a folder that exists (a failed CreateFolder may
// have found one already there).
bool IsExistingFolder(const Text& path);

// Deletes the folder with all it holds; true when the folder itself is gone.
// The forms X: and X:\ (after leading spaces) and the empty text delete nothing.
bool DeleteFolderTree(const Text& path);

struct FolderEntry {
    Text path; // folder + "\" + name
    bool isFolder;
};
// One whole level, its search closed before returning; "." and ".." skipped.
std::vector<FolderEntry> ListFolderEntries(const Text& folder);
void DeleteFolderContents(const Text& folder);

} // namespace quellrin
