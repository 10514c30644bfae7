// Copying a whole folder tree, level by level, files before subfolders.
#pragma once

#include <cstdint>

#include "services/Text.h"

namespace quellrin {

// What a tree copy could not do. The copy goes on past every failure, so one
// locked file does not stop a long copy; the caller decides what a failure means.
struct CopyReport {
    std::int64_t failedFiles = 0;     // files that could not be copied
    std::int64_t failedFolders = 0;   // destination folders that could not be created
    std::int64_t unlistedFolders = 0; // source folders that could not be listed
    Text firstFailure;                // the first path that failed

    std::int64_t failures() const { return failedFiles + failedFolders + unlistedFolders; }
    bool complete() const { return failures() == 0; }
};

// Copies every file below `source` into `destination`, creating the folders.
// Both may come back with a trailing backslash added.
CopyReport CopyDirectoryTree(Text& source, Text& destination);

} // namespace quellrin
