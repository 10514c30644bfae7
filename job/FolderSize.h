// The byte total of a folder and everything below it.
#pragma once

#include <cstdint>

#include "services/Text.h"

namespace quellrin {

// Asks "Scripting.FileSystemObject" first; where it cannot answer, totals the
// folder with the find API. 0 for a path that names no folder. Window thread
// only (COM is initialised there).
std::int64_t GetFolderSize(const Text& path);

// The byte total of every file in the folder and below it, by the find API
// alone: one level listed and closed at a time, linked folders not entered.
// 0 for a path that names no folder.
std::int64_t TotalFolderFiles(const Text& path);

// Toward zero; NaN or out of the 64-bit range gives -2^63.
std::int64_t TruncateToInt64(double value);

} // namespace quellrin
