// The steps of a conversion that decide whether the user's GTAV may be
// replaced, and the replacement itself, which never leaves the target
// without a complete GTAV.
#pragma once

#include <cstdint>

#include "services/Text.h"

namespace quellrin {

// The bar's position: trunc(size / total * 1000) in floating point, low 32
// bits. A total of 0 gives 0 (the integer indefinite value's low bits).
int ProgressPosition(std::int64_t size, std::int64_t total);

// Whether every file below `source` is in `copy` at the same relative path
// with the same size (metadata only: no data is read again). Empty when it
// is; otherwise a description of the first difference.
Text FindCopyDifference(const Text& source, const Text& copy);

// Deletes a folder with all it holds, read-only and dot-named entries
// included: for folders the program owns or the user confirmed to replace.
bool RemoveFolderCompletely(const Text& path);

// Free bytes for the caller on the volume of `folder`, or -1 when unknown.
std::int64_t FreeSpaceOf(const Text& folder);

// A byte count for people: "1.5 GB", "300.0 MB", "512 字节".
Text FormatBytes(std::int64_t bytes);

// How a swap of a finished copy into the game folder's place ended.
enum class SwapOutcome {
    Done,             // the copy is the game folder; the old one is deleted
    OldNotDeleted,    // the copy is in place; the old folder is left at `aside`
    OldNotMovedAside, // nothing changed: the copy is still at `copy`
    CopyNotRenamed,   // the old folder is back in place; the copy is still at `copy`
    OldLeftAside,     // neither could be put in place: old at `aside`, copy at `copy`
};

struct SwapResult {
    SwapOutcome outcome;
    Text aside; // where the old game folder was moved, when it was
};

// Moves the old game folder aside, renames the copy to the game folder's
// name, and only then deletes the old one.
SwapResult SwapInCopy(const Text& copy, const Text& game);

} // namespace quellrin
